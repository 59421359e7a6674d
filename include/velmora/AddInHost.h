// SPDX-License-Identifier: GPL-3.0-or-later
// The host object as an add-in sees it. An add-in gets its host object as a QObject (the
// argument of AddInLoader::Load) and reaches it only through Qt's meta-object system, so it needs
// no symbol of the program: Velmora::Host calls the host object's members by name, and
// Velmora::Event names its events for QObject::connect.
//
//     void MyAddIn::Load(QObject *&oAddin) {
//         m_host = Velmora::Host(oAddin);
//         connect(oAddin, Velmora::Event::VolumeMain, this, SLOT(onVolumeMain(float)));
//     }
//     void MyAddIn::onVolumeMain(float db) {
//         QString line1, line2;
//         m_host.GetText(line1, line2);
//     }
//
// A call runs at once, on the caller's thread: add-ins live on the program's GUI thread, and the
// members that fill in by-reference arguments cannot be queued. "Registered only" members do
// nothing and give the neutral result while the host object is not registered; a Host without
// a host object does nothing either.
#pragma once

#include <velmora/WinampCommands.h>

#include <QDateTime>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace Velmora {

// The host object's events, as SIGNAL() texts: connect(host, Velmora::Event::Terminate, this,
// SLOT(onTerminate())). The slot takes the arguments shown (or fewer).
namespace Event {
// A complete message from the receiver, before the program evaluates it.
inline constexpr char ReceivedCommand[] = "2ReceivedCommand(QString)";
// The receiver's configuration answer without its first and last character.
inline constexpr char ReceivedSettings[] = "2ReceivedSettings(QString)";
// The level of the main zone or of zone 2 in dB, after the receiver reported a change.
inline constexpr char VolumeMain[] = "2VolumeMain(float)";
inline constexpr char VolumeZone2[] = "2VolumeZone2(float)";
// The program is about to end: setting *Cancel to non-zero vetoes the end.
inline constexpr char Unload[] = "2Unload(int*)";
// The program ends, or another add-in ends this one.
inline constexpr char Terminate[] = "2Terminate()";
// A message from an add-in (this one included): Msg, SenderID, ReceiverID, Param1, Param2.
inline constexpr char AddInMessage[] = "2AddInMessage(long,QString,QString,long,QString)";

inline constexpr const char *All[] = {ReceivedCommand, ReceivedSettings, VolumeMain,  VolumeZone2,
                                      Unload,          Terminate,        AddInMessage};
} // namespace Event

// The members of the host object, called by name.
class Host {
public:
    Host() = default;
    explicit Host(QObject *host) : m_host(host) {}
    QObject *object() const { return m_host; }

    // --- Identity (properties of the host object) ---
    QString AddInID() const { return property("AddInID").toString(); }
    QDateTime AddInCreateDate() const { return property("AddInCreateDate").toDateTime(); }
    QString AddInName() const { return property("AddInName").toString(); }
    void setAddInName(const QString &name) const { setProperty("AddInName", name); }
    QString AddInVersion() const { return property("AddInVersion").toString(); }
    void setAddInVersion(const QString &version) const { setProperty("AddInVersion", version); }
    QString AddInCopyright() const { return property("AddInCopyright").toString(); }
    void setAddInCopyright(const QString &copyright) const {
        setProperty("AddInCopyright", copyright);
    }

    // --- Members ---
    // Posts a menu command to the media player; also unregistered. Returns 0.
    long WinampSendCommand(enumVelmoraWinamp eWinamp) const {
        qint32 command = eWinamp;
        long result = 0;
        call("WinampSendCommand", Q_RETURN_ARG(long, result), Q_ARG(qint32 &, command));
        return result;
    }
    // 0 stopped, 1 playing, 3 paused; also unregistered.
    long WinampGetStatus() const { return answer<long>("WinampGetStatus"); }
    // Registered only: sends a receiver command code ("07A1D"). The result is always empty.
    QVariant SendCommand(const QString &stCommand) const {
        QVariant result;
        call("SendCommand", Q_RETURN_ARG(QVariant, result), Q_ARG(QString, stCommand));
        return result;
    }
    // Registered only, and only while the main window exists: the two status lines.
    void GetText(QString &stLine1, QString &stLine2) const {
        call("GetText", Q_ARG(QString &, stLine1), Q_ARG(QString &, stLine2));
    }
    // Registered only: the receiver's model ID, model, software version and answer string.
    long GetInformation(QString &ModelID, QString &Model, QString &Version,
                        QString &ReturnString) const {
        long result = 0;
        call("GetInformation", Q_RETURN_ARG(long, result), Q_ARG(QString &, ModelID),
             Q_ARG(QString &, Model), Q_ARG(QString &, Version), Q_ARG(QString &, ReturnString));
        return result;
    }
    // Registered only: brings the program's window (the mini window in mini mode) to the front.
    void Show() const { call("Show"); }
    // The program's version text; also unregistered.
    QString Version() const { return answer<QString>("Version"); }
    // Registered only: whether the program's window is visible.
    bool Visible() const { return answer<bool>("Visible"); }
    // Registered only: minimises and hides the program's window.
    void Hide() const { call("Hide"); }
    // Registered only: whether the serial port is open.
    bool Connected() const { return answer<bool>("Connected"); }
    // Registered only: closes an open connection. Returns 0.
    long Disconnect() const { return answer<long>("Disconnect"); }
    // Registered only: asks the receiver for its configuration block and gives the block as
    // received. Returns 0.
    long ReadSettings(QVariant *stSettings = nullptr) const {
        long result = 0;
        call("ReadSettings", Q_RETURN_ARG(long, result), Q_ARG(QVariant *, stSettings));
        return result;
    }
    // Registered only: connects on the configured port (switching the receiver on when
    // *bPowerOn is true), or, when already connected, switches the receiver on. Returns 0.
    long Connect(bool *bPowerOn = nullptr, long *ComPort = nullptr) const {
        long result = 0;
        call("Connect", Q_RETURN_ARG(long, result), Q_ARG(bool *, bPowerOn),
             Q_ARG(long *, ComPort));
        return result;
    }
    // Starts the program's orderly end, which add-ins may veto; also unregistered.
    void Quit() const { call("Quit"); }
    // Registered only: the about window, modal.
    void About() const { call("About"); }
    // Joins the add-ins the program knows (the manager window lists them), or leaves them.
    void AddInRegister() const { call("AddInRegister"); }
    void AddInUnRegister() const { call("AddInUnRegister"); }
    // Registered only: the window's state: 0 normal, 1 minimised, 2 maximised.
    long WindowState() const { return answer<long>("WindowState"); }
    // Ends another add-in, or every other add-in for an empty ID; also unregistered.
    void AddInTerminate(const QString &AddInID) const {
        call("AddInTerminate", Q_ARG(QString, AddInID));
    }
    // Sends a message to every add-in, this one included, with this add-in's ID as sender.
    void AddInMessage(long Msg, const QString &ReceiverID = QString(), long Param1 = 0,
                      const QString &Param2 = QString()) const {
        call("AddInMessage", Q_ARG(long, Msg), Q_ARG(QString, ReceiverID), Q_ARG(long, Param1),
             Q_ARG(QString, Param2));
    }

private:
    template <typename... Arguments>
    void call(const char *member, Arguments... arguments) const {
        if (m_host) QMetaObject::invokeMethod(m_host, member, Qt::DirectConnection, arguments...);
    }
    template <typename Result>
    Result answer(const char *member) const {
        Result result{};
        call(member, QReturnArgument<Result>(QMetaType::fromType<Result>().name(), result));
        return result;
    }
    QVariant property(const char *name) const {
        return m_host ? m_host->property(name) : QVariant();
    }
    void setProperty(const char *name, const QVariant &value) const {
        if (m_host) m_host->setProperty(name, value);
    }

    QPointer<QObject> m_host;
};

} // namespace Velmora
