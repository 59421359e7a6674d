// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT add-in's settings: the real store in a temporary folder, the base topic's rules and
// the settings window's checks.
#include "addins/mqtt/Form_Mqtt.h"
#include "addins/mqtt/MqttSettings.h"
#include "base/ConfigValues.h"
#include "support/DataRows.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <sys/stat.h>

namespace {
int fileMode(const QString &file) {
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}
} // namespace

class TestMqttSettings : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    MqttSettings full; // every field set, with files that exist

    void writeFile(const QString &name, const QByteArray &text, int mode = 0644) {
        QVERIFY(QDir().mkpath(QFileInfo(name).absolutePath()));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QCOMPARE(::chmod(QFile::encodeName(name).constData(), mode), 0);
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        full = {"broker.lan",
                8883,
                "velmora",
                " pass word ",
                env->file("ca.pem"),
                env->file("cert.pem"),
                env->file("key.pem"),
                "home/av",
                false};
        for (const QString &file : {full.caFile, full.certFile, full.keyFile})
            writeFile(file, "-----BEGIN-----\n");
    }
    void cleanup() { env.reset(); }

    // mode: the file's mode before the save, -1 for no file yet.
    void storeKeepsTheSettings_data() {
        columns<int, QString, int>("before", "password", "after");
        row("new file, password", -1, "secret", 0600);
        row("open file, password", 0644, "secret", 0600);
        row("open file, none", 0644, "", 0644);
        row("group-readable file, none", 0640, "", 0640);
    }
    void storeKeepsTheSettings() {
        FETCH((int, QString, int), before, password, after);
        const QString file = env->settingsFile();
        MqttSettings earlier; // nothing stored: the defaults; an unreadable port reads as 0
        if (before >= 0) {
            writeFile(file, "[MQTT]\nPassword=old\nPort=x\nDiscovery=0\n", before);
            earlier.password = "old";
            earlier.discovery = false;
        }
        QCOMPARE(readMqttSettings(), earlier);
        MqttSettings s = full;
        s.password = password;
        writeMqttSettings(s);
        QCOMPARE(readMqttSettings(), s);
        QCOMPARE(fileMode(file), after);
        // The program's own save at its end keeps the file as it is.
        writeConfigSection({{"Com", "1"}});
        QCOMPARE(fileMode(file), after);
        QCOMPARE(readMqttSettings(), s);
        QFile text(file);
        QVERIFY(text.open(QIODevice::ReadOnly));
        QCOMPARE(text.readAll().contains("Password="), !password.isEmpty());
    }

    void baseTopicRules_data() {
        columns<QString, QString>("topic", "problem");
        row("empty: the default", "", "");
        row("levels", "home/living room/av", "");
        row("200 bytes", QString(200, 'a'), "");
        row("plus", "home/+/av", "wildcard");
        row("hash", "home/#", "wildcard");
        row("dollar", "$SYS/av", "$");
        row("leading slash", "/home", "empty level");
        row("trailing slash", "home/", "empty level");
        row("double slash", "home//av", "empty level");
        row("control character", QString("home") + QChar(0) + "av", "control");
        row("201 bytes", QString(201, 'a'), "200");
        row("201 bytes in 101 characters", QString(100, QChar(0xfc)) + "a", "200");
    }
    void baseTopicRules() {
        FETCH((QString, QString), topic, problem);
        const QString said = baseTopicProblem(topic);
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
    }

    void defaultBaseTopicIsOneFreeLevel() {
        QVERIFY(
            QRegularExpression("^velmora/[A-Za-z0-9_-]+$").match(defaultBaseTopic()).hasMatch());
        QCOMPARE(MqttSettings{}.effectiveBaseTopic(), defaultBaseTopic());
        QCOMPARE(full.effectiveBaseTopic(), "home/av");
    }

    // fields: "line=text;..." changed before Enter; "@" stands for the test's folder.
    void windowChecksOnOk_data() {
        columns<QString, QString, QString>("fields", "problem", "focus");
        row("as given", "", "", "");
        row("no host: off", "host=", "", "");
        row("host with a blank", "host=my broker", "host is a name", "Broker host");
        row("missing CA file", "ca=@/none.pem", "does not exist", "CA file");
        row("folder as key", "key=@", "cannot be read", "Client key");
        row("certificate without key", "key=", "needs its key", "Client key");
        row("key without certificate", "cert=", "needs its certificate", "Client certificate");
        row("certificate without CA", "ca=", "needs a CA file", "CA file");
        row("no TLS at all", "ca=;cert=;key=", "", "");
        row("wildcard topic", "topic=home/#", "wildcard", "Base topic");
    }
    void windowChecksOnOk() {
        FETCH((QString, QString, QString), fields, problem, focus);
        Form_Mqtt window(full);
        const QMap<QString, QLineEdit *> lines = {{"host", window.txtHost},
                                                  {"ca", window.txtCAFile},
                                                  {"cert", window.txtCertFile},
                                                  {"key", window.txtKeyFile},
                                                  {"topic", window.txtBaseTopic}};
        for (const QString &field : fields.split(';', Qt::SkipEmptyParts))
            lines[field.section('=', 0, 0)]->setText(
                field.section('=', 1).replace('@', env->folder()));
        QSignalSpy accepted(&window, &Form_Mqtt::settingsAccepted);
        window.show();
        QTest::keyClick(window.txtUser, Qt::Key_Return); // Enter is OK
        QCOMPARE(window.lblProblem->isVisible(), !problem.isEmpty());
        QVERIFY2(window.lblProblem->text().contains(problem),
                 qPrintable(window.lblProblem->text()));
        QCOMPARE(accepted.count(), problem.isEmpty() ? 1 : 0);
        if (!problem.isEmpty())
            QCOMPARE(window.focusWidget()->accessibleName(), focus);
        else if (fields.isEmpty())
            QCOMPARE(accepted.first().first().value<MqttSettings>(), full);
        QTest::keyClick(window.txtUser, Qt::Key_Escape); // the window goes, nothing more is said
        QVERIFY(!window.isVisible());
        QCOMPARE(accepted.count(), problem.isEmpty() ? 1 : 0);
    }
};

QTEST_MAIN(TestMqttSettings)
#include "tst_mqtt_settings.moc"
