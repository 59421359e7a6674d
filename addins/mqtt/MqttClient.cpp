// SPDX-License-Identifier: GPL-3.0-or-later
// The broker connection: libmosquitto's non-blocking calls, run by socket notifiers and one timer.
#include "addins/mqtt/MqttClient.h"

#include "link/TcpTransport.h"

#include <mosquitto.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QList>
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/socket.h>

namespace {
Q_LOGGING_CATEGORY(lcClient, "velmora.addins.mqtt", QtWarningMsg)

constexpr int KeepAliveSeconds = 60;
constexpr int TickMs = 1000;        // the keep-alive's clock while a connection is open
constexpr int AnswerWaitMs = 20000; // TCP, TLS and the broker's answer to CONNECT together

// libmosquitto's words without their full stop.
QString words(const char *text) {
    QString s = QString::fromUtf8(text).trimmed();
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    return s;
}

QString describe(int code, int error) {
    if (code == MOSQ_ERR_ERRNO && error != 0) return QString::fromLocal8Bit(std::strerror(error));
    return words(mosquitto_strerror(code));
}

// A socket that failed or was closed by the far end before the broker answered: the TLS
// handshake may not notice by itself and would be woken again and again. The error of the last
// call may tell why, when the socket's own error was taken by that call.
bool socketGone(int fd, int lastError, QString *reason) {
    int error = 0;
    socklen_t length = sizeof error;
    char byte;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error == 0) {
        if (recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 0) return false;
        for (int refused : {ECONNREFUSED, ECONNRESET, EHOSTUNREACH, ENETUNREACH, ETIMEDOUT})
            error = lastError == refused ? refused : error;
    }
    *reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                         : QStringLiteral("The broker closed the connection");
    return true;
}
} // namespace

struct MqttClient::Private {
    enum class State { Off, LookingUp, Connecting, Connected, Waiting };

    MqttClient *q;
    MqttSettings settings;
    QByteArray clientId;
    Will will;
    QStringList subscriptions;
    State state = State::Off;
    mosquitto *mosq = nullptr; // a new one for every try
    QSocketNotifier *reader = nullptr;
    QSocketNotifier *writer = nullptr;
    QTimer timer; // the keep-alive while connecting or connected, the pause while waiting
    QDeadlineTimer answerBy;
    int lookupId = -1;
    int failures = 0; // tries in a row that failed: the pause before the next
    int pause = 0;
    QString reason;

    // What libmosquitto's callbacks saw during one of its calls, handled after it returned.
    bool accepted = false;
    int refusal = 0;
    bool lost = false;
    int lostCode = 0;
    int lostErrno = 0;
    QString tlsError;
    QList<QPair<QString, QByteArray>> messages;

    explicit Private(MqttClient *client) : q(client) {
        QObject::connect(&timer, &QTimer::timeout, q, [this] { tick(); });
    }

    QString host() const { return settings.host.trimmed(); }

    QString address() const {
        const QString h = host();
        return (h.contains(QLatin1Char(':')) ? QLatin1Char('[') + h + QLatin1Char(']') : h) +
               QLatin1Char(':') + QString::number(settings.effectivePort());
    }

    void dropNotifiers() {
        // They may be the ones whose activation runs now: switched off, deleted later.
        for (QSocketNotifier **n : {&reader, &writer}) {
            if (!*n) continue;
            (*n)->setEnabled(false);
            QObject::disconnect(*n, nullptr, q, nullptr);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }

    void teardown() {
        if (lookupId != -1) QHostInfo::abortHostLookup(lookupId);
        lookupId = -1;
        timer.stop();
        dropNotifiers();
        if (!mosq) return;
        if (state == State::Connected && mosquitto_disconnect(mosq) == MOSQ_ERR_SUCCESS)
            for (int i = 0; i < 3 && mosquitto_want_write(mosq); ++i)
                mosquitto_loop_write(mosq, 1);
        mosquitto_destroy(mosq);
        mosq = nullptr;
    }

    void tryNow() {
        teardown();
        state = State::LookingUp;
        const QString name = host();
        if (!QHostAddress(name).isNull()) {
            connectNow();
            return;
        }
        // The name first, without waiting, so that a slow name server does not freeze the
        // windows; libmosquitto then finds it again at once.
        lookupId = QHostInfo::lookupHost(name, q, [this](const QHostInfo &info) {
            if (info.lookupId() != lookupId) return;
            lookupId = -1;
            if (info.error() != QHostInfo::NoError)
                fail(info.errorString());
            else
                connectNow();
        });
        Q_EMIT q->stateChanged();
    }

    void connectNow() {
        mosq = mosquitto_new(clientId.isEmpty() ? nullptr : clientId.constData(), true, this);
        if (!mosq) return fail(QString::fromLocal8Bit(std::strerror(errno)));
        mosquitto_connect_callback_set(mosq, [](mosquitto *, void *p, int code) {
            auto *d = static_cast<Private *>(p);
            d->accepted = code == 0;
            d->refusal = code;
        });
        mosquitto_disconnect_callback_set(mosq, [](mosquitto *, void *p, int code) {
            auto *d = static_cast<Private *>(p);
            d->lostErrno = errno;
            d->lost = true;
            d->lostCode = code;
        });
        mosquitto_message_callback_set(mosq, [](mosquitto *, void *p, const mosquitto_message *m) {
            static_cast<Private *>(p)->messages.append(
                {QString::fromUtf8(m->topic),
                 QByteArray(static_cast<const char *>(m->payload), m->payloadlen)});
        });
        mosquitto_log_callback_set(mosq, [](mosquitto *, void *p, int level, const char *text) {
            if (level == MOSQ_LOG_ERR && std::strncmp(text, "OpenSSL Error", 13) == 0)
                static_cast<Private *>(p)->tlsError = QString::fromUtf8(text);
            qCDebug(lcClient) << "libmosquitto:" << text;
        });
        accepted = lost = false;
        refusal = lostCode = lostErrno = 0;
        tlsError.clear();
        messages.clear();

        int rc = MOSQ_ERR_SUCCESS;
        const QByteArray topic = will.topic.toUtf8();
        if (!topic.isEmpty())
            rc = mosquitto_will_set(mosq, topic.constData(), int(will.payload.size()),
                                    will.payload.constData(), 1, will.retain);
        const QByteArray user = settings.user.toUtf8(), password = settings.password.toUtf8();
        if (rc == MOSQ_ERR_SUCCESS && !user.isEmpty())
            rc = mosquitto_username_pw_set(mosq, user.constData(),
                                           password.isEmpty() ? nullptr : password.constData());
        if (rc == MOSQ_ERR_SUCCESS && settings.tls()) {
            auto file = [](const QString &path) { return path.trimmed().toLocal8Bit(); };
            const QByteArray ca = file(settings.caFile), cert = file(settings.certFile),
                             key = file(settings.keyFile);
            for (const QByteArray &path : {ca, cert, key})
                if (!path.isEmpty() && !QFileInfo(QString::fromLocal8Bit(path)).isReadable())
                    return fail(QStringLiteral("Cannot read ") + QString::fromLocal8Bit(path));
            rc = mosquitto_tls_set(mosq, ca.constData(), nullptr,
                                   cert.isEmpty() ? nullptr : cert.constData(),
                                   key.isEmpty() ? nullptr : key.constData(), nullptr);
            if (rc != MOSQ_ERR_SUCCESS)
                return fail(
                    QStringLiteral("The TLS files cannot be used (%1)").arg(describe(rc, errno)));
        }
        if (rc == MOSQ_ERR_SUCCESS) {
            qCInfo(lcClient).noquote() << "connecting to" << address() << "as" << clientId;
            rc = mosquitto_connect_async(mosq, host().toUtf8().constData(),
                                         settings.effectivePort(), KeepAliveSeconds);
        }
        if (rc != MOSQ_ERR_SUCCESS) return fail(lossReason(rc, errno));
        const int connectError = errno; // a TLS handshake begun on a refused socket hides it

        state = State::Connecting;
        answerBy.setRemainingTime(AnswerWaitMs);
        const int fd = mosquitto_socket(mosq);
        reader = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, q);
        writer = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, q);
        QObject::connect(reader, &QSocketNotifier::activated, q, [this] {
            const int rc = mosquitto_loop_read(mosq, 1);
            handle(rc, errno, true);
        });
        QObject::connect(writer, &QSocketNotifier::activated, q, [this] {
            const int rc = mosquitto_loop_write(mosq, 1);
            handle(rc, errno, false);
        });
        timer.start(TickMs);
        Q_EMIT q->stateChanged();
        handle(MOSQ_ERR_SUCCESS, connectError, true);
    }

    void tick() {
        if (state == State::Waiting) return tryNow();
        if (!mosq) return;
        if (state == State::Connecting && answerBy.hasExpired())
            return fail(QStringLiteral("The broker does not answer"));
        const int rc = mosquitto_loop_misc(mosq);
        handle(rc, errno, false);
    }

    QString lossReason(int code, int error) const {
        if (refusal != 0)
            return QStringLiteral("The broker refused the connection: ") +
                   words(mosquitto_connack_string(refusal)).section(QStringLiteral(": "), -1);
        if (!tlsError.isEmpty())
            return QStringLiteral("TLS error: ") + tlsError.section(QLatin1Char(':'), -1);
        return describe(code == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : code, error);
    }

    // After every call into libmosquitto: what its callbacks saw, and whether the socket lives.
    void handle(int rc, int error, bool readable) {
        if (!mosq) return;
        QPointer<MqttClient> alive(q);
        mosquitto *const current = mosq;
        auto same = [&] { return alive && mosq == current; }; // a slot may have stopped it
        if (accepted) {
            accepted = false;
            state = State::Connected;
            failures = 0;
            reason.clear();
            qCInfo(lcClient).noquote() << "connected to" << address();
            for (const QString &filter : std::as_const(subscriptions))
                mosquitto_subscribe(mosq, nullptr, filter.toUtf8().constData(), 1);
            Q_EMIT q->stateChanged();
            if (!same()) return;
            Q_EMIT q->connected();
            if (!same()) return;
        }
        while (!messages.isEmpty()) {
            const auto [topic, payload] = messages.takeFirst();
            Q_EMIT q->messageReceived(topic, payload);
            if (!same()) return;
        }
        QString gone;
        if (lost || rc != MOSQ_ERR_SUCCESS || mosquitto_socket(mosq) < 0)
            gone = lossReason(lost ? lostCode : rc, lost ? lostErrno : error);
        else if (state == State::Connecting && readable)
            socketGone(mosquitto_socket(mosq), error, &gone);
        if (!gone.isEmpty()) return fail(gone);
        writer->setEnabled(mosquitto_want_write(mosq));
    }

    void fail(const QString &why) {
        state = State::Waiting; // the connection is gone: no goodbye
        teardown();
        reason = why;
        pause = bridgeRetryDelay(failures++);
        timer.start(pause * 1000);
        qCInfo(lcClient).noquote() << "not connected to" << address() + QLatin1Char(':') << why;
        QPointer<MqttClient> alive(q);
        Q_EMIT q->stateChanged();
        if (alive && state == State::Waiting) Q_EMIT q->disconnected(why);
    }
};

MqttClient::MqttClient(QObject *parent) : QObject(parent), d(new Private(this)) {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

MqttClient::~MqttClient() {
    d->teardown();
    delete d;
}

void MqttClient::start(const MqttSettings &settings, const QString &clientId, const Will &will) {
    d->teardown();
    d->settings = settings;
    d->clientId = clientId.toUtf8();
    d->will = will;
    d->failures = 0;
    d->reason.clear();
    d->state = Private::State::Off;
    if (settings.configured())
        d->tryNow();
    else
        Q_EMIT stateChanged();
}

void MqttClient::stop() {
    if (d->state == Private::State::Off) return;
    d->teardown();
    d->state = Private::State::Off;
    d->reason.clear();
    qCInfo(lcClient) << "stopped";
    Q_EMIT stateChanged();
}

bool MqttClient::isConnected() const {
    return d->state == Private::State::Connected;
}

bool MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain) {
    if (!isConnected()) return false;
    const int rc = mosquitto_publish(d->mosq, nullptr, topic.toUtf8().constData(),
                                     int(payload.size()), payload.constData(), 1, retain);
    if (rc != MOSQ_ERR_SUCCESS) qCInfo(lcClient) << "not published:" << describe(rc, errno);
    d->writer->setEnabled(mosquitto_want_write(d->mosq));
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::subscribe(const QString &topicFilter) {
    if (d->subscriptions.contains(topicFilter)) return;
    d->subscriptions.append(topicFilter);
    if (!isConnected()) return;
    mosquitto_subscribe(d->mosq, nullptr, topicFilter.toUtf8().constData(), 1);
    d->writer->setEnabled(mosquitto_want_write(d->mosq));
}

void MqttClient::clearSubscriptions() {
    if (isConnected())
        for (const QString &filter : std::as_const(d->subscriptions))
            mosquitto_unsubscribe(d->mosq, nullptr, filter.toUtf8().constData());
    d->subscriptions.clear();
    if (d->mosq && d->writer) d->writer->setEnabled(mosquitto_want_write(d->mosq));
}

QString MqttClient::stateText() const {
    switch (d->state) {
    case Private::State::Off:
        return QStringLiteral("Off");
    case Private::State::LookingUp:
    case Private::State::Connecting:
        return QStringLiteral("Connecting to ") + d->address();
    case Private::State::Connected:
        return QStringLiteral("Connected to ") + d->address();
    case Private::State::Waiting:
        break;
    }
    return QStringLiteral("Not connected: %1, next try in %2 s").arg(d->reason).arg(d->pause);
}
