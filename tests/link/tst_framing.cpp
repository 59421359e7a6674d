// Frame building and message splitting.
#include "link/Framing.h"

#include <QTest>

class TestFraming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void split_data();
    void split();
    void readable_data();
    void readable();
};

void TestFraming::split_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QStringList>("messages");
    QTest::addRow("two frames") << QByteArray("\x02"
                                              "A\x03\x02"
                                              "B\x03")
                                << QStringList{"A", "B"};
    QTest::addRow("tail of a cut frame") << QByteArray("x\x03\x02"
                                                       "B\x03")
                                         << QStringList{"B"};
    QTest::addRow("STX before a frame") << QByteArray("\x02"
                                                      "A\x02"
                                                      "B\x03")
                                        << QStringList{QStringLiteral("A\x02"
                                                                      "B"),
                                                       "B"};
    QTest::addRow("empty message") << QByteArray("\x02\x03") << QStringList{""};
    QTest::addRow("no ETX") << QByteArray("\x02"
                                          "0026C7")
                            << QStringList{};
    QTest::addRow("nothing") << QByteArray() << QStringList{};
}

void TestFraming::split() {
    QFETCH(QByteArray, received);
    QFETCH(QStringList, messages);
    QCOMPARE(splitMessages(fromLineBytes(received)), messages);
}

void TestFraming::readable_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addRow("command") << QByteArray("\x02"
                                           "07A1D\x03")
                             << "<STX>07A1D<ETX>";
    QTest::addRow("reset") << QByteArray("\x13\x7f\x7f\x7f\x03") << "<DC3><DEL><DEL><DEL><ETX>";
    QTest::addRow("noise") << QByteArray("\x00\xc4z", 3) << "<NUL><c4>z";
}

void TestFraming::readable() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(readableLineText(fromLineBytes(bytes)), shown);
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
