// SPDX-License-Identifier: GPL-3.0-or-later
// Frames, the cutting of received text into messages across reads, the readable traffic, and
// which failures of the port mean that its device has gone.
#include "link/Framing.h"
#include "link/SerialTransport.h"
#include "support/DataRows.h"
#include "support/WireBytes.h"

#include <cerrno>

class TestFraming : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framesAndReadableText() {
        QCOMPARE(toLineBytes(Frame::command(u"07A1D")), wire("<STX>07A1D<ETX>"));
        QCOMPARE(toLineBytes(Frame::configurationRequest()), wire("<DC1>000<ETX>"));
        QCOMPARE(toLineBytes(Frame::interfaceReset()), wire("<DC3><DEL><DEL><DEL><ETX>"));
        QCOMPARE(readableLineText(fromLineBytes(wire("<STX>07A1D<ETX><DC3><DEL>"))),
                 QStringLiteral("<STX>07A1D<ETX><DC3><DEL>"));
        QCOMPARE(readableLineText(fromLineBytes(QByteArray("\x00\xc4z", 3))),
                 QStringLiteral("<NUL><c4>z"));
    }
    void commandRule_data() {
        // The refusal names the first character that may not go on the line.
        columns<QString, QString>("command", "refusal");
        row("a code", "07A1D", "");
        row("16 printable characters", " !~0123456789ABC", "");
        row("17 characters", "07A1D07A1D07A1D07", "has 17 characters; at most 16");
        row("STX", "07A\0021D", "<STX> at position 4");
        row("ETX", "\x03", "<ETX> at position 1");
        row("DC1", "\021000", "<DC1> at position 1");
        row("DC4", "07A1D\x14", "<DC4> at position 6");
        row("DEL", "\x7f", "<DEL> at position 1");
        row("line feed", "07A1D\n", "<LF> at position 6");
        row("not ASCII", QString::fromUtf8("07A1\xc3\xa9"), "<e9> at position 5");
    }
    void commandRule() {
        FETCH((QString, QString), command, refusal);
        const QString said = commandRefusal(command);
        QVERIFY2(refusal.isEmpty() ? said.isEmpty() : said.contains(refusal), qPrintable(said));
    }
    void messages_data() {
        // Reads "ms:text|...", the messages in brackets; "<" stands for STX, ">" for ETX.
        columns<QString, QString>("reads", "messages");
        row("tail of a cut frame", "0:x><B>", "[B]");
        row("STX before a frame", "0:<A<B>", "[A<B][B]");
        row("empty message", "0:<>", "[]");
        row("no ETX", "0:<0026C7", "");
        row("a byte a tick", "0:<|100:0|200:02|300:6|400:C7>", "[0026C7]");
        row("complete, then a cut one", "0:<A><B|100:C>", "[A][BC]");
        row("noise STX before the cut one", "0:<x<00|100:2001>", "[002001]");
        row("a tail older than a second is dropped", "0:<00|500:20|1001:01>|1100:<A>", "[A]");
        row("a tail renewed by a new STX keeps", "0:<00|900:<C|1800:D>", "[CD]");
        row("noise without ETX beyond 1 KB is dropped",
            "0:<" + QString(1023, QLatin1Char('x')) + "|10:yy|20:z>", "");
    }
    void messages() {
        FETCH((QString, QString), reads, messages);
        ReportTail tail;
        QString got;
        for (const QString &read : reads.split(QLatin1Char('|'))) {
            QString text = read.section(QLatin1Char(':'), 1);
            text.replace(QLatin1Char('<'), Frame::STX).replace(QLatin1Char('>'), Frame::ETX);
            for (const QString &m :
                 splitMessages(tail.join(text, read.section(QLatin1Char(':'), 0, 0).toLongLong())))
                got += '[' + QString(m).replace(Frame::STX, QLatin1Char('<')) + ']';
        }
        QCOMPARE(got, messages);
        QVERIFY(tail.tail().size() <= ReportTail::MaxLength);
    }
    void deviceGone_data() {
        columns<QSerialPort::SerialPortError, bool, bool, int, int, bool>(
            "reported", "readable", "hungUp", "waiting", "error", "gone");
        const auto read = QSerialPort::ReadError;
        row("end of file: readable, nothing waiting", read, true, false, 0, 0, true);
        row("hang-up (POLLHUP, POLLERR)", read, false, true, 0, 0, true);
        row("EIO", QSerialPort::ResourceError, false, false, 0, EIO, true);
        row("ENXIO", read, false, false, 0, ENXIO, true);
        row("ENODEV", read, false, false, 0, ENODEV, true);
        row("a failed write, the device no longer answers", QSerialPort::WriteError, false, false,
            0, EBADF, true);
        row("EAGAIN, which the port calls a resource error", QSerialPort::ResourceError, true,
            false, 0, EAGAIN, false);
        row("EINTR", read, true, false, 0, EINTR, false);
        row("a timeout", QSerialPort::TimeoutError, false, false, 0, 0, false);
        row("a garbled byte, the device answers", read, true, false, 3, 0, false);
    }
    void deviceGone() {
        FETCH((QSerialPort::SerialPortError, bool, bool, int, int, bool), reported, readable,
              hungUp, waiting, error, gone);
        QCOMPARE(portDeviceGone({reported, readable, hungUp, waiting, error}), gone);
    }
};

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
