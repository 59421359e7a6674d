// Reading the command line and the version text.
#include "app/CommandLine.h"
#include "app/Version.h"

#include <QTest>
#include <climits>
#include <limits>

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void options_data();
    void options();
    void leadingNumber_data();
    void leadingNumber();
    void versionText_data();
    void versionText();
};

void TestCommandLine::options_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<long>("port");
    QTest::addColumn<int>("powerOn");
    QTest::addColumn<QString>("mini"); // which of M, TL, TR, BL are present

    QTest::addRow("-c3 -p") << "-c3 -p" << false << true << 3L << 1 << "";
    QTest::addRow("-C alone") << "-C" << false << true << 1L << 0 << "";
    QTest::addRow("-C12") << "-C12" << false << true << 12L << 0 << "";
    QTest::addRow("-C123 reads two characters") << "-C123" << false << true << 12L << 0 << "";
    QTest::addRow("-C 5 skips the blank") << "-C 5" << false << true << 5L << 0 << "";
    QTest::addRow("-C0 becomes 1") << "-C0" << false << true << 1L << 0 << "";
    QTest::addRow("-Cx no digits") << "-Cx" << false << true << 1L << 0 << "";
    QTest::addRow("-c1-p") << "-c1-p" << false << true << 1L << 1 << "";
    QTest::addRow("-p alone") << "-p" << false << false << 0L << 1 << "";
    QTest::addRow("/h") << "/h" << true << false << 0L << 0 << "";
    QTest::addRow("--h") << "--h" << true << false << 0L << 0 << "";
    QTest::addRow("-?") << "-?" << true << false << 0L << 0 << "";
    QTest::addRow("/?") << "/?" << true << false << 0L << 0 << "";
    QTest::addRow("-H with others") << "-c2 -H" << true << true << 2L << 0 << "";
    QTest::addRow("mini corners") << "-tr -M -bl" << false << false << 0L << 0 << "M TR BL";
    QTest::addRow("-TL") << "-TL" << false << false << 0L << 0 << "TL";
    QTest::addRow("option inside a word") << "x-mode" << false << false << 0L << 0 << "M";
    QTest::addRow("nothing known") << "hello" << false << false << 0L << 0 << "";
}

void TestCommandLine::options() {
    QFETCH(QString, line);
    QFETCH(bool, help);
    QFETCH(bool, connect);
    QFETCH(long, port);
    QFETCH(int, powerOn);
    QFETCH(QString, mini);
    const CommandLineOptions o = evaluateCommandLine(line);
    QCOMPARE(o.help, help);
    QCOMPARE(o.connect, connect);
    QCOMPARE(o.port, port);
    QCOMPARE(o.powerOn, powerOn);
    const QStringList corners = mini.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(o.mini, corners.contains("M"));
    QCOMPARE(o.topLeft, corners.contains("TL"));
    QCOMPARE(o.topRight, corners.contains("TR"));
    QCOMPARE(o.bottomLeft, corners.contains("BL"));
}

void TestCommandLine::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<long>("value");
    QTest::addRow("digits") << "3" << 3L;
    QTest::addRow("trailing text") << "3x" << 3L;
    QTest::addRow("no digits") << "x" << 0L;
    QTest::addRow("leading blanks") << "  42" << 42L;
    QTest::addRow("blanks inside") << "1 2" << 12L;
    QTest::addRow("sign") << "-5" << -5L;
    QTest::addRow("empty") << "" << 0L;
    QTest::addRow("decimal point stops") << "7.9" << 7L;
    // Found by the fuzzer: a long row of digits overflowed.
    QTest::addRow("held at the largest") << "88888888888888888888888" << LONG_MAX;
    QTest::addRow("held at the smallest") << "-88888888888888888888888" << -LONG_MAX;
}

void TestCommandLine::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(long, value);
    QCOMPARE(::leadingNumber(text), value);
}

void TestCommandLine::versionText_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::addRow("1 4 5") << 1 << 4 << 5 << "1.45";
    QTest::addRow("1 0 0") << 1 << 0 << 0 << "1.00";
    QTest::addRow("2 10 3") << 2 << 10 << 3 << "2.103";
}

void TestCommandLine::versionText() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(Version::appVersionText(major, minor, revision), text);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
