// SPDX-License-Identifier: GPL-3.0-or-later
// The error box: shows one failure, takes the user's description and mails the report.
#include "ui/Form_ErrBox.h"

#include "base/ErrorReport.h"
#include "ui/ErrBoxLayout.h"
#include "ui/Shell.h"
#include "ui/WindowProcs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <algorithm>
#include <memory>

namespace {
Form_ErrBox *&currentBox() {
    static Form_ErrBox *box = nullptr;
    return box;
}
} // namespace

ErrBoxPicture::ErrBoxPicture(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ErrBoxPicture::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal stroke = side * 0.10;
    const QRectF r((width() - side) / 2 + stroke / 2, (height() - side) / 2 + stroke / 2,
                   side - stroke, side - stroke);

    // A triangle with rounded corners: the round join of a broad outline rounds them.
    QPainterPath triangle;
    triangle.moveTo(r.center().x(), r.top() + r.height() * 0.04);
    triangle.lineTo(r.right(), r.bottom() - r.height() * 0.06);
    triangle.lineTo(r.left(), r.bottom() - r.height() * 0.06);
    triangle.closeSubpath();

    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0.0, QColor(0xFF, 0xD8, 0x5C));
    fill.setColorAt(1.0, QColor(0xF5, 0xA6, 0x23));
    p.setPen(QPen(QColor(0xE0, 0x8E, 0x0B), stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(triangle);

    const QColor mark(0x3B, 0x2A, 0x05);
    const qreal barWidth = side * 0.11;
    const QRectF bar(r.center().x() - barWidth / 2, r.top() + r.height() * 0.32, barWidth,
                     r.height() * 0.30);
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    p.drawRoundedRect(bar, barWidth / 2, barWidth / 2);
    const qreal dot = barWidth * 1.1;
    p.drawEllipse(QRectF(r.center().x() - dot / 2, bar.bottom() + barWidth * 0.55, dot, dot));
}

Form_ErrBox::Form_ErrBox()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), Label1(new QLabel(this)),
      Label2(new QLabel(this)), Label3(new QLabel(QStringLiteral("Error Description"), this)),
      Text1(new QPlainTextEdit(this)),
      cmdSend(new QPushButton(QStringLiteral("&Send Report"), this)),
      cmdClose(new QPushButton(QStringLiteral("&Cancel"), this)),
      Picture2(new ErrBoxPicture(this)) {
    currentBox() = this;
    setObjectName(QStringLiteral("Form_ErrBox"));
    setWindowTitle(QStringLiteral("Error"));
    setModal(true);

    // Error messages are shown as they come; a "<" in one must not turn it into markup. The
    // user may want to copy them into a search or a mail of their own.
    for (QLabel *label : {Label1, Label2}) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    QFont headingFont = Label3->font();
    headingFont.setBold(true);
    Label3->setFont(headingFont);

    Text1->setTabChangesFocus(true);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Enter belongs to the description box; only a click or the access keys send or cancel.
    cmdSend->setAutoDefault(false);
    cmdClose->setAutoDefault(false);
    setTabOrder(Text1, cmdSend);
    setTabOrder(cmdSend, cmdClose);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Text1->setObjectName(QStringLiteral("Text1"));
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    Picture2->setObjectName(QStringLiteral("Picture2"));

    connect(cmdSend, &QPushButton::clicked, this, &Form_ErrBox::cmdSend_Click);
    connect(cmdClose, &QPushButton::clicked, this, &Form_ErrBox::cmdClose_Click);

    placeControls();
    Text1->setFocus();
}

Form_ErrBox::~Form_ErrBox() {
    if (currentBox() == this) currentBox() = nullptr;
}

Form_ErrBox *Form_ErrBox::existing() {
    return currentBox();
}

void Form_ErrBox::prepare(const ErrBoxCall &call) {
    ignoringFailures([&] { setWindowTitle(errBoxCaption()); });
    ignoringFailures([&] { Label1->setText(errBoxLabel1(call.module, call.proc)); });
    ignoringFailures([&] { Label2->setText(errBoxLabel2(call.number, call.message, call.line)); });
    ignoringFailures([&] { placeControls(); });
}

void Form_ErrBox::placeControls() {
    namespace D = ErrBoxDesign;
    const double dpi = logicalDpiX();
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    const auto place = [&](QWidget *w, int left, int top, int width, int height) {
        w->setGeometry(left, top, width, height);
    };

    cmdSend->resize(px(D::cmdSend.width), cmdSend->height());
    cmdClose->resize(px(D::cmdClose.width), cmdClose->height());
    const QSize label1Size = Label1->sizeHint();
    const QSize label2Size = Label2->sizeHint();
    const ErrBoxWidening w = errBoxWidening(
        pixelsToTwips(label1Size.width(), dpi), pixelsToTwips(label2Size.width(), dpi),
        pixelsToTwips(cmdSend->width(), dpi), pixelsToTwips(cmdClose->width(), dpi));

    // Across, the design and the widening rule decide. Down, the design positions hold unless
    // the fonts in use are taller than the design allowed for; then the rows move apart.
    const int width = px(w.width);
    const int labelWidth = width - px(D::LabelLeft) - px(D::LabelRightMargin);
    const int label1Height = std::max(px(D::Label1.height), label1Size.height());
    place(Label1, px(D::Label1.left), px(D::Label1.top), std::max(labelWidth, label1Size.width()),
          label1Height);
    const int label2Top = std::max(px(D::Label2.top), Label1->geometry().bottom() + 1 + px(60));
    place(Label2, px(D::Label2.left), label2Top, std::max(labelWidth, label2Size.width()),
          std::max(px(D::Label2.height), label2Size.height()));
    place(Picture2, px(D::Picture2.left), px(D::Picture2.top), px(D::Picture2.width),
          px(D::Picture2.height));

    const int messagesBottom =
        std::max(Label2->geometry().bottom(), Picture2->geometry().bottom()) + 1;
    const int label3Top = std::max(px(D::Label3.top), messagesBottom + px(165));
    const int text1Width = px(w.text1Width);
    place(Label3, px(D::Label3.left), label3Top, text1Width,
          std::max(px(D::Label3.height), Label3->sizeHint().height()));
    const int text1Top = std::max(px(D::Text1.top), Label3->geometry().bottom() + 1 + px(45));
    place(Text1, px(D::Text1.left), text1Top, text1Width, px(D::Text1.height));

    const int buttonTop = std::max(px(D::cmdSend.top), Text1->geometry().bottom() + 1 + px(180));
    const int buttonHeight = std::max(
        {px(D::cmdSend.height), cmdSend->sizeHint().height(), cmdClose->sizeHint().height()});
    place(cmdSend, px(w.cmdSendLeft), buttonTop, cmdSend->width(), buttonHeight);
    place(cmdClose, px(w.cmdCloseLeft), buttonTop, cmdClose->width(), buttonHeight);

    const int height = std::max(px(D::Height), cmdSend->geometry().bottom() + 1 + px(195));
    setFixedSize(width, height);
}

void Form_ErrBox::cmdSend_Click() {
    ignoringFailures([&] { SendReportOutlook(); });
}

void Form_ErrBox::cmdClose_Click() {
    ignoringFailures([&] { hide(); });
}

void Form_ErrBox::SendReportOutlook() {
    // The report goes through a running Outlook where one can be automated. This platform has
    // no Outlook automation, which is the case of no Outlook running: the report takes the
    // "mailto:" route, and that route hides the box.
    ignoringFailures([&] { SendReportMail(); });
}

void Form_ErrBox::SendReportMail() {
    QString link;
    ignoringFailures([&] { link = reportLink(); });
    // The shell answers whether a mail client took the link; a report that went nowhere is not
    // worth a second box, so the answer is not looked at.
    if (!link.isEmpty())
        ignoringFailures([&] { Shell::current().openDocument(link, Shell::Style::NormalFocus); });
    ignoringFailures([&] { hide(); });
}

QString Form_ErrBox::reportText() const {
    return errorReportText(windowTitle(), Label1->text(), Label2->text(), reportVersionLine(),
                           Text1->toPlainText());
}

QString Form_ErrBox::reportLink() const {
    return errorReportLink(errorReportAddress(), windowTitle(), reportText());
}

namespace {
bool &boxOpen() {
    static bool open = false;
    return open;
}

QQueue<ErrBoxCall> &pendingBoxes() {
    static QQueue<ErrBoxCall> queue;
    return queue;
}

void runErrBox(const ErrBoxCall &call) {
    // Without a widget application (a tool or test on QtCore alone) there is nothing to show
    // the box on; the failure has been logged by ShowErrBox already.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return;

    std::unique_ptr<Form_ErrBox> box;
    ignoringFailures([&] { box = std::make_unique<Form_ErrBox>(); });
    if (!box) return;
    const QPointer<Form_ErrBox> alive(box.get());

    ignoringFailures([&] { box->prepare(call); });
    bool arrowSet = false;
    // The override stack remembers whatever pointer was in use (an hourglass during a
    // connect, say) and brings it back when the arrow is taken off again.
    ignoringFailures([&] {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        arrowSet = true;
    });
    ignoringFailures([&] { SetWindowOnTop(true, box.get()); });
    ignoringFailures([] { QApplication::beep(); });
    ignoringFailures([&] { box->exec(); });

    if (!alive) (void)box.release(); // someone else destroyed it during the modal loop
    ignoringFailures([&] { box.reset(); });
    if (arrowSet) ignoringFailures([] { QGuiApplication::restoreOverrideCursor(); });
}
} // namespace

void showErrBoxWindow(const ErrBoxCall &call) {
    if (boxOpen()) {
        ignoringFailures([&] { pendingBoxes().enqueue(call); });
        return;
    }
    boxOpen() = true;
    runErrBox(call);
    while (!pendingBoxes().isEmpty())
        runErrBox(pendingBoxes().dequeue());
    boxOpen() = false;
}

void installErrBoxWindow() {
    setErrBoxPresenter(showErrBoxWindow);
}
