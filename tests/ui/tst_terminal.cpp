// SPDX-License-Identifier: GPL-3.0-or-later
// The debug terminal on an open line: the send line, the traffic it shows, its close.
#include "base/Globals.h"
#include "support/Fixtures.h"
#include "support/WireBytes.h"
#include "ui/terminal/Form_ComTerminal.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class TestTerminal : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void terminal() {
        OpenLine f;
        f.main.Menu_Setup_Debug_Click();
        Form_ComTerminal &terminal = *Form_ComTerminal::existing();
        QLineEdit *edit = terminal.Text_send;
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("7g aF")); // hexadecimal digits only
        QCOMPARE(edit->text(), QStringLiteral("7aF"));
        edit->setText(QStringLiteral("07A1"));
        QTest::keyClick(edit, Qt::Key_Return); // four characters are not sent
        QTest::keyClicks(edit, QStringLiteral("D\r"));
        QCOMPARE(f.line.read(), wire("<STX>07A1D<ETX>"));
        edit->setText(QStringLiteral("07AC1"));
        terminal.cmd_send_Click();
        QCOMPARE(f.line.read(), wire("<STX>07AC1<ETX>"));
        QVERIFY(terminal.isVisible() && f.main.Menu_Setup_Debug->isChecked());
        const int limit = Form_ComTerminal::TerminalLimit;
        terminal.Text_Com->setPlainText(QString(limit, QLatin1Char('x')));
        f.com.DebugLog(QStringLiteral("A"), false);
        QVERIFY(terminal.Text_Com->toPlainText().size() > limit); // at the limit: kept
        f.com.DebugLog(wireText("<STX>102105<ETX>"), false);      // past it: cleared
        QCOMPARE(terminal.Text_Com->toPlainText(), QStringLiteral("<--- <STX>102105<ETX>\n"));
        terminal.cmd_clear_Click();
        QCOMPARE(terminal.Text_Com->toPlainText(), QString());
        // Closing hides it until the program ends.
        QVERIFY(!terminal.close() && !terminal.isVisible() &&
                !f.main.Menu_Setup_Debug->isChecked());
        QCOMPARE(Form_ComTerminal::existing(), &terminal);
        bProgramEnding = true;
        QVERIFY(Form_ComTerminal::unload());
        QCOMPARE(Form_ComTerminal::existing(), nullptr);
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
