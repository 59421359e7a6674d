// The tests' MPRIS2 player: answers property reads, records method calls, can stay silent.
#include "FakeMprisPlayer.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutexLocker>

namespace {
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
int gConnections = 0;
} // namespace

class FakeMprisPlayer::Service : public QDBusVirtualObject {
public:
    Service(std::shared_ptr<State> state, QObject *parent)
        : QDBusVirtualObject(parent), m_state(std::move(state)) {}

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        QMutexLocker lock(&m_state->mutex);
        m_state->calls.append({message.interface(), message.member(), message.arguments()});
        if (m_state->silent) return true; // taken, never answered
        if (message.interface() == kProperties && message.member() == QLatin1String("Get")) {
            const QString name = message.arguments().value(1).toString();
            const QVariant value = m_state->properties.value(name);
            if (!value.isValid()) {
                connection.send(message.createErrorReply(QDBusError::InvalidArgs, name));
                return true;
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
            return true;
        }
        if (message.interface() == kProperties && message.member() == QLatin1String("Set")) {
            const QString name = message.arguments().value(1).toString();
            m_state->properties.insert(
                name, qvariant_cast<QDBusVariant>(message.arguments().value(2)).variant());
        }
        connection.send(message.createReply());
        return true;
    }

private:
    std::shared_ptr<State> m_state;
};

FakeMprisPlayer::FakeMprisPlayer(const QString &suffix)
    : m_busName(QStringLiteral("org.mpris.MediaPlayer2.") + suffix),
      m_connectionName(QStringLiteral("fake-mpris-%1").arg(++gConnections)),
      m_state(std::make_shared<State>()), m_context(std::make_unique<QObject>()) {
    m_state->properties.insert(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing"));
    m_state->properties.insert(QStringLiteral("Volume"), 1.0);
    m_state->properties.insert(QStringLiteral("Metadata"), QVariantMap());
    m_context->moveToThread(&m_thread);
    m_thread.start();
    runInThread([this] {
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
        m_service = new Service(m_state, m_context.get());
        m_registered = bus.isConnected() && bus.registerVirtualObject(kObjectPath, m_service) &&
                       bus.registerService(m_busName);
    });
}

FakeMprisPlayer::~FakeMprisPlayer() {
    quit();
    QThread *here = QThread::currentThread();
    // The service goes with its context, which is handed back here to be deleted.
    runInThread([this, here] { m_context->moveToThread(here); });
    m_thread.quit();
    m_thread.wait();
}

void FakeMprisPlayer::runInThread(const std::function<void()> &f) {
    QMetaObject::invokeMethod(m_context.get(), f, Qt::BlockingQueuedConnection);
}

void FakeMprisPlayer::setProperty(const QString &name, const QVariant &value) {
    QMutexLocker lock(&m_state->mutex);
    m_state->properties.insert(name, value);
}

void FakeMprisPlayer::setSilent(bool silent) {
    QMutexLocker lock(&m_state->mutex);
    m_state->silent = silent;
}

QList<FakeMprisPlayer::Call> FakeMprisPlayer::calls() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->calls;
}

QList<FakeMprisPlayer::Call> FakeMprisPlayer::calls(const QString &member) const {
    QList<Call> matching;
    for (const Call &c : calls())
        if (c.member == member) matching << c;
    return matching;
}

void FakeMprisPlayer::quit() {
    if (m_quit) return;
    m_quit = true;
    m_registered = false;
    runInThread([this] {
        QDBusConnection(m_connectionName).unregisterObject(kObjectPath);
        QDBusConnection::disconnectFromBus(m_connectionName);
    });
}
