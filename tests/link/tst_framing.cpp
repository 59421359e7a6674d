// Frame building and message splitting.
#include "link/Framing.h"

#include <QTest>

class TestFraming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void split_data();
    void split();
    void readsJoined_data();
    void readsJoined();
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

void TestFraming::readsJoined_data() {
    // Reads of the poll as "ms:text" ('<' stands for STX, '>' for ETX), and the messages they
    // give together.
    QTest::addColumn<QStringList>("reads");
    QTest::addColumn<QStringList>("messages");
    QTest::addRow("cut in two") << QStringList{"0:<002", "100:001>"} << QStringList{"002001"};
    QTest::addRow("a byte a tick")
        << QStringList{"0:<", "100:0", "200:02", "300:6", "400:C7>"} << QStringList{"0026C7"};
    QTest::addRow("complete, then a cut one")
        << QStringList{"0:<A><B", "100:C>"} << QStringList{"A", "BC"};
    QTest::addRow("noise STX before the cut one")
        << QStringList{"0:<x<00", "100:2001>"} << QStringList{"002001"};
    QTest::addRow("a tail older than a second is dropped")
        << QStringList{"0:<00", "500:20", "1001:01>", "1100:<A>"} << QStringList{"A"};
    QTest::addRow("a tail renewed by a new STX keeps")
        << QStringList{"0:<00", "900:<C", "1800:D>"} << QStringList{"CD"};
    QTest::addRow("noise without ETX beyond 1 KB is dropped")
        << QStringList{"0:<" + QString(1023, QLatin1Char('x')), "10:yy", "20:z>"} << QStringList{};
}

void TestFraming::readsJoined() {
    QFETCH(QStringList, reads);
    QFETCH(QStringList, messages);
    ReportTail tail;
    QStringList got;
    for (const QString &read : reads) {
        const qint64 ms = read.section(QLatin1Char(':'), 0, 0).toLongLong();
        QString text = read.section(QLatin1Char(':'), 1);
        text.replace(QLatin1Char('<'), Frame::STX).replace(QLatin1Char('>'), Frame::ETX);
        got += splitMessages(tail.join(text, ms));
    }
    QCOMPARE(got, messages);
    QVERIFY(tail.tail().size() <= ReportTail::MaxLength);
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
