// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on the session bus: other programs create host objects through it and use
// them as add-ins loaded from the AddIn folder do.
//
//   bus name  org.velmora.Velmora
//   object    /org/velmora/Velmora, interface org.velmora.Velmora.AddInHost:
//             CreateAddIn() -> o        a new host object for the caller (at most 64 a client)
//   objects   /org/velmora/Velmora/AddIn/<128-bit random token>, interface
//             org.velmora.Velmora.AddIn: the members of clsAddIn (by-reference arguments come
//             back as out-arguments) and its events as signals, sent to the owner alone. An
//             object answers its creator only; any other caller gets AccessDenied. The Unload
//             veto is a call back: a client that wants a say calls SetEventSink(busName,
//             objectPath), and the program then calls Unload() -> i on that object (interface
//             org.velmora.Velmora.AddInEvents) and takes the answer as Cancel; all sinks are
//             asked at once and have 3 s together. A client that leaves the bus loses its host
//             objects.
#pragma once

#include "addins/BusNames.h"
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QList>

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class clsAddIn;
class QDBusServiceWatcher;
class QDBusVirtualObject;

// One host object as seen on the bus. Its calls arrive through the service's message handler,
// which has checked that they come from the owner; the declarations below are the interface.
class AddInBusObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora.AddIn")
    Q_PROPERTY(QString AddInCreateDate READ AddInCreateDate)
    Q_PROPERTY(QString AddInName READ AddInName WRITE setAddInName)
    Q_PROPERTY(QString AddInCopyright READ AddInCopyright WRITE setAddInCopyright)
    Q_PROPERTY(QString AddInID READ AddInID)
    Q_PROPERTY(QString AddInVersion READ AddInVersion WRITE setAddInVersion)
    Q_PROPERTY(QString Version READ Version)
    Q_PROPERTY(bool Visible READ Visible)
    Q_PROPERTY(bool Connected READ Connected)
    Q_PROPERTY(int WindowState READ WindowState)
public:
    AddInBusObject(QString owner, QString path, QDBusConnection bus);
    ~AddInBusObject() override;

    clsAddIn &addIn() { return *m_addIn; }
    // The unique bus name of the client the object belongs to.
    const QString &owner() const { return m_owner; }
    const QString &path() const { return m_path; }
    // The answer to one call of the owner (a method, a property or Introspect); an invalid
    // message when the member answers later by itself.
    QDBusMessage answer(const QDBusMessage &call);
    // The Unload question for the client's event sink; an invalid message when it set none.
    QDBusMessage unloadQuestion() const;
    // The sink's answer, given as Cancel at the object's next Unload event.
    void keepUnloadAnswer(int cancel) { m_unloadAnswer = cancel; }

    QString AddInCreateDate() const;
    QString AddInName() const;
    void setAddInName(const QString &name);
    QString AddInCopyright() const;
    void setAddInCopyright(const QString &copyright);
    QString AddInID() const;
    QString AddInVersion() const;
    void setAddInVersion(const QString &version);
    QString Version() const;
    bool Visible();
    bool Connected();
    int WindowState();

public Q_SLOTS:
    Q_SCRIPTABLE int WinampSendCommand(int eWinamp);
    Q_SCRIPTABLE int WinampGetStatus();
    Q_SCRIPTABLE void SendCommand(const QString &stCommand);
    Q_SCRIPTABLE void GetText(QString &stLine1, QString &stLine2);
    Q_SCRIPTABLE int GetInformation(QString &ModelID, QString &Model, QString &Version,
                                    QString &ReturnString);
    Q_SCRIPTABLE void Show();
    Q_SCRIPTABLE void Hide();
    Q_SCRIPTABLE int Disconnect();
    Q_SCRIPTABLE int ReadSettings(QString &stSettings);
    Q_SCRIPTABLE int Connect(bool bPowerOn, int ComPort);
    Q_SCRIPTABLE void Quit();
    Q_SCRIPTABLE void About();
    Q_SCRIPTABLE void AddInRegister();
    Q_SCRIPTABLE void AddInUnRegister();
    Q_SCRIPTABLE void AddInTerminate(const QString &AddInID);
    Q_SCRIPTABLE void AddInMessage(int Msg, const QString &ReceiverID, int Param1,
                                   const QString &Param2);
    // Where the program asks this client whether it may end.
    Q_SCRIPTABLE void SetEventSink(const QString &busName, const QDBusObjectPath &objectPath);

Q_SIGNALS:
    Q_SCRIPTABLE void ReceivedCommand(const QString &stData);
    Q_SCRIPTABLE void ReceivedSettings(const QString &stData);
    Q_SCRIPTABLE void VolumeMain(double db);
    Q_SCRIPTABLE void VolumeZone2(double db);
    Q_SCRIPTABLE void Terminate();
    Q_SCRIPTABLE void AddInMessage(int Msg, const QString &SenderID, const QString &ReceiverID,
                                   int Param1, const QString &Param2);

private:
    QDBusMessage methodCall(const QDBusMessage &call);
    QDBusMessage propertyCall(const QDBusMessage &call);
    // Inside a call from the bus: answers it with this error instead of the member's result.
    void fail(const QString &errorName, const QString &text);
    // Inside a call from the bus: the member answers later; returns the call to answer.
    QDBusMessage answerLater();
    // The object's signal goes to the owner alone (every other client learns nothing of it).
    template <typename... Args>
    void relay(void (AddInBusObject::*signal)(Args...));
    void toOwner(const QString &signal, const QList<QVariant> &arguments);

    QString m_owner;
    QString m_path;
    QDBusConnection m_bus;
    std::unique_ptr<clsAddIn> m_addIn;
    QString m_sinkService;
    QString m_sinkPath;
    int m_unloadAnswer = 0;
    // The call being served, and how the member answers it.
    struct Call {
        QDBusMessage message;
        QDBusMessage error;
        bool answerLater = false;
    };
    Call *m_call = nullptr;
};

class AddInService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora.AddInHost")
public:
    explicit AddInService(QDBusConnection bus);
    ~AddInService() override;

    // Claims the bus name and exports the host; false (and a log line) when the bus is not
    // there or another program holds the name.
    bool start();
    // The host objects of clients still on the bus.
    int objectCount() const;
    // Asks the event sinks of those entries that are host objects of bus clients whether the
    // program may end, all at once, and keeps each answer for the entry's Unload event.
    // Returns when every sink has answered, or failed, or after 3 s; events run meanwhile.
    void askEventSinks(const QList<QPointer<clsAddIn>> &entries);
    // The object at a path, or null.
    AddInBusObject *objectAt(const QString &path) const { return m_objects.value(path); }

public Q_SLOTS:
    Q_SCRIPTABLE QDBusObjectPath CreateAddIn();

private:
    void clientLeft(const QString &client);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    QDBusVirtualObject *m_tree; // answers every message to the objects' paths
    QHash<QString, AddInBusObject *> m_objects;
};

// The program's service on the session bus, started by the start procedure; null until then or
// when it could not start.
AddInService *addInService();
void startAddInService();
void stopAddInService();
