// The error box's texts, the report mail link and the widening rule.
#include "errors/ErrBoxLayout.h"
#include "errors/ErrorReport.h"
#include "errors/UrlEncode.h"

#include <QTest>

class TestErrBoxCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void urlEncode_data();
    void urlEncode();
    void executableName_data();
    void executableName();
    void labels_data();
    void labels();
    void reportText_data();
    void reportText();
    void widening_data();
    void widening();
};

void TestErrBoxCore::urlEncode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");
    QTest::addRow("percent, blank, ampersand")
        << QStringLiteral("50% off & more") << QStringLiteral("50%25%20off%20%26%20more");
    QTest::addRow("escape already in the text") << QStringLiteral("%20") << QStringLiteral("%2520");
    QTest::addRow("CR LF") << QStringLiteral("line one\r\nline two")
                           << QStringLiteral("line%20one%0Aline%20two");
    QTest::addRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("a%0Db");
    QTest::addRow("CR before CR LF") << QStringLiteral("a\r\r\nb") << QStringLiteral("a%0D%0Ab");
    QTest::addRow("lone LF stays") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::addRow("table signs") << QStringLiteral("#*/?!") << QStringLiteral("%23%2A%2F%3F%21");
    QTest::addRow("signs below 123 stay")
        << QStringLiteral("Az09:=,.-_;@") << QStringLiteral("Az09:=,.-_;@");
    QTest::addRow("123 and up") << QStringLiteral("{|}~\x7f") << QStringLiteral("%7B%7C%7D%7E%7F");
    QTest::addRow("a-umlaut") << QStringLiteral("ä") << QStringLiteral("%E4");
    QTest::addRow("German words") << QStringLiteral("Grüße & Küsse")
                                  << QStringLiteral("Gr%FC%DFe%20%26%20K%FCsse");
    QTest::addRow("no-break space and y-diaeresis")
        << QStringLiteral("\u00a0\u00ff") << QStringLiteral("%A0%FF");
    QTest::addRow("euro") << QStringLiteral("€") << QStringLiteral("%80");
    QTest::addRow("code page only")
        << QStringLiteral("\u201e\u2122\u0178\u017d") << QStringLiteral("%84%99%9F%8E");
    QTest::addRow("unassigned code kept")
        << QStringLiteral("\u0081\u009d") << QStringLiteral("%81%9D");
    QTest::addRow("C1 control outside the code page")
        << QStringLiteral("\u0080") << QStringLiteral("%3F");
    QTest::addRow("outside the code page")
        << QStringLiteral("a\u4e2d\u0100b") << QStringLiteral("a%3F%3Fb");
    QTest::addRow("outside the plane, one sign")
        << QString::fromUcs4(U"x\U0001F600y") << QStringLiteral("x%3Fy");
    QTest::addRow("empty") << QString() << QString();
}

void TestErrBoxCore::urlEncode() {
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(URLEncode(text), encoded);
}

void TestErrBoxCore::executableName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addRow("Windows") << QStringLiteral("C:/Programme/Velmora/Velmora.exe")
                             << QStringLiteral("Velmora");
    QTest::addRow("upper-case extension")
        << QStringLiteral("C:/V/VELMORA.EXE") << QStringLiteral("VELMORA");
    QTest::addRow("dots before the extension")
        << QStringLiteral("C:/V/velmora.1.4.exe") << QStringLiteral("velmora.1.4");
    QTest::addRow("no extension") << QStringLiteral("/usr/bin/velmora")
                                  << QStringLiteral("velmora");
    QTest::addRow("dotted name without extension")
        << QStringLiteral("/opt/velmora-1.0") << QStringLiteral("velmora-1.0");
}

void TestErrBoxCore::executableName() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(::executableName(path), name);
}

void TestErrBoxCore::labels_data() {
    QTest::addColumn<QString>("proc");
    QTest::addColumn<QString>("module");
    QTest::addColumn<long>("number");
    QTest::addColumn<QString>("message");
    QTest::addColumn<long>("line");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label2");
    const QString place = QStringLiteral("Error in Form_ZS-Command_OK_Click:");
    QTest::addRow("no line") << QStringLiteral("Command_OK_Click") << QStringLiteral("Form_ZS")
                             << 5L << QStringLiteral("Invalid procedure call") << 0L << place
                             << QStringLiteral("5, Invalid procedure call");
    QTest::addRow("with line") << QStringLiteral("Command_OK_Click") << QStringLiteral("Form_ZS")
                               << 5L << QStringLiteral("Invalid procedure call") << 1012L << place
                               << QStringLiteral("5, Invalid procedure call (Line 1012)");
    QTest::addRow("line 1") << QStringLiteral("ReadPort") << QStringLiteral("Form_Com") << 8012L
                            << QStringLiteral("Port is not open") << 1L
                            << QStringLiteral("Error in Form_Com-ReadPort:")
                            << QStringLiteral("8012, Port is not open (Line 1)");
    QTest::addRow("negative line") << QStringLiteral("LoadConfig") << QStringLiteral("Form_Velmora")
                                   << 9L << QStringLiteral("Subscript out of range") << -3L
                                   << QStringLiteral("Error in Form_Velmora-LoadConfig:")
                                   << QStringLiteral("9, Subscript out of range");
    QTest::addRow("empty message") << QString() << QString() << 0L << QString() << 0L
                                   << QStringLiteral("Error in -:") << QStringLiteral("0, ");
}

void TestErrBoxCore::labels() {
    QFETCH(QString, proc);
    QFETCH(QString, module);
    QFETCH(long, number);
    QFETCH(QString, message);
    QFETCH(long, line);
    QFETCH(QString, label1);
    QFETCH(QString, label2);
    QCOMPARE(errBoxLabel1(module, proc), label1);
    QCOMPARE(errBoxLabel2(number, message, line), label2);
}

void TestErrBoxCore::reportText_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("lastLines");
    QTest::addRow("empty") << QString() << QString();
    QTest::addRow("one line") << QStringLiteral("clicked DVD") << QStringLiteral("clicked DVD");
    QTest::addRow("LF becomes CR LF") << QStringLiteral("one\ntwo") << QStringLiteral("one\r\ntwo");
    QTest::addRow("CR LF stays") << QStringLiteral("one\r\ntwo") << QStringLiteral("one\r\ntwo");
    QTest::addRow("empty line kept")
        << QStringLiteral("one\n\ntwo\n") << QStringLiteral("one\r\n\r\ntwo\r\n");
}

void TestErrBoxCore::reportText() {
    QFETCH(QString, description);
    QFETCH(QString, lastLines);
    const QString text = errorReportText(
        QStringLiteral("Error in velmora"), QStringLiteral("Error in Form_ZS-Command_OK_Click:"),
        QStringLiteral("5, Invalid procedure call"), reportVersionLine(), description);
    QCOMPARE(text, QStringLiteral("Error in velmora\r\n"
                                  "Error in Form_ZS-Command_OK_Click:\r\n"
                                  "5, Invalid procedure call\r\n"
                                  "Version: " VELMORA_VERSION_STRING "\r\n"
                                  "Beschreibung:\r\n") +
                       lastLines);
}

void TestErrBoxCore::widening_data() {
    namespace D = ErrBoxDesign;
    QTest::addColumn<int>("label1");
    QTest::addColumn<int>("label2");
    QTest::addColumn<int>("sendWidth");
    QTest::addColumn<int>("closeWidth");
    QTest::addColumn<ErrBoxWidening>("expected");
    const ErrBoxWidening design{false, D::Width, D::Text1.width, D::cmdSend.left, D::cmdClose.left};
    QTest::addRow("short lines") << 1000 << 2000 << 1440 << 1440 << design;
    QTest::addRow("exactly the design width") << 3015 << 3015 << 1440 << 1440 << design;
    QTest::addRow("one pixel over")
        << 3030 << 0 << 1440 << 1440 << ErrBoxWidening{true, 4410, 4290, 705, 2265};
    QTest::addRow("second line wider")
        << 500 << 5000 << 1440 << 1440 << ErrBoxWidening{true, 6380, 6260, 1690, 3250};
    QTest::addRow("buttons of two widths")
        << 6000 << 10 << 1200 << 1800 << ErrBoxWidening{true, 7380, 7260, 2130, 3450};
    QTest::addRow("odd remainder rounds down")
        << 3031 << 0 << 1440 << 1440 << ErrBoxWidening{true, 4411, 4291, 705, 2265};
}

void TestErrBoxCore::widening() {
    QFETCH(int, label1);
    QFETCH(int, label2);
    QFETCH(int, sendWidth);
    QFETCH(int, closeWidth);
    QFETCH(ErrBoxWidening, expected);
    const ErrBoxWidening got = errBoxWidening(label1, label2, sendWidth, closeWidth);
    QCOMPARE(got.widened, expected.widened);
    QCOMPARE(got.width, expected.width);
    QCOMPARE(got.text1Width, expected.text1Width);
    QCOMPARE(got.cmdSendLeft, expected.cmdSendLeft);
    QCOMPARE(got.cmdCloseLeft, expected.cmdCloseLeft);
}

QTEST_GUILESS_MAIN(TestErrBoxCore)
#include "tst_errbox_core.moc"
