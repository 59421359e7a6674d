// SPDX-License-Identifier: GPL-3.0-or-later
// The mini window: volume bar, volume areas, dragging, the pop-up menu and the function keys.
#include "ui/mini/Form_Mini.h"

#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "ui/ImageControl.h"
#include "ui/PictureBox.h"
#include "ui/WindowProcs.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Mini");
constexpr QSize kSize(188, 40);
} // namespace

qint16 virtualKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<qint16>(112 + (qtKey - Qt::Key_F1));
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<qint16>(qtKey);
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    default:
        return 0;
    }
}

Form_Mini::Form_Mini() {
    setObjectName(QStringLiteral("Form_Mini"));
    setWindowTitle(QStringLiteral("Velmora"));
    // It has its own close and minimise areas and is dragged by its body.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kSize);
    setFocusPolicy(Qt::StrongFocus);

    Label_VolDown =
        new ImageControl(ImageControl::Art::VolumeDown, QStringLiteral("Volume -"), this);
    Label_VolDown->setObjectName(QStringLiteral("Label_VolDown"));
    Label_VolDown->setGeometry(4, 6, 28, 28);
    Pic_Vol = new PictureBox(this);
    Pic_Vol->setObjectName(QStringLiteral("Pic_Vol"));
    Pic_Vol->setGeometry(36, 13, 84, 14);
    Pic_Vol->setToolTip(QStringLiteral("Volume"));
    Label_VolUp = new ImageControl(ImageControl::Art::VolumeUp, QStringLiteral("Volume +"), this);
    Label_VolUp->setObjectName(QStringLiteral("Label_VolUp"));
    Label_VolUp->setGeometry(124, 6, 28, 28);
    Label_Min = new ImageControl(ImageControl::Art::Minimize, QStringLiteral("minimize"), this);
    Label_Min->setObjectName(QStringLiteral("Label_Min"));
    Label_Min->setGeometry(156, 3, 28, 16);
    Label_Close = new ImageControl(ImageControl::Art::Close, QStringLiteral("close"), this);
    Label_Close->setObjectName(QStringLiteral("Label_Close"));
    Label_Close->setGeometry(156, 21, 28, 16);

    QPalette pal = Pic_Vol->palette();
    pal.setColor(QPalette::Window, QColor(0x06, 0x11, 0x0e));
    Pic_Vol->setPalette(pal);
    Pic_Vol->Cls();
    setMiniVolumePicture(Pic_Vol);

    connect(Label_VolUp, &ImageControl::MouseDown, this,
            [this](Qt::MouseButton b) { Label_VolUp_MouseDown(b == Qt::RightButton ? 2 : 1); });
    connect(Label_VolUp, &ImageControl::MouseUp, this, [this] { Label_VolUp_MouseUp(); });
    connect(Label_VolDown, &ImageControl::MouseDown, this,
            [this](Qt::MouseButton b) { Label_VolDown_MouseDown(b == Qt::RightButton ? 2 : 1); });
    connect(Label_VolDown, &ImageControl::MouseUp, this, [this] { Label_VolDown_MouseUp(); });
    connect(Label_Min, &ImageControl::Click, this, &Form_Mini::Label_Min_Click);
    connect(Label_Close, &ImageControl::Click, this, &Form_Mini::Label_Close_Click);

    Timer_Fenster = new QTimer(this);
    Timer_Fenster->setInterval(1000);
    connect(Timer_Fenster, &QTimer::timeout, this, &Form_Mini::Timer_Fenster_Timer);
    Timer_Fenster->start();

    Form_Load();
}

Form_Mini::~Form_Mini() {
    if (miniVolumePicture() == Pic_Vol) setMiniVolumePicture(nullptr);
}

void Form_Mini::Form_Load() {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    on.step([&] { SetWindowOnTop(true, this); });
}

void Form_Mini::Timer_Fenster_Timer() {
    ErrorScope on(kModule, QStringLiteral("Timer_Fenster_Timer"));
    // Other always-on-top windows may have come over it since.
    on.step([&] {
        if (isVisible()) {
            SetWindowOnTop(true, this);
            raise();
        }
    });
}

void Form_Mini::Label_Close_Click() {
    ErrorScope on(kModule, QStringLiteral("Label_Close_Click"));
    on.step([&] { Form_Velmora::instance().show(); });
    on.step([&] { hide(); });
    on.step([&] { bMiniMode = false; });
}

void Form_Mini::Label_Min_Click() {
    ignoringFailures([&] { showMinimized(); });
}

void Form_Mini::Label_VolUp_MouseDown(int Button) {
    ErrorScope on(kModule, QStringLiteral("Label_VolUp_MouseDown"));
    if (Button == 2) {
        on.step([&] { showPopUp(QCursor::pos()); });
        return;
    }
    on.step([] { Form_Velmora::instance().startVolumeRepeat(QStringLiteral("UP")); });
}

void Form_Mini::Label_VolUp_MouseUp() {
    ErrorScope on(kModule, QStringLiteral("Label_VolUp_MouseUp"));
    on.step([&] { Form_Velmora::instance().Timer_RePressKey->stop(); });
}

void Form_Mini::Label_VolDown_MouseDown(int Button) {
    ErrorScope on(kModule, QStringLiteral("Label_VolDown_MouseDown"));
    if (Button == 2) {
        on.step([&] { showPopUp(QCursor::pos()); });
        return;
    }
    on.step([] { Form_Velmora::instance().startVolumeRepeat(QStringLiteral("DOWN")); });
}

void Form_Mini::Label_VolDown_MouseUp() {
    ErrorScope on(kModule, QStringLiteral("Label_VolDown_MouseUp"));
    on.step([&] { Form_Velmora::instance().Timer_RePressKey->stop(); });
}

void Form_Mini::Form_KeyDown(qint16 KeyCode, int Shift) {
    Q_UNUSED(Shift);
    ErrorScope on(kModule, QStringLiteral("Form_KeyDown"));
    on.step([&] { Form_Velmora::instance().CheckKey(KeyCode); });
}

void Form_Mini::Form_MouseDown(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Shift);
    ErrorScope on(kModule, QStringLiteral("Form_MouseDown"));
    if (Button == 1) {
        m_dragX = X;
        m_dragY = Y;
    } else if (Button == 2) {
        on.step([&] { showPopUp(mapToGlobal(QPoint(qRound(X), qRound(Y)))); });
    }
}

void Form_Mini::Form_MouseMove(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Shift);
    ErrorScope on(kModule, QStringLiteral("Form_MouseMove"));
    // The spot under the pointer stays under it.
    if (Button == 1) on.step([&] { move(x() + qRound(X - m_dragX), y() + qRound(Y - m_dragY)); });
}

void Form_Mini::showPopUp(const QPoint &globalPos) {
    Form_Velmora &main = Form_Velmora::instance();
    main.Menu_MiniPopUp_Zone2->setChecked(main.Menu_Mode_Zone2->isChecked());
    main.Menu_MiniPopUp->popup(globalPos);
}

void Form_Mini::keyPressEvent(QKeyEvent *event) {
    Form_KeyDown(virtualKeyCode(event->key()), static_cast<int>(event->modifiers()));
}

void Form_Mini::mousePressEvent(QMouseEvent *event) {
    const int button = event->button() == Qt::LeftButton    ? 1
                       : event->button() == Qt::RightButton ? 2
                                                            : 4;
    Form_MouseDown(button, 0, event->position().x(), event->position().y());
}

void Form_Mini::mouseMoveEvent(QMouseEvent *event) {
    const int button = (event->buttons() & Qt::LeftButton) ? 1 : 0;
    Form_MouseMove(button, 0, event->position().x(), event->position().y());
}

void Form_Mini::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, height());
    body.setColorAt(0, QColor(0x3a, 0x3f, 0x46));
    body.setColorAt(1, QColor(0x1c, 0x20, 0x24));
    p.setPen(QPen(QColor(0x0d, 0x11, 0x15), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}
