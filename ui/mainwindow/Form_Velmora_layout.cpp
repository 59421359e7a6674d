// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's upper part with the status display, the flap that holds the control panel,
// and the rules that size and center them.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "ui/ImageControl.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

// The control area holds the upper part and, below it, the flap.
constexpr int kControlsWidth = 720;
constexpr int kUpperHeight = 140;
constexpr int kFlapHeight = 392;
// What the window adds around the control area: title bar, menu bar and borders.
constexpr int kWindowAllowance = 60;

QFont statusFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(14);
    font.setBold(true);
    return font;
}

QLabel *caption(const QString &text, QWidget *parent, const QRect &geometry) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("caption"));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

bool normalState(const QWidget *w) {
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

} // namespace

void Form_Velmora::buildDisplay() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);

    picControls = new QWidget(central);
    picControls->setObjectName(QStringLiteral("picControls"));
    picControls->setGeometry(0, 0, kControlsWidth, kUpperHeight + kFlapHeight);

    // The status display looks like the receiver's own fluorescent display.
    auto *display = new QFrame(picControls);
    display->setObjectName(QStringLiteral("display"));
    display->setGeometry(12, 12, 440, 82);

    Line1 = new QLabel(QStringLiteral("Velmora"), display);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(14, 9, 412, 30);
    Line2 = new QLabel(QStringLiteral("Version"), display);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setGeometry(14, 43, 412, 30);
    lblWinAmp = new QLabel(display);
    lblWinAmp->setObjectName(QStringLiteral("lblWinAmp"));
    lblWinAmp->setWordWrap(true);
    lblWinAmp->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblWinAmp->hide();
    for (QLabel *l : {Line1, Line2, lblWinAmp}) {
        l->setFont(statusFont());
        l->setTextFormat(Qt::PlainText);
    }

    // The front-panel keys to the right of the display.
    Label_Standby =
        new ImageControl(ImageControl::Art::Standby, QStringLiteral("Standby/On"), picControls);
    Label_Standby->setObjectName(QStringLiteral("Label_Standby"));
    Label_Standby->setGeometry(468, 12, 50, 50);
    caption(QStringLiteral("STANDBY"), picControls, {458, 64, 70, 14});

    Image_VolDOWN =
        new ImageControl(ImageControl::Art::VolumeDown, QStringLiteral("Volume -"), picControls);
    Image_VolDOWN->setObjectName(QStringLiteral("Image_VolDOWN"));
    Image_VolDOWN->setGeometry(540, 12, 50, 50);
    Image_VolUP =
        new ImageControl(ImageControl::Art::VolumeUp, QStringLiteral("Volume +"), picControls);
    Image_VolUP->setObjectName(QStringLiteral("Image_VolUP"));
    Image_VolUP->setGeometry(594, 12, 50, 50);
    caption(QStringLiteral("VOLUME"), picControls, {540, 64, 104, 14});

    imgWinampPrevious = new ImageControl(ImageControl::Art::PlayerPrevious,
                                         QStringLiteral("Winamp previous"), picControls);
    imgWinampPrevious->setObjectName(QStringLiteral("imgWinampPrevious"));
    imgWinampPrevious->setGeometry(660, 12, 48, 24);
    imgWinampNext =
        new ImageControl(ImageControl::Art::PlayerNext, QStringLiteral("Winamp next"), picControls);
    imgWinampNext->setObjectName(QStringLiteral("imgWinampNext"));
    imgWinampNext->setGeometry(660, 38, 48, 24);
    caption(QStringLiteral("PLAYER"), picControls, {650, 64, 68, 14});

    Image_InputDown =
        new ImageControl(ImageControl::Art::InputDown, QStringLiteral("Input -"), picControls);
    Image_InputDown->setObjectName(QStringLiteral("Image_InputDown"));
    Image_InputDown->setGeometry(540, 84, 50, 26);
    Image_InputUP =
        new ImageControl(ImageControl::Art::InputUp, QStringLiteral("Input +"), picControls);
    Image_InputUP->setObjectName(QStringLiteral("Image_InputUP"));
    Image_InputUP->setGeometry(594, 84, 50, 26);
    Image_InputMode =
        new ImageControl(ImageControl::Art::InputMode, QStringLiteral("Input Mode"), picControls);
    Image_InputMode->setObjectName(QStringLiteral("Image_InputMode"));
    Image_InputMode->setGeometry(660, 84, 48, 26);
    caption(QStringLiteral("INPUT"), picControls, {540, 112, 104, 14});
    caption(QStringLiteral("MODE"), picControls, {650, 112, 68, 14});

    Image_Klappe =
        new ImageControl(ImageControl::Art::Flap, QStringLiteral("open/close"), picControls);
    Image_Klappe->setObjectName(QStringLiteral("Image_Klappe"));
    Image_Klappe->setGeometry(12, 102, 64, 22);
    // Tab reaches the keys in the order they are made in, which is reading order: the top row,
    // the input row, the flap button. A mouse click leaves the focus where it was.
    for (ImageControl *key :
         {Label_Standby, Image_VolDOWN, Image_VolUP, imgWinampPrevious, imgWinampNext,
          Image_InputDown, Image_InputUP, Image_InputMode, Image_Klappe})
        key->setFocusPolicy(Qt::TabFocus);
    // The window starts with the focus on the flap button, where a stray Space or Enter only
    // opens the panel (on the standby key it would switch the receiver).
    Image_Klappe->setFocus();

    lblQuenby = new QLabel(QStringLiteral("www.velmora.org"), picControls);
    lblQuenby->setObjectName(QStringLiteral("lblQuenby"));
    lblQuenby->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblQuenby->setGeometry(88, 104, 300, 18);

    picKlappe = new QWidget(picControls);
    picKlappe->setObjectName(QStringLiteral("picKlappe"));
    picKlappe->setGeometry(0, kUpperHeight, kControlsWidth, kFlapHeight);
    buildPanel();

    setStyleSheet(QStringLiteral(
        "#central { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a3f46, "
        "stop:1 #1c2024); }"
        "#display { background: #06110e; border: 2px solid #0d1115; border-radius: 6px; }"
        "#Line1, #Line2 { color: #58f0d2; background: transparent; }"
        "#lblWinAmp { color: #ffd166; background: #06110e; }"
        "#lblQuenby { color: #9aa3ad; font-size: 10px; }"
        "#caption { color: #8a949e; font-size: 9px; font-weight: bold; }"
        "#picKlappe { background: transparent; }"
        "#picKlappe QGroupBox { color: #c9d1d9; font-weight: bold; border: 1px solid #4a525c; "
        "border-radius: 5px; margin-top: 8px; background: rgba(0, 0, 0, 40); }"
        "#picKlappe QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
        "#picKlappe QRadioButton { color: #d8dee4; spacing: 5px; }"
        "#picKlappe QRadioButton:disabled { color: #67707a; }"
        "#picKlappe QRadioButton::indicator { width: 10px; height: 10px; border-radius: 6px; "
        "border: 1px solid #8a949e; background: #15191d; }"
        "#picKlappe QRadioButton::indicator:checked { background: qradialgradient(cx:0.5, cy:0.5, "
        "radius:0.6, fx:0.5, fy:0.5, stop:0 #b8fff0, stop:0.6 #58f0d2, stop:1 #1f8f7a); "
        "border-color: #58f0d2; }"
        "#picKlappe QRadioButton::indicator:disabled { border-color: #4a525c; }"
        "#picKlappe QLabel#dspGroup { color: #ffb86b; font-size: 9px; font-weight: bold; }"));

    // Wide enough for the whole menu bar; the control area stays centered.
    resize(std::max(kControlsWidth, menuBar()->sizeHint().width() + 8),
           kUpperHeight + menuBar()->sizeHint().height());
}

void Form_Velmora::SetKlappe(qint16 Richtung) {
    ErrorScope on(kModule, QStringLiteral("SetKlappe"));
    const bool zone2 = Menu_Mode_Zone2->isChecked();
    if (Richtung == 1) {
        on.step([&] { picKlappe->show(); });
        on.step([&] {
            if (!normalState(this)) return;
            const int needed = picControls->y() + picControls->height() + kWindowAllowance;
            if (needed > frameGeometry().height()) setOuterHeight(needed);
        });
        on.step([&] { showModeFrames(zone2); });
        on.step([&] {
            for (QGroupBox *frame : {Frame_DSP, Frame_Input, Frame_SpeakersA, Frame_SpeakersB})
                frame->show();
        });
        on.step([&] { Image_Klappe->setFlapOpen(true); });
    } else if (Richtung == 2) {
        on.step([&] { picKlappe->hide(); });
        on.step([&] {
            if (!normalState(this)) return;
            setOuterHeight(picControls->y() + lblQuenby->y() + lblQuenby->height() +
                           kWindowAllowance);
        });
        on.step([&] {
            for (QGroupBox *frame : {Frame_Input, Frame_DSP, Frame_SpeakersA, Frame_SpeakersB,
                                     Frame_61ES, Frame_6ChInput, Frame_InputMode, Frame_Leer1})
                frame->hide();
        });
        on.step([&] { Image_Klappe->setFlapOpen(false); });
    }
}

void Form_Velmora::showModeFrames(bool zone2) {
    Frame_InputMode->setVisible(!zone2);
    Frame_6ChInput->setVisible(!zone2);
    Frame_61ES->setVisible(!zone2);
    Frame_Leer1->setVisible(zone2);
}

void Form_Velmora::Image_Klappe_Click() {
    ErrorScope on(kModule, QStringLiteral("Image_Klappe_Click"));
    // The flap counts as open exactly while the input frame is shown.
    on.step([&] { SetKlappe(Frame_Input->isVisibleTo(this) ? 2 : 1); });
}

void Form_Velmora::Form_Resize() {
    ignoringFailures([&] {
        lblWinAmp->setGeometry(Line1->x(), Line1->y(), Line1->width(),
                               Line2->y() + Line2->height() - Line1->y());
        const int left = width() / 2 - picControls->width() / 2;
        picControls->move(std::max(0, left), picControls->y());
    });
}

void Form_Velmora::setOuterHeight(int height) {
    const int frame = frameGeometry().height() - geometry().height();
    m_outerHeight = height;
    m_frameKnown = frame > 0;
    resize(width(), std::max(1, height - frame));
}

void Form_Velmora::applyFrameOnceKnown() {
    // The window manager tells the frame only after the window is first shown; a height set
    // before that is set again once the frame is known, so the outer height is the one asked.
    if (m_frameKnown || m_outerHeight <= 0) return;
    const int frame = frameGeometry().height() - geometry().height();
    if (frame <= 0) return;
    m_frameKnown = true;
    if (normalState(this)) resize(width(), std::max(1, m_outerHeight - frame));
}

void Form_Velmora::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
    applyFrameOnceKnown();
}

void Form_Velmora::moveEvent(QMoveEvent *event) {
    QMainWindow::moveEvent(event);
    applyFrameOnceKnown();
}
