// SPDX-License-Identifier: GPL-3.0-or-later
// Starts mosquitto with a configuration of its own, makes its certificates, runs its clients.
#include "support/Mosquitto.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

Mosquitto::Mosquitto(Tls tls) : m_tls(tls) {
    QTcpServer probe; // a free loopback port, handed on to the broker
    if (!m_dir.isValid() || !probe.listen(QHostAddress::LocalHost)) m_error = "no folder or port";
    m_port = probe.serverPort();
    probe.close();
    // As root it would become its own user, who cannot read this folder.
    QString config = QStringLiteral("listener %1 127.0.0.1\nallow_anonymous false\npassword_file "
                                    "passwords\npersistence false\nuser root\n")
                         .arg(m_port);
    if (tls != Tls::Off)
        config += "cafile ca.crt\ncertfile server.crt\nkeyfile server.key\nrequire_certificate " +
                  QString(tls == Tls::ClientCertificate ? "true\n" : "false\n");
    QFile conf(file("mosquitto.conf")), san(file("san.ext"));
    if (isReady() && !(conf.open(QIODevice::WriteOnly) && conf.write(config.toUtf8()) > 0 &&
                       san.open(QIODevice::WriteOnly) &&
                       san.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n") > 0))
        m_error = "cannot write in " + m_dir.path();
    conf.close();
    san.close();
    if (!isReady() || !run("mosquitto_passwd", {"-b", "-c", "passwords", user(), password()}))
        return;
    // Two CAs, and a certificate for the broker (its names: localhost and 127.0.0.1) and for
    // the client, signed by the first.
    const QStringList key{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    for (const QString &name :
         tls == Tls::Off ? QStringList() : QStringList{"ca", "other", "server", "client"}) {
        const bool ca = name == "ca" || name == "other";
        if (!run("openssl", QStringList{"req", ca ? "-x509" : "-new"} + key +
                                QStringList{"-keyout", name + ".key", "-out",
                                            name + (ca ? ".crt" : ".csr"), "-subj", "/CN=" + name}))
            break;
        if (!ca && !run("openssl",
                        {"x509", "-req", "-in", name + ".csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                         "-CAcreateserial", "-out", name + ".crt", "-extfile", "san.ext"}))
            break;
    }
    if (isReady()) start();
}

bool Mosquitto::run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    process.start(program, arguments);
    if (process.waitForFinished(30000) && process.exitCode() == 0) return true;
    m_error = QStringLiteral("%1 failed (run scripts/setup test): %2 %3")
                  .arg(program, process.errorString(), QString::fromLocal8Bit(process.readAll()));
    return false;
}

bool Mosquitto::start() {
    if (m_process.state() != QProcess::NotRunning) return true;
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(m_dir.path());
    m_process.start(QStringLiteral("mosquitto"), {"-c", "mosquitto.conf"});
    const QDeadlineTimer deadline(15000);
    while (m_process.waitForStarted(5000) && !deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(500)) return true;
        if (m_process.waitForFinished(50)) break; // it ended: its log says why
    }
    stop();
    m_error = QStringLiteral("mosquitto did not accept on port %1 (run scripts/setup test): %2")
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(m_process.readAll()).trimmed());
    return false;
}

void Mosquitto::stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

MqttSettings Mosquitto::settings() const {
    const bool tls = m_tls != Tls::Off, cert = m_tls == Tls::ClientCertificate;
    MqttSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = m_port;
    s.user = user();
    s.password = password();
    if (tls) s.caFile = caFile();
    if (cert) {
        s.certFile = clientCert();
        s.keyFile = clientKey();
    }
    return s;
}

QStringList Mosquitto::clientArguments() const {
    QStringList arguments{"-h", "127.0.0.1", "-p", QString::number(m_port),
                          "-u", user(),      "-P", password()};
    if (m_tls != Tls::Off) arguments << "--cafile" << caFile();
    if (m_tls == Tls::ClientCertificate)
        arguments << "--cert" << clientCert() << "--key" << clientKey();
    return arguments;
}

bool Mosquitto::publish(const QString &topic, const QByteArray &payload, bool retain) const {
    QProcess process; // the payload on standard input, as it is
    process.start("mosquitto_pub", clientArguments() + QStringList{"-q", "1", "-t", topic, "-s"} +
                                       (retain ? QStringList{"-r"} : QStringList()));
    process.write(payload);
    process.closeWriteChannel();
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

MqttSubscriber::MqttSubscriber(const Mosquitto &broker, const QString &topicFilter) {
    // -d tells when it is subscribed; the messages are the lines "RETAINED TOPIC PAYLOAD". Its
    // standard output is a pipe: stdbuf has it write each line at once.
    m_process.start("stdbuf", QStringList{"-oL", "mosquitto_sub"} + broker.clientArguments() +
                                  QStringList{"-d", "-t", topicFilter, "-F", "%r %t %p"});
    const QDeadlineTimer deadline(10000);
    while (!m_subscribed && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(200);
        messages();
    }
}

MqttSubscriber::~MqttSubscriber() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QList<MqttSubscriber::Message> MqttSubscriber::messages() {
    m_pending += m_process.readAllStandardOutput();
    for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
        const QByteArray line = m_pending.left(end);
        m_subscribed = m_subscribed || line.startsWith("Subscribed");
        if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != ' ') continue;
        const qsizetype space = line.indexOf(' ', 2);
        m_messages.append({line[0] == '1', QString::fromUtf8(line.mid(2, space - 2)),
                           space < 0 ? QByteArray() : line.mid(space + 1)});
    }
    return m_messages;
}

QByteArray MqttSubscriber::lastPayload(const QString &topic) {
    const QList<Message> all = messages();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        if (it->topic == topic) return it->payload;
    return {};
}

std::optional<MqttSubscriber::Message>
MqttSubscriber::waitFor(const QString &topic, const std::optional<QByteArray> &payload, int ms) {
    for (const QDeadlineTimer deadline(ms); !deadline.hasExpired(); QTest::qWait(20))
        for (const Message &m : messages())
            if (m.topic == topic && (!payload || m.payload == *payload)) return m;
    return std::nullopt;
}
