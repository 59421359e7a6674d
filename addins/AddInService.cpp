// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on the session bus.
#include "addins/AddInService.h"

#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "link/Framing.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <array>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcAddIns)

namespace {
constexpr int kObjectsPerClient = 64;
constexpr int kUnloadAnswerMs = 3000; // for all event sinks together
// The host objects' interface, as their class declares it.
const QString kAddInInterface = QString::fromLatin1(
    AddInBusObject::staticMetaObject
        .classInfo(AddInBusObject::staticMetaObject.indexOfClassInfo("D-Bus Interface"))
        .value());
const QString kIntrospect = QStringLiteral("Introspect");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString kDocType = QStringLiteral(
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
    "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n");

// 128 random bits in hex: a path nobody can guess, unrelated to the add-in's ID (which every
// add-in learns as the sender of AddInMessage) and to the paths before it.
QString unguessableToken() {
    std::array<quint32, 4> bits;
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(bits.data()), sizeof bits).toHex());
}

// A parameter of a member: its type, and whether the member fills it in (a non-const reference,
// which the caller gets back as an out-argument).
struct Parameter {
    QMetaType type;
    bool out;
};
Parameter parameter(const QMetaMethod &m, int i) {
    QByteArray type = m.parameterTypes().at(i);
    const bool out = type.endsWith('&');
    if (out) type.chop(1);
    return {QMetaType::fromName(type), out};
}
QString signatureOf(QMetaType type) {
    return QLatin1String(QDBusMetaType::typeToSignature(type));
}
bool hasResult(const QMetaMethod &m) {
    return m.returnType() != QMetaType::Void;
}
// The methods of the bus interface: the scriptable slots of AddInBusObject itself.
QList<QMetaMethod> busMethods() {
    const QMetaObject &mo = AddInBusObject::staticMetaObject;
    QList<QMetaMethod> methods;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        const QMetaMethod m = mo.method(i);
        if ((m.attributes() & QMetaMethod::Scriptable) && m.methodType() == QMetaMethod::Slot)
            methods << m;
    }
    return methods;
}

// The objects' introspection data: their interface as the build describes it from the same
// declarations the calls are served from (org.velmora.Velmora.AddInHost.xml, which holds the
// host's interface too), and the standard interfaces they answer.
QString introspection() {
    static const QString xml = [] {
        QFile file(QStringLiteral(":/dbus/org.velmora.Velmora.AddInHost.xml"));
        const QString all =
            file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        const qsizetype from =
            all.indexOf(QStringLiteral("  <interface name=\"%1\">").arg(kAddInInterface));
        const QLatin1String end("</interface>\n");
        const qsizetype to = from < 0 ? -1 : all.indexOf(end, from);
        const QString own = to < 0 ? QString() : all.mid(from, to + end.size() - from);
        return kDocType + QStringLiteral("<node>\n") + own +
               QStringLiteral(
                   "  <interface name=\"org.freedesktop.DBus.Properties\">\n"
                   "    <method name=\"Get\"><arg type=\"s\"/><arg type=\"s\"/>"
                   "<arg type=\"v\" direction=\"out\"/></method>\n"
                   "    <method name=\"GetAll\"><arg type=\"s\"/>"
                   "<arg type=\"a{sv}\" direction=\"out\"/></method>\n"
                   "    <method name=\"Set\"><arg type=\"s\"/><arg type=\"s\"/><arg type=\"v\"/>"
                   "</method>\n  </interface>\n"
                   "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
                   "    <method name=\"Introspect\"><arg type=\"s\" direction=\"out\"/></method>\n"
                   "  </interface>\n</node>\n");
    }();
    return xml;
}

// Answers a Quit from the bus once the end is decided. A success must reach the caller even
// though the program ends right after: the bus takes a connection's messages in order, so once
// it has answered a ping it has the reply too.
void answerQuit(QDBusConnection bus, const QDBusMessage &call, bool ended) {
    if (call.type() != QDBusMessage::MethodCallMessage) return; // called in the program
    if (!ended) {
        bus.send(call.createErrorReply(QLatin1String(kErrorVetoed),
                                       QStringLiteral("the end was vetoed by an add-in")));
        return;
    }
    bus.send(call.createReply());
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
             QDBus::Block, 1000);
}

// Every message to the host objects' paths comes here first, property access and
// introspection included, and is refused unless it comes from the object's owner. Qt's own
// export cannot do this: it gives a property's READ and WRITE functions no caller (QDBusContext
// is set for slots only), so Get, GetAll and Set of a stranger would pass, and its answer to
// Introspect on the parent path would list every object's path.
class AddInTree final : public QDBusVirtualObject {
public:
    AddInTree(const AddInService &service, QObject *parent)
        : QDBusVirtualObject(parent), m_service(service) {}
    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.type() != QDBusMessage::MethodCallMessage) return false;
        QDBusMessage reply;
        AddInBusObject *object = m_service.objectAt(message.path());
        if (message.path() == QLatin1String(kAddInObjectsPath) && message.member() == kIntrospect) {
            reply = message.createReply(kDocType + QStringLiteral("<node/>\n")); // lists no path
        } else if (!object) {
            reply = message.createErrorReply(QDBusError::UnknownObject,
                                             QStringLiteral("no object at %1").arg(message.path()));
        } else if (message.service() != object->owner()) {
            qCInfo(lcAddIns) << message.service() << "refused at" << message.path();
            reply = message.createErrorReply(
                QDBusError::AccessDenied,
                QStringLiteral("this add-in object belongs to another client"));
        } else {
            reply = object->answer(message);
        }
        if (reply.type() != QDBusMessage::InvalidMessage && message.isReplyRequired())
            connection.send(reply);
        return true;
    }

private:
    const AddInService &m_service;
};
} // namespace

// --- One host object ---

AddInBusObject::AddInBusObject(QString owner, QString path, QDBusConnection bus)
    : m_owner(std::move(owner)), m_path(std::move(path)), m_bus(std::move(bus)),
      m_addIn(std::make_unique<clsAddIn>()) {
    clsAddIn *a = m_addIn.get();
    connect(a, &clsAddIn::ReceivedCommand, this, &AddInBusObject::ReceivedCommand);
    connect(a, &clsAddIn::ReceivedSettings, this, &AddInBusObject::ReceivedSettings);
    connect(a, &clsAddIn::VolumeMain, this, [this](float db) { Q_EMIT VolumeMain(db); });
    connect(a, &clsAddIn::VolumeZone2, this, [this](float db) { Q_EMIT VolumeZone2(db); });
    connect(a, &clsAddIn::Terminate, this, &AddInBusObject::Terminate);
    connect(a,
            qOverload<long, const QString &, const QString &, long, const QString &>(
                &clsAddIn::AddInMessage),
            this,
            [this](long msg, const QString &sender, const QString &receiver, long p1,
                   const QString &p2) {
                Q_EMIT AddInMessage(int(msg), sender, receiver, int(p1), p2);
            });
    // The sink was asked before the registry's visit (AddInService::askEventSinks).
    connect(a, &clsAddIn::Unload, this,
            [this](int *Cancel) { *Cancel = std::exchange(m_unloadAnswer, 0); });
    relay(&AddInBusObject::ReceivedCommand);
    relay(&AddInBusObject::ReceivedSettings);
    relay(&AddInBusObject::VolumeMain);
    relay(&AddInBusObject::VolumeZone2);
    relay(&AddInBusObject::Terminate);
    relay(qOverload<int, const QString &, const QString &, int, const QString &>(
        &AddInBusObject::AddInMessage));
}

template <typename... Args>
void AddInBusObject::relay(void (AddInBusObject::*signal)(Args...)) {
    const QString name = QString::fromLatin1(QMetaMethod::fromSignal(signal).name());
    connect(this, signal, this,
            [this, name](Args... args) { toOwner(name, {QVariant::fromValue(args)...}); });
}

void AddInBusObject::toOwner(const QString &signal, const QList<QVariant> &arguments) {
    if (m_owner.isEmpty()) return;
    QDBusMessage event =
        QDBusMessage::createTargetedSignal(m_owner, m_path, kAddInInterface, signal);
    event.setArguments(arguments);
    m_bus.send(event);
}

QDBusMessage AddInBusObject::answer(const QDBusMessage &call) {
    const QString interface = call.interface();
    if ((interface.isEmpty() || interface == kIntrospectable) && call.member() == kIntrospect &&
        call.signature().isEmpty())
        return call.createReply(introspection());
    if (interface == kProperties) return propertyCall(call);
    if (interface.isEmpty() || interface == kAddInInterface) return methodCall(call);
    return call.createErrorReply(QDBusError::UnknownInterface,
                                 QStringLiteral("no interface %1 here").arg(interface));
}

QDBusMessage AddInBusObject::methodCall(const QDBusMessage &call) {
    for (const QMetaMethod &m : busMethods()) {
        if (call.member() != QLatin1String(m.name())) continue;
        QString signature;
        for (int i = 0; i < m.parameterCount(); ++i)
            if (const Parameter p = parameter(m, i); !p.out) signature += signatureOf(p.type);
        if (signature != call.signature()) continue;
        // The result first, then the arguments in the member's order: the caller's, and room
        // for those the member fills in.
        const QList<QVariant> given = call.arguments();
        std::vector<QVariant> values;
        values.reserve(m.parameterCount() + 1);
        values.emplace_back(hasResult(m) ? QVariant(m.returnMetaType()) : QVariant());
        qsizetype next = 0;
        for (int i = 0; i < m.parameterCount(); ++i) {
            const Parameter p = parameter(m, i);
            values.push_back(p.out ? QVariant(p.type) : given.at(next++));
            if (values.back().metaType() != p.type) values.back().convert(p.type);
        }
        std::vector<void *> argv;
        for (QVariant &v : values)
            argv.push_back(v.isValid() ? v.data() : nullptr);

        Call served{call, {}, false};
        Call *outer = std::exchange(m_call, &served);
        const QPointer<AddInBusObject> alive(this);
        QMetaObject::metacall(this, QMetaObject::InvokeMetaMethod, m.methodIndex(), argv.data());
        if (!alive) return QDBusMessage(); // it went with its client meanwhile
        m_call = outer;
        if (served.answerLater) return QDBusMessage();
        if (served.error.type() == QDBusMessage::ErrorMessage) return served.error;
        QList<QVariant> results;
        if (hasResult(m)) results << values.front();
        for (int i = 0; i < m.parameterCount(); ++i)
            if (parameter(m, i).out) results << values.at(i + 1);
        return call.createReply(results);
    }
    return call.createErrorReply(QDBusError::UnknownMethod,
                                 QStringLiteral("no method %1 with the arguments (%2)")
                                     .arg(call.member(), call.signature()));
}

QDBusMessage AddInBusObject::propertyCall(const QDBusMessage &call) {
    const QList<QVariant> args = call.arguments();
    const QString member = call.member();
    const QString signature = call.signature();
    if (!args.isEmpty() && !args.constFirst().toString().isEmpty() &&
        args.constFirst().toString() != kAddInInterface)
        return call.createErrorReply(
            QDBusError::UnknownInterface,
            QStringLiteral("no interface %1 here").arg(args.constFirst().toString()));
    const QMetaObject &mo = staticMetaObject;
    if (member == QLatin1String("GetAll") && signature == QLatin1String("s")) {
        QVariantMap all;
        for (int i = mo.propertyOffset(); i < mo.propertyCount(); ++i)
            all.insert(QLatin1String(mo.property(i).name()), mo.property(i).read(this));
        return call.createReply(QVariant::fromValue(all));
    }
    const bool get = member == QLatin1String("Get") && signature == QLatin1String("ss");
    if (!get && !(member == QLatin1String("Set") && signature == QLatin1String("ssv")))
        return call.createErrorReply(
            QDBusError::UnknownMethod,
            QStringLiteral("no method %1(%2) in %3").arg(member, signature, kProperties));
    const QString name = args.at(1).toString();
    const int index = mo.indexOfProperty(name.toLatin1().constData());
    if (index < mo.propertyOffset())
        return call.createErrorReply(QDBusError::UnknownProperty,
                                     QStringLiteral("no property %1").arg(name));
    const QMetaProperty property = mo.property(index);
    if (get) return call.createReply(QVariant::fromValue(QDBusVariant(property.read(this))));
    if (!property.isWritable())
        return call.createErrorReply(QDBusError::PropertyReadOnly,
                                     QStringLiteral("%1 is read-only").arg(name));
    const QVariant value = args.at(2).value<QDBusVariant>().variant();
    if (value.metaType() != property.metaType() || !property.write(this, value))
        return call.createErrorReply(
            QDBusError::InvalidArgs,
            QStringLiteral("%1 takes the type %2").arg(name, signatureOf(property.metaType())));
    return call.createReply();
}

void AddInBusObject::fail(const QString &errorName, const QString &text) {
    if (m_call) m_call->error = m_call->message.createErrorReply(errorName, text);
}

QDBusMessage AddInBusObject::answerLater() {
    if (!m_call) return QDBusMessage();
    m_call->answerLater = true;
    return m_call->message;
}

QDBusMessage AddInBusObject::unloadQuestion() const {
    if (m_sinkService.isEmpty() || m_sinkPath.isEmpty()) return QDBusMessage();
    return QDBusMessage::createMethodCall(
        m_sinkService, m_sinkPath, QLatin1String(kAddInEventsInterface), QStringLiteral("Unload"));
}

AddInBusObject::~AddInBusObject() = default;

QString AddInBusObject::AddInCreateDate() const {
    return m_addIn->AddInCreateDate().toString(Qt::ISODate);
}
QString AddInBusObject::AddInName() const {
    return m_addIn->AddInName();
}
void AddInBusObject::setAddInName(const QString &name) {
    m_addIn->setAddInName(name);
}
QString AddInBusObject::AddInCopyright() const {
    return m_addIn->AddInCopyright();
}
void AddInBusObject::setAddInCopyright(const QString &copyright) {
    m_addIn->setAddInCopyright(copyright);
}
QString AddInBusObject::AddInID() const {
    return m_addIn->AddInID();
}
QString AddInBusObject::AddInVersion() const {
    return m_addIn->AddInVersion();
}
void AddInBusObject::setAddInVersion(const QString &version) {
    m_addIn->setAddInVersion(version);
}
QString AddInBusObject::Version() const {
    return m_addIn->Version();
}
bool AddInBusObject::Visible() {
    return m_addIn->Visible();
}
bool AddInBusObject::Connected() {
    return m_addIn->Connected();
}
int AddInBusObject::WindowState() {
    return int(m_addIn->WindowState());
}

int AddInBusObject::WinampSendCommand(int eWinamp) {
    qint32 command = eWinamp;
    return int(m_addIn->WinampSendCommand(command));
}
int AddInBusObject::WinampGetStatus() {
    return int(m_addIn->WinampGetStatus());
}
void AddInBusObject::SendCommand(const QString &stCommand) {
    // On the bus a refused or dropped command is an error of the call, and never an error box:
    // a client must not be able to pile up boxes.
    if (const QString refusal = commandRefusal(stCommand); !refusal.isEmpty()) {
        qCWarning(lcAddIns).noquote() << "SendCommand of" << m_owner << "refused:" << refusal;
        fail(QDBusError::errorString(QDBusError::InvalidArgs), refusal);
        return;
    }
    if (!m_addIn->bRegistered() || !addInLink() || !addInLink()->linkReady()) {
        fail(QLatin1String(kErrorNotSent),
             m_addIn->bRegistered() ? QStringLiteral("the link to the receiver is closed or busy")
                                    : QStringLiteral("the add-in is not registered"));
        return;
    }
    m_addIn->SendCommand(stCommand);
}
void AddInBusObject::GetText(QString &stLine1, QString &stLine2) {
    m_addIn->GetText(stLine1, stLine2);
}
int AddInBusObject::GetInformation(QString &ModelID, QString &Model, QString &Version,
                                   QString &ReturnString) {
    return int(m_addIn->GetInformation(ModelID, Model, Version, ReturnString));
}
void AddInBusObject::Show() {
    m_addIn->Show();
}
void AddInBusObject::Hide() {
    m_addIn->Hide();
}
int AddInBusObject::Disconnect() {
    return int(m_addIn->Disconnect());
}
int AddInBusObject::ReadSettings(QString &stSettings) {
    QVariant block;
    const long result = m_addIn->ReadSettings(&block);
    stSettings = block.toString();
    return int(result);
}
int AddInBusObject::Connect(bool bPowerOn, int ComPort) {
    long port = ComPort;
    return int(m_addIn->Connect(&bPowerOn, &port));
}
void AddInBusObject::Quit() {
    // Answered once the end is decided: success when the program ends, Vetoed when an add-in
    // refused.
    const QDBusMessage call = answerLater();
    // Run after this call has been dispatched: the end asks every client's sink, this one's too.
    QTimer::singleShot(0, this, [this, call, bus = m_bus] {
        Form_Velmora *main = Form_Velmora::existing();
        if (main && main->endBeingDecided()) { // an earlier end's decision answers this call too
            connect(
                main, &Form_Velmora::endDecided, this,
                [bus, call](bool ended) { answerQuit(bus, call, ended); },
                Qt::SingleShotConnection);
            return;
        }
        bool ended = true; // without a main window there is nothing to refuse
        if (main) {
            const auto decided =
                connect(main, &Form_Velmora::endDecided, [&ended](bool e) { ended = e; });
            m_addIn->Quit(); // this object may go meanwhile, with a client that leaves
            QObject::disconnect(decided);
        }
        answerQuit(bus, call, ended);
    });
}
void AddInBusObject::About() {
    QTimer::singleShot(0, m_addIn.get(), [a = m_addIn.get()] { a->About(); });
}
void AddInBusObject::AddInRegister() {
    m_addIn->AddInRegister();
}
void AddInBusObject::AddInUnRegister() {
    m_addIn->AddInUnRegister();
}
void AddInBusObject::AddInTerminate(const QString &AddInID) {
    m_addIn->AddInTerminate(AddInID);
}
void AddInBusObject::AddInMessage(int Msg, const QString &ReceiverID, int Param1,
                                  const QString &Param2) {
    m_addIn->AddInMessage(Msg, ReceiverID, Param1, Param2);
}
void AddInBusObject::SetEventSink(const QString &busName, const QDBusObjectPath &objectPath) {
    // The program calls the sink when it is about to end: it must be the client's own, or a
    // client could have the program call another program on its behalf.
    if (!m_owner.isEmpty() && busName != m_owner &&
        m_bus.interface()->serviceOwner(busName).value() != m_owner) {
        qCWarning(lcAddIns).noquote() << "SetEventSink of" << m_owner << "refused:" << busName;
        fail(QDBusError::errorString(QDBusError::AccessDenied),
             QStringLiteral("%1 is not a name of the calling client").arg(busName));
        return;
    }
    m_sinkService = busName;
    m_sinkPath = objectPath.path();
}

// --- The host ---

AddInService::AddInService(QDBusConnection bus)
    : m_bus(std::move(bus)), m_watcher(new QDBusServiceWatcher(this)),
      m_tree(new AddInTree(*this, this)) {
    m_watcher->setConnection(m_bus);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString &client) { clientLeft(client); });
}

AddInService::~AddInService() {
    if (m_bus.isConnected()) {
        m_bus.unregisterObject(QLatin1String(kAddInServicePath), QDBusConnection::UnregisterTree);
        m_bus.unregisterService(QLatin1String(kAddInServiceName));
    }
}

bool AddInService::start() {
    if (!m_bus.isConnected()) {
        qCWarning(lcAddIns) << "no session bus; add-ins of other programs cannot join";
        return false;
    }
    if (!m_bus.registerObject(QLatin1String(kAddInServicePath), this,
                              QDBusConnection::ExportScriptableSlots)) {
        qCWarning(lcAddIns) << "cannot export" << kAddInServicePath;
        return false;
    }
    if (!m_bus.registerVirtualObject(QLatin1String(kAddInObjectsPath), m_tree,
                                     QDBusConnection::SubPath)) {
        qCWarning(lcAddIns) << "cannot export" << QLatin1String(kAddInObjectsPath);
        m_bus.unregisterObject(QLatin1String(kAddInServicePath));
        return false;
    }
    if (!m_bus.registerService(QLatin1String(kAddInServiceName))) {
        qCWarning(lcAddIns) << kAddInServiceName
                            << "is held by another program:" << m_bus.lastError().message();
        m_bus.unregisterObject(QLatin1String(kAddInServicePath), QDBusConnection::UnregisterTree);
        return false;
    }
    return true;
}

int AddInService::objectCount() const {
    return int(m_objects.size());
}

QDBusObjectPath AddInService::CreateAddIn() {
    const QString client = calledFromDBus() ? message().service() : QString();
    if (!client.isEmpty()) {
        const auto held =
            std::count_if(m_objects.cbegin(), m_objects.cend(),
                          [&](const AddInBusObject *o) { return o->owner() == client; });
        if (held >= kObjectsPerClient) {
            sendErrorReply(QDBusError::LimitsExceeded,
                           QStringLiteral("a client may hold at most %1 add-in objects")
                               .arg(kObjectsPerClient));
            return QDBusObjectPath();
        }
        // Watched first, then looked for: a client that left before this call was served is
        // not there, and one that leaves after the look is seen leaving.
        m_watcher->addWatchedService(client);
        if (!m_bus.interface()->isServiceRegistered(client)) {
            qCInfo(lcAddIns) << client << "left before its add-in object was made";
            clientLeft(client);
            return QDBusObjectPath();
        }
    }
    const QString path = QLatin1String(kAddInObjectsPath) + QLatin1Char('/') + unguessableToken();
    auto *object = new AddInBusObject(client, path, m_bus);
    object->setParent(this);
    m_objects.insert(path, object);
    return QDBusObjectPath(path);
}

void AddInService::askEventSinks(const QList<QPointer<clsAddIn>> &entries) {
    QEventLoop loop;
    int waiting = 0;
    std::vector<std::unique_ptr<QDBusPendingCallWatcher>> calls;
    for (AddInBusObject *object : std::as_const(m_objects)) {
        object->keepUnloadAnswer(0);
        const QDBusMessage question = object->unloadQuestion();
        if (question.type() != QDBusMessage::MethodCallMessage ||
            !entries.contains(&object->addIn()))
            continue;
        // All questions go out before any answer is awaited, each with the same deadline, so
        // the wait ends when the last has answered, or failed, or timed out.
        calls.push_back(
            std::make_unique<QDBusPendingCallWatcher>(m_bus.asyncCall(question, kUnloadAnswerMs)));
        ++waiting;
        connect(calls.back().get(), &QDBusPendingCallWatcher::finished, &loop,
                [&loop, &waiting, object = QPointer(object)](QDBusPendingCallWatcher *call) {
                    const QDBusMessage reply = call->reply();
                    if (object && reply.type() == QDBusMessage::ReplyMessage &&
                        !reply.arguments().isEmpty())
                        object->keepUnloadAnswer(reply.arguments().constFirst().toInt());
                    else if (object) // no answer, or an error: no veto
                        qCWarning(lcAddIns) << "the event sink of" << object->owner()
                                            << "did not answer Unload:" << reply.errorMessage();
                    if (--waiting == 0) loop.quit();
                });
    }
    if (waiting > 0) loop.exec();
}

void AddInService::clientLeft(const QString &client) {
    // Its host objects go, and with them their entries in the registry.
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        if (it.value()->owner() != client) {
            ++it;
            continue;
        }
        AddInBusObject *object = it.value();
        it = m_objects.erase(it);
        delete object;
    }
    m_watcher->removeWatchedService(client);
}

namespace {
std::unique_ptr<AddInService> &serviceSlot() {
    static std::unique_ptr<AddInService> s;
    return s;
}
} // namespace

AddInService *addInService() {
    return serviceSlot().get();
}

void startAddInService() {
    if (serviceSlot()) return;
    auto service = std::make_unique<AddInService>(QDBusConnection::sessionBus());
    if (service->start()) serviceSlot() = std::move(service);
}

void stopAddInService() {
    serviceSlot().reset();
}
