// SPDX-License-Identifier: GPL-3.0-or-later
// The error box window: the report mail and the modal display.
#include "base/ErrorReport.h"
#include "support/DataRows.h"
#include "support/Recorders.h"
#include "ui/ErrBoxLayout.h"
#include "ui/Form_ErrBox.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <functional>
#include <stdexcept>

namespace {
const QString kCaption = QStringLiteral("Error in test_errbox_window");

// Runs each step on the box on screen, from inside its modal loop; a box left over is cancelled
// and counted, so that a fault never leaves the test waiting for a click.
class BoxDriver : public QObject {
public:
    using Step = std::function<void(Form_ErrBox &)>;
    explicit BoxDriver(QList<Step> steps) : m_steps(std::move(steps)) {
        connect(&m_timer, &QTimer::timeout, this, &BoxDriver::tick);
        m_timer.start(0);
    }
    int leftOver = 0;
    bool allRun() const { return m_steps.isEmpty(); }

private:
    void tick() {
        Form_ErrBox *box = Form_ErrBox::existing();
        if (!box || !box->isVisible()) return;
        if (m_steps.isEmpty()) {
            ++leftOver;
            box->hide();
            return;
        }
        m_steps.takeFirst()(*box);
    }

    QList<Step> m_steps;
    QTimer m_timer;
};

class ThrowingShell final : public Shell {
public:
    bool openDocument(const QString &, Style) override {
        throw RuntimeError(ErrNr::FileNotFound, "File not found");
    }
    bool startProgram(const QString &, Style) override { throw std::runtime_error("no shell"); }
};

// The part of a link between a marker and the next "&" (or the end), percent-decoded (Latin-1).
QString linkPart(const QString &link, const QString &marker) {
    const qsizetype start = link.indexOf(marker);
    if (start < 0) return QStringLiteral("<missing %1>").arg(marker);
    const qsizetype from = start + marker.size();
    const qsizetype end = link.indexOf(u'&', from);
    const QString part = link.mid(from, end < 0 ? -1 : end - from);
    return QString::fromLatin1(QByteArray::fromPercentEncoding(part.toLatin1()));
}

ErrBoxCall zsCall(long line = 0) {
    return {"Command_OK_Click", "Form_ZS", 5, QStringLiteral("Invalid procedure call"), line};
}
} // namespace

class TestErrBoxWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendReport_data() {
        columns<QString>("typed");
        row("nothing typed", "");
        row("lines, signs and umlauts", "one\n\n50% & Grüße? #1 {x}\n");
    }
    void sendReport() {
        QFETCH(QString, typed);
        ShellRecorder shell;
        Form_ErrBox box;
        box.prepare(zsCall(1012));
        box.show();
        QVERIFY(box.width() > twipsToPixels(ErrBoxDesign::Width, box.logicalDpiX())); // widened
        box.Text1->setPlainText(typed);
        QTest::mouseClick(box.cmdSend, Qt::LeftButton);

        QVERIFY(!box.isVisible());
        QCOMPARE(shell.calls.size(), 1);
        QCOMPARE(shell.calls.first().kind, ShellRecorder::Call::Kind::OpenDocument);
        const QString link = shell.calls.first().text;
        QVERIFY2(link.startsWith("mailto:" VELMORA_REPORT_ADDRESS "?subject="), qPrintable(link));
        for (QChar c : link)
            QVERIFY2(c.unicode() > 32 && c.unicode() < 123, qPrintable(link));
        QCOMPARE(linkPart(link, "?subject="), kCaption);
        // The report's line breaks are CR LF, which travel as "%0A".
        QCOMPARE(linkPart(link, "&body="), kCaption +
                                               "\nError in Form_ZS-Command_OK_Click:\n"
                                               "5, Invalid procedure call (Line 1012)\n"
                                               "Version: " VELMORA_VERSION_STRING "\n"
                                               "Beschreibung:\n" +
                                               typed);
    }

    // A failing shell: all the user sees is the box closing.
    void failingShellOnlyClosesTheBox() {
        Form_ErrBox box;
        box.prepare(zsCall());
        auto previous = Shell::install(std::make_unique<ThrowingShell>());
        box.show();
        QVERIFY_THROWS_NO_EXCEPTION(box.cmdSend_Click());
        Shell::install(std::move(previous));
        QVERIFY(!box.isVisible());
    }

    // The real box, modal and on top with the arrow pointer; later failures wait for their turn.
    void modalDisplayWithLaterFailuresQueued() {
        const auto realBox = qScopeGuard(
            [previous = setErrBoxPresenter(showErrBoxWindow)] { setErrBoxPresenter(previous); });
        ShellRecorder shell;
        QVERIFY(!QGuiApplication::overrideCursor());
        QStringList seen;
        bool modal = false, onTop = false, alone = false;
        Qt::CursorShape pointer = Qt::BitmapCursor;
        const auto cancel = [&](Form_ErrBox &box) {
            seen << box.Label1->text() + " " + box.Label2->text();
            QTest::mouseClick(box.cmdClose, Qt::LeftButton);
        };
        BoxDriver driver({
            [&](Form_ErrBox &box) {
                seen << box.windowTitle() + ": " + box.Label2->text();
                modal = box.isModal() && QApplication::activeModalWidget() == &box;
                onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                if (const QCursor *c = QGuiApplication::overrideCursor()) pointer = c->shape();
                // Two more failures from inside the modal loop: both calls come back at once.
                ShowErrBox("Timer_Check_Timer", "Form_Velmora", 8012, "Port is not open", 0);
                ShowErrBox("DatenAuswerten", "Form_Velmora", 13, "Type mismatch", 0);
                alone = Form_ErrBox::existing() == &box && box.isVisible();
                QTest::mouseClick(box.cmdSend, Qt::LeftButton);
            },
            cancel,
            cancel,
        });

        ShowErrBox("Command_OK_Click", "Form_ZS", 5, "Invalid procedure call", 7);

        QVERIFY(driver.allRun());
        QCOMPARE(driver.leftOver, 0);
        QCOMPARE(seen,
                 (QStringList{kCaption + ": 5, Invalid procedure call (Line 7)",
                              "Error in Form_Velmora-Timer_Check_Timer: 8012, Port is not open",
                              "Error in Form_Velmora-DatenAuswerten: 13, Type mismatch"}));
        QVERIFY(modal && onTop && alone);
        QCOMPARE(pointer, Qt::ArrowCursor);
        QCOMPARE(shell.calls.size(), 1);
        QCOMPARE(Form_ErrBox::existing(), nullptr);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestErrBoxWindow)
#include "tst_errbox_window.moc"
