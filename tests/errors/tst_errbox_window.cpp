// The error box window: its lines, its layout, the report mail and the modal display.
#include "errors/ErrBoxLayout.h"
#include "errors/ErrorReport.h"
#include "errors/Form_ErrBox.h"
#include "support/Recorders.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>

namespace {
const QString kCaption = QStringLiteral("Error in test_errbox_window");

// Acts on the error box from inside its modal loop: each step runs on the box that is on
// screen at the time. A box still open when the steps have run out is cancelled and counted,
// so that a fault never leaves the test waiting for a click.
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

// Installs the real box as the presenter for the lifetime of the object.
class RealBox {
public:
    RealBox() : m_previous(setErrBoxPresenter(showErrBoxWindow)) {}
    ~RealBox() { setErrBoxPresenter(std::move(m_previous)); }

private:
    ErrBoxPresenter m_previous;
};

class ThrowingShell final : public Shell {
public:
    bool openDocument(const QString &, Style) override {
        throw RuntimeError(ErrNr::FileNotFound, QStringLiteral("File not found"));
    }
    bool startProgram(const QString &, Style) override { throw std::runtime_error("no shell"); }
};

// The part of a link between a marker and the next "&" (or the end), percent-decoded. The
// link counts in the Western code page; the rows here stay inside its Latin-1 part.
QString linkPart(const QString &link, const QString &marker) {
    const qsizetype start = link.indexOf(marker);
    if (start < 0) return QStringLiteral("<missing %1>").arg(marker);
    const qsizetype from = start + marker.size();
    const qsizetype end = link.indexOf(u'&', from);
    const QString part = link.mid(from, end < 0 ? -1 : end - from);
    return QString::fromLatin1(QByteArray::fromPercentEncoding(part.toLatin1()));
}

ErrBoxCall zsCall(long line = 0) {
    return {QStringLiteral("Command_OK_Click"), QStringLiteral("Form_ZS"), 5,
            QStringLiteral("Invalid procedure call"), line};
}
} // namespace

class TestErrBoxWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void layout_data();
    void layout();
    void sendReport_data();
    void sendReport();
    void cancel();
    void failingShellIsSuppressed();
    void modalDisplay();
    void laterFailuresAreQueued();
};

void TestErrBoxWindow::lines_data() {
    QTest::addColumn<long>("line");
    QTest::addColumn<QString>("label2");
    QTest::addRow("line 0") << 0L << QStringLiteral("5, Invalid procedure call");
    QTest::addRow("line 1012") << 1012L << QStringLiteral("5, Invalid procedure call (Line 1012)");
}

void TestErrBoxWindow::lines() {
    QFETCH(long, line);
    QFETCH(QString, label2);
    Form_ErrBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Error"));
    QCOMPARE(box.Label3->text(), QStringLiteral("Error Description"));
    QCOMPARE(box.cmdSend->text(), QStringLiteral("&Send Report"));
    QCOMPARE(box.cmdClose->text(), QStringLiteral("&Cancel"));
    box.prepare(zsCall(line));
    QCOMPARE(box.windowTitle(), kCaption);
    QCOMPARE(box.Label1->text(), QStringLiteral("Error in Form_ZS-Command_OK_Click:"));
    QCOMPARE(box.Label2->text(), label2);
}

void TestErrBoxWindow::layout_data() {
    QTest::addColumn<QString>("proc");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("widened");
    QTest::addRow("short lines") << QStringLiteral("Pause")
                                 << QStringLiteral("Invalid procedure call") << false;
    QTest::addRow("long message")
        << QStringLiteral("ReadPort")
        << QStringLiteral("The device is not available: the port was taken by another "
                          "program while the receiver was being identified")
        << true;
    QTest::addRow("long place") << QStringLiteral("Menu_Extras_YInfo_Click_And_Some_More_Words")
                                << QStringLiteral("Overflow") << true;
    QTest::addRow("markup is not markup")
        << QStringLiteral("x") << QStringLiteral("<b>a</b><b>b</b><b>c</b><b>d</b><b>e</b><b>f</b>")
        << true;
}

void TestErrBoxWindow::layout() {
    namespace D = ErrBoxDesign;
    QFETCH(QString, proc);
    QFETCH(QString, message);
    QFETCH(bool, widened);
    Form_ErrBox box;
    box.prepare({proc, QStringLiteral("Form_ZS"), 6, message, 0});
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const double dpi = box.logicalDpiX();
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    const int width = box.width();

    if (widened) {
        QVERIFY2(width > px(D::Width), qPrintable(QString::number(width)));
        const int sendLeft = box.cmdSend->x();
        const int closeRight = width - box.cmdClose->geometry().right() - 1;
        QVERIFY2(qAbs(sendLeft - closeRight) <= 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(sendLeft).arg(closeRight)));
        QCOMPARE(box.Text1->width(), width - px(D::Text1Inset));
    } else {
        QCOMPARE(width, px(D::Width));
        QCOMPARE(box.cmdSend->x(), px(D::cmdSend.left));
        QCOMPARE(box.cmdClose->x(), px(D::cmdClose.left));
        QCOMPARE(box.Text1->width(), px(D::Text1.width));
    }
    QCOMPARE(box.Text1->x(), px(D::Text1.left));
    QCOMPARE(box.cmdClose->x() - box.cmdSend->geometry().right() - 1, px(D::ButtonGap));
    for (QLabel *label : {box.Label1, box.Label2}) {
        // The whole line is inside the label and the label inside the box, with its margin.
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(label->width() >= textWidth, qPrintable(label->text()));
        QVERIFY2(label->x() + textWidth <= width - px(D::LabelRightMargin) + 1,
                 qPrintable(label->text()));
    }
    // Nothing overlaps down the box.
    QVERIFY(box.Label2->y() >= box.Label1->geometry().bottom());
    QVERIFY(box.Label3->y() > box.Picture2->geometry().bottom());
    QVERIFY(box.Text1->y() > box.Label3->geometry().bottom());
    QVERIFY(box.cmdSend->y() > box.Text1->geometry().bottom());
    QVERIFY(box.height() > box.cmdSend->geometry().bottom());
}

void TestErrBoxWindow::sendReport_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("description");
    QTest::addRow("nothing typed") << QString() << QString();
    QTest::addRow("two lines") << QStringLiteral("line one\nline two")
                               << QStringLiteral("line one\nline two");
    QTest::addRow("signs and umlauts")
        << QStringLiteral("50% & Grüße? #1 {x}") << QStringLiteral("50% & Grüße? #1 {x}");
}

void TestErrBoxWindow::sendReport() {
    QFETCH(QString, typed);
    QFETCH(QString, description);
    ShellRecorder shell;
    Form_ErrBox box;
    box.prepare(zsCall(1012));
    box.show();
    box.Text1->setPlainText(typed);
    QTest::mouseClick(box.cmdSend, Qt::LeftButton);

    QVERIFY(!box.isVisible());
    QCOMPARE(shell.calls.size(), 1);
    const ShellRecorder::Call &call = shell.calls.first();
    QCOMPARE(call.kind, ShellRecorder::Call::Kind::OpenDocument);
    QCOMPARE(call.style, Shell::Style::NormalFocus);
    const QString link = call.text;
    QVERIFY2(link.startsWith(QStringLiteral("mailto:" VELMORA_REPORT_ADDRESS "?subject=")),
             qPrintable(link));
    for (QChar c : link)
        QVERIFY2(c.unicode() > 32 && c.unicode() < 123, qPrintable(link));
    QCOMPARE(linkPart(link, QStringLiteral("?subject=")), kCaption);
    // The report's CR LF line breaks travel as "%0A".
    QCOMPARE(linkPart(link, QStringLiteral("&body=")),
             kCaption +
                 QStringLiteral("\nError in Form_ZS-Command_OK_Click:\n"
                                "5, Invalid procedure call (Line 1012)\n"
                                "Version: " VELMORA_VERSION_STRING "\n"
                                "Beschreibung:\n") +
                 description);
}

void TestErrBoxWindow::cancel() {
    ShellRecorder shell;
    Form_ErrBox box;
    box.prepare(zsCall());
    box.show();
    QTest::mouseClick(box.cmdClose, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QVERIFY(shell.calls.isEmpty());
}

void TestErrBoxWindow::failingShellIsSuppressed() {
    auto previous = Shell::install(std::make_unique<ThrowingShell>());
    Form_ErrBox box;
    box.prepare(zsCall());
    box.show();
    QVERIFY_THROWS_NO_EXCEPTION(box.cmdSend_Click());
    Shell::install(std::move(previous));
    // The report went nowhere; all the user sees is the box closing.
    QVERIFY(!box.isVisible());
}

void TestErrBoxWindow::modalDisplay() {
    RealBox realBox;
    ShellRecorder shell;
    QVERIFY(!QGuiApplication::overrideCursor());
    QString caption, label2;
    bool modal = false, onTop = false;
    Qt::CursorShape pointer = Qt::BitmapCursor;
    BoxDriver driver({[&](Form_ErrBox &box) {
        caption = box.windowTitle();
        label2 = box.Label2->text();
        modal = box.isModal() && QApplication::activeModalWidget() == &box;
        onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (const QCursor *c = QGuiApplication::overrideCursor()) pointer = c->shape();
        QTest::mouseClick(box.cmdSend, Qt::LeftButton);
    }});

    ShowErrBox(QStringLiteral("Command_OK_Click"), QStringLiteral("Form_ZS"), 5,
               QStringLiteral("Invalid procedure call"), 7);

    QVERIFY(driver.allRun());
    QCOMPARE(driver.leftOver, 0);
    QCOMPARE(caption, kCaption);
    QCOMPARE(label2, QStringLiteral("5, Invalid procedure call (Line 7)"));
    QVERIFY(modal);
    QVERIFY(onTop);
    QCOMPARE(pointer, Qt::ArrowCursor);
    QCOMPARE(shell.calls.size(), 1);
    // Unloaded, and the pointer is back to what it was.
    QCOMPARE(Form_ErrBox::existing(), nullptr);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestErrBoxWindow::laterFailuresAreQueued() {
    RealBox realBox;
    QStringList seen;
    int boxesOnScreenAfterLaterCalls = 0;
    const auto cancel = [&](Form_ErrBox &box) {
        seen << box.Label1->text();
        QTest::mouseClick(box.cmdClose, Qt::LeftButton);
    };
    BoxDriver driver({
        [&](Form_ErrBox &box) {
            // Two more failures, from something that runs inside the box's modal loop.
            ShowErrBox(QStringLiteral("Timer_Check_Timer"), QStringLiteral("Form_Velmora"), 8012,
                       QStringLiteral("Port is not open"), 0);
            ShowErrBox(QStringLiteral("DatenAuswerten"), QStringLiteral("Form_Velmora"), 13,
                       QStringLiteral("Type mismatch"), 0);
            // Both calls came back while this box stayed the only one.
            if (Form_ErrBox::existing() == &box && box.isVisible())
                boxesOnScreenAfterLaterCalls = 1;
            cancel(box);
        },
        cancel,
        cancel,
    });

    ShowErrBox(QStringLiteral("Command_OK_Click"), QStringLiteral("Form_ZS"), 5,
               QStringLiteral("Invalid procedure call"), 0);

    QCOMPARE(driver.leftOver, 0);
    QCOMPARE(boxesOnScreenAfterLaterCalls, 1);
    QCOMPARE(seen, (QStringList{QStringLiteral("Error in Form_ZS-Command_OK_Click:"),
                                QStringLiteral("Error in Form_Velmora-Timer_Check_Timer:"),
                                QStringLiteral("Error in Form_Velmora-DatenAuswerten:")}));
    QCOMPARE(Form_ErrBox::existing(), nullptr);
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestErrBoxWindow)
#include "tst_errbox_window.moc"
