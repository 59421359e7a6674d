// SPDX-License-Identifier: GPL-3.0-or-later
// The host object through which one add-in talks to the program and receives its events.
// Every member, property, event and the media player's command enumeration are reachable through
// Qt's meta-object system; add-ins reach them by name (velmora/AddInHost.h) and never include
// this header. It includes no window.
#pragma once

#include <velmora/WinampCommands.h>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

class clsAddIn : public QObject {
    Q_OBJECT
    Q_PROPERTY(QDateTime AddInCreateDate READ AddInCreateDate CONSTANT)
    Q_PROPERTY(QString AddInName READ AddInName WRITE setAddInName)
    Q_PROPERTY(QString AddInCopyright READ AddInCopyright WRITE setAddInCopyright)
    Q_PROPERTY(QString AddInID READ AddInID CONSTANT)
    Q_PROPERTY(QString AddInVersion READ AddInVersion WRITE setAddInVersion)
public:
    // The media player's menu commands, the argument of WinampSendCommand.
    enum enumVelmoraWinamp : qint32 { VELMORA_WINAMP_COMMANDS(VELMORA_WINAMP_ENUMERATOR) };
    Q_ENUM(enumVelmoraWinamp)

    // A new host object: a fresh add-in ID (or the one given, for the program's own services
    // and tests), created now, not registered.
    explicit clsAddIn(QString addInID = QString(), QObject *parent = nullptr);
    // The last reference going removes the ID from the registry.
    ~clsAddIn() override;

    // --- Members, in the order of their slots. "Registered only" members do nothing and give
    // the neutral result while the object is not registered. The identity is a set of
    // properties; every other member is invokable by name (QMetaObject::invokeMethod), those
    // with by-reference arguments by a direct call with Q_ARG(QString &, ...), so that an add-in
    // needs no symbol of the program. ---
    QDateTime AddInCreateDate() const { return m_createDate; }
    QString AddInName() const { return m_name; }
    void setAddInName(const QString &name) { m_name = name; }
    QString AddInCopyright() const { return m_copyright; }
    void setAddInCopyright(const QString &copyright) { m_copyright = copyright; }
    QString AddInID() const { return m_id; }
    QString AddInVersion() const { return m_version; }
    void setAddInVersion(const QString &version) { m_version = version; }
    // Posts a menu command to the media player; also unregistered. Returns 0.
    Q_INVOKABLE long WinampSendCommand(qint32 &eWinamp);
    // 0 stopped, 1 playing, 3 paused; also unregistered.
    Q_INVOKABLE long WinampGetStatus();
    // Registered only: sends the five-character code. The result is always empty.
    Q_INVOKABLE QVariant SendCommand(const QString &stCommand);
    // Registered only, and only while the main window exists: the two status lines.
    Q_INVOKABLE void GetText(QString &stLine1, QString &stLine2);
    // Registered only: the receiver information window's model ID, model, software version and
    // answer string. Returns 0.
    Q_INVOKABLE long GetInformation(QString &ModelID, QString &Model, QString &Version,
                                    QString &ReturnString);
    // Registered only: brings the active window (the mini window in mini mode) to the front.
    Q_INVOKABLE void Show();
    // The program's version text; also unregistered.
    Q_INVOKABLE QString Version() const;
    // Registered only: whether the active window is visible.
    Q_INVOKABLE bool Visible();
    // Registered only: minimises and hides the active window.
    Q_INVOKABLE void Hide();
    // Registered only: whether the serial port is open.
    Q_INVOKABLE bool Connected();
    // Registered only: closes an open connection. Returns 0.
    Q_INVOKABLE long Disconnect();
    // Registered only: asks the receiver for its configuration block and gives the block as
    // received. Returns 0.
    Q_INVOKABLE long ReadSettings(QVariant *stSettings = nullptr);
    // Registered only: connects (switching the receiver on when bPowerOn is true), or, when
    // already connected, switches the receiver on whatever bPowerOn says. The configured port
    // applies; ComPort is not used. Returns 0.
    Q_INVOKABLE long Connect(bool *bPowerOn = nullptr, long *ComPort = nullptr);
    // Closes the main window, which starts the orderly end with its add-in veto; also
    // unregistered.
    Q_INVOKABLE void Quit();
    // Registered only: the about window, modal.
    Q_INVOKABLE void About();
    // Joins the registry (loading the main window, without showing it, when there is none).
    Q_INVOKABLE void AddInRegister();
    // Leaves the registry.
    Q_INVOKABLE void AddInUnRegister();
    // Registered only: the active window's state: 0 normal, 1 minimised, 2 maximised.
    Q_INVOKABLE long WindowState();
    // Ends another add-in, or every other add-in for an empty ID; also unregistered.
    Q_INVOKABLE void AddInTerminate(const QString &AddInID);
    // Sends a message to every add-in, this one included, with this object's ID as sender;
    // also unregistered.
    Q_INVOKABLE void AddInMessage(long Msg, const QString &ReceiverID = QString(), long Param1 = 0,
                                  const QString &Param2 = QString());

    bool bRegistered() const { return m_registered; }
    // Loaded by the program from its add-in folder (as opposed to created by another program).
    bool fHostLoaded = false;

    // --- Raising the events; the registry calls these. ---
    void fSendReceivedCommand(const QString &stData);
    void fSendReceivedSettings(const QString &stData);
    void fSendVolumeMain(float sVol);
    void fSendVolumeZone2(float sVol);
    // Returns the Cancel value the add-in left (0: the program may end).
    int fSendUnload();
    void fSendTerminate();
    void fSendAddInMessage(long Msg, const QString &SenderID, const QString &ReceiverID,
                           long Param1, const QString &Param2);

Q_SIGNALS:
    // A complete message from the receiver, before the program evaluates it.
    void ReceivedCommand(const QString &stData);
    // The receiver's configuration answer without its first and last character.
    void ReceivedSettings(const QString &stData);
    // The level of the main zone or of zone 2 in dB, after the receiver reported a change.
    void VolumeMain(float db);
    void VolumeZone2(float db);
    // The program is about to end; setting *Cancel to non-zero vetoes the end.
    void Unload(int *Cancel);
    // The program ends, or another add-in ends this one.
    void Terminate();
    // A message from an add-in (the sender itself included); the receiver decides by ReceiverID.
    void AddInMessage(long Msg, const QString &SenderID, const QString &ReceiverID, long Param1,
                      const QString &Param2);

private:
    friend class clsAddIns; // an entry the registry lets go is no longer registered
    QString m_id;
    QString m_name;
    QString m_version;
    QString m_copyright;
    QDateTime m_createDate;
    bool m_registered = false;
};
