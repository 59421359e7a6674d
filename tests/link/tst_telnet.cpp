// SPDX-License-Identifier: GPL-3.0-or-later
// The stream of an RFC 2217 bridge: the session start, escaping, and the reading of the server's
// stream however it is cut into reads.
#include "link/Telnet.h"
#include "support/DataRows.h"

// Bytes as words: Telnet names, numbers for single bytes, any other word as its text.
static QByteArray telnet(const QString &words) {
    static const QHash<QString, int> names{{"IAC", 255},  {"DONT", 254}, {"DO", 253}, {"WONT", 252},
                                           {"WILL", 251}, {"SB", 250},   {"SE", 240}, {"BIN", 0},
                                           {"ECHO", 1},   {"SGA", 3},    {"COM", 44}};
    QByteArray b;
    for (const QString &w : words.split(' ', Qt::SkipEmptyParts)) {
        bool number = false;
        const int n = names.value(w, w.toInt(&number));
        b += names.contains(w) || number ? QByteArray(1, char(n)) : w.toLatin1();
    }
    return b;
}

class TestTelnet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sessionStartAndEscape() {
        QCOMPARE(
            Telnet::sessionStart(),
            telnet("IAC WILL BIN IAC DO BIN IAC WILL SGA IAC DO SGA IAC WILL COM IAC SB COM 1 0 "
                   "0 37 128 IAC SE IAC SB COM 2 8 IAC SE IAC SB COM 3 1 IAC SE IAC SB COM 4 1 "
                   "IAC SE IAC SB COM 5 1 IAC SE"));
        QByteArray all, answer; // every byte value, escaped, reads back as itself
        for (int i = 0; i < 512; ++i)
            all += char(i);
        QCOMPARE(Telnet::escape("a\xff"), telnet("a IAC IAC"));
        QCOMPARE(Telnet::Reader().take(Telnet::escape(all), answer), all);
        QVERIFY(answer.isEmpty());
    }
    void stream_data() {
        // The far port: baud, data bits, parity, stop bits, control.
        columns<QString, QString, QString, QList<int>>("stream", "data", "answer", "farPort");
        const QList<int> none(5);
        row("commands out, one cut off", "a IAC IAC b IAC 241 c IAC 249 d IAC SE e IAC 7 f IAC",
            "a 255 b c d e f", "", none);
        row("asked, confirmed",
            "IAC DO BIN IAC DO SGA IAC DO COM IAC WILL BIN IAC WILL SGA IAC DO SGA", "", "", none);
        row("refused",
            "IAC WILL ECHO IAC DO ECHO IAC WILL ECHO IAC WILL COM IAC DONT ECHO IAC WONT ECHO", "",
            "IAC DONT ECHO IAC WONT ECHO IAC DONT ECHO IAC DONT COM", none);
        row("off",
            "IAC DONT BIN IAC WONT SGA IAC DO BIN IAC DO BIN IAC WILL SGA "
            "IAC DONT BIN IAC DONT BIN IAC WONT SGA",
            "", "IAC WILL BIN IAC DO SGA IAC WONT BIN IAC DONT SGA", none);
        row("far port",
            "a IAC SB COM 101 0 0 37 128 IAC SE IAC SB COM 102 8 IAC SE b "
            "IAC SB COM 103 1 IAC SE IAC SB COM 104 2 IAC SE IAC SB COM 105 1 IAC SE c",
            "a b c", "", QList{9600, 8, 1, 2, 1});
        row("IAC IAC in a value", "IAC SB COM 101 0 0 IAC IAC 0 IAC SE", "", "",
            QList{65280, 0, 0, 0, 0});
        row("ignored",
            "IAC SB COM 106 IAC IAC IAC SE IAC SB COM 107 1 IAC SE "
            "IAC SB 24 102 7 IAC SE IAC SB COM 103 IAC SE x",
            "x", "", none);
        row("ended by a command", "IAC SB COM 102 7 IAC WILL ECHO x", "x", "IAC DONT ECHO", none);
        row("too long",
            "IAC SB COM 102 " + QString("7 ").repeated(70) + "IAC SE x IAC SB COM 103 1 IAC SE",
            "x", "", QList{0, 0, 1, 0, 0});
    }
    void stream() {
        FETCH((QString, QString, QString, QList<int>), stream, data, answer, farPort);
        const QByteArray bytes = telnet(stream);
        // Read in pieces of every length, from a byte a read to all at once: each reads the same.
        for (qsizetype piece = 1; piece <= bytes.size(); ++piece) {
            Telnet::Reader reader;
            QByteArray gotData, gotAnswer;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                gotData += reader.take(bytes.mid(at, piece), gotAnswer);
            const Telnet::FarPort &p = reader.farPort();
            QCOMPARE(gotData, telnet(data));
            QCOMPARE(gotAnswer, telnet(answer));
            QCOMPARE((QList<int>{int(p.baud), p.dataSize, p.parity, p.stopSize, p.control}),
                     farPort);
        }
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "tst_telnet.moc"
