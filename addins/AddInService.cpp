// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on the session bus.
#include "addins/AddInService.h"

#include "addins/clsAddIn.h"
#include "errors/ErrorHandling.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcAddIns, "velmora.addins", QtWarningMsg)

namespace {
constexpr int kSinkTimeoutMs = 5000; // a client that does not answer does not hold the end up
constexpr auto kExport = QDBusConnection::ExportScriptableSlots |
                         QDBusConnection::ExportScriptableSignals |
                         QDBusConnection::ExportAllProperties;

QString objectPath(quint64 n) {
    return QStringLiteral("%1/AddIn/%2").arg(QLatin1String(kAddInServicePath)).arg(n);
}
} // namespace

// --- One host object ---

AddInBusObject::AddInBusObject(QString owner, QDBusConnection bus)
    : m_owner(std::move(owner)), m_bus(std::move(bus)), m_addIn(std::make_unique<clsAddIn>()) {
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
    connect(a, &clsAddIn::Unload, this, [this](int *Cancel) { *Cancel = askSink(); });
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
    // After the answer: the end asks every client (this one too) through its sink.
    QTimer::singleShot(0, m_addIn.get(), [a = m_addIn.get()] { a->Quit(); });
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
    m_sinkService = busName;
    m_sinkPath = objectPath.path();
}

int AddInBusObject::askSink() {
    if (m_sinkService.isEmpty() || m_sinkPath.isEmpty()) return 0;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        m_sinkService, m_sinkPath, QStringLiteral("org.velmora.Velmora.AddInEvents"),
        QStringLiteral("Unload"));
    const QDBusMessage answer = m_bus.call(call, QDBus::Block, kSinkTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        qCWarning(lcAddIns) << "event sink of" << m_owner
                            << "did not answer Unload:" << answer.errorMessage();
        return 0;
    }
    return answer.arguments().constFirst().toInt();
}

// --- The host ---

AddInService::AddInService(QDBusConnection bus)
    : m_bus(std::move(bus)), m_watcher(new QDBusServiceWatcher(this)) {
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
    if (!m_bus.registerService(QLatin1String(kAddInServiceName))) {
        qCWarning(lcAddIns) << kAddInServiceName
                            << "is held by another program:" << m_bus.lastError().message();
        m_bus.unregisterObject(QLatin1String(kAddInServicePath));
        return false;
    }
    return true;
}

int AddInService::objectCount() const {
    return int(findChildren<AddInBusObject *>(QString(), Qt::FindDirectChildrenOnly).size());
}

QDBusObjectPath AddInService::CreateAddIn() {
    const QString client = calledFromDBus() ? message().service() : QString();
    auto *object = new AddInBusObject(client, m_bus);
    object->setParent(this);
    const QString path = objectPath(m_next++);
    object->setObjectName(path);
    m_bus.registerObject(path, object, kExport);
    if (!client.isEmpty()) m_watcher->addWatchedService(client);
    return QDBusObjectPath(path);
}

void AddInService::clientLeft(const QString &client) {
    // Its host objects go, and with them their entries in the registry.
    for (AddInBusObject *object :
         findChildren<AddInBusObject *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (object->owner() != client) continue;
        m_bus.unregisterObject(object->objectName());
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
