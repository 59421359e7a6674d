// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the command line and the version text.
#include "base/CommandLine.h"
#include "support/DataRows.h"

#include <climits>

namespace {
// The options found, in one line: "help", "C<port>" (connect), "P", "M", "TL", "TR", "BL".
QString found(const CommandLineOptions &o) {
    QStringList s;
    if (o.help) s << "help";
    if (o.connect || o.port) s << (o.connect ? "C" : "port ") + QString::number(o.port);
    if (o.powerOn) s << "P" + QString::number(o.powerOn);
    const std::pair<bool, const char *> flags[] = {
        {o.mini, "M"}, {o.topLeft, "TL"}, {o.topRight, "TR"}, {o.bottomLeft, "BL"}};
    for (const auto &[on, name] : flags)
        if (on) s << name;
    return s.join(' ');
}
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void options_data() {
        columns<QString, QString>("line", "options");
        row("-c3 -p", "-c3 -p", "C3 P1");
        row("-C12", "-C12", "C12");
        row("-C123 reads two characters", "-C123", "C12");
        row("-C 5 skips the blank", "-C 5", "C5");
        row("-C0 becomes 1", "-C0", "C1");
        for (const char *help : {"/h", "--h", "-?", "/?"})
            row(help, help, "help");
        row("-H with others", "-c2 -H", "help C2");
        row("mini corners", "-tr -M -bl -TL", "M TL TR BL");
        row("option inside a word", "x-mode", "M");
        row("nothing known", "hello", "");
    }
    void options() {
        FETCH((QString, QString), line, options);
        QCOMPARE(found(evaluateCommandLine(line)), options);
    }

    void leadingNumber_data() {
        columns<QString, long>("text", "value");
        row("trailing text", "3x", 3L);
        row("no digits", "x", 0L);
        row("blanks before and inside", "  4 2", 42L);
        row("sign", "-5", -5L);
        row("decimal point stops", "7.9", 7L);
        // Found by the fuzzer: a long row of digits overflowed.
        row("held at the largest", "88888888888888888888888", LONG_MAX);
        row("held at the smallest", "-88888888888888888888888", -LONG_MAX);
    }
    void leadingNumber() {
        FETCH((QString, long), text, value);
        QCOMPARE(::leadingNumber(text), value);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
