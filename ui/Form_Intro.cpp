// SPDX-License-Identifier: GPL-3.0-or-later
// The about window.
#include "ui/Form_Intro.h"

#include "base/ErrorHandling.h"
#include "base/Globals.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("Form_Intro");
}

QPixmap velmoraEmblem(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // A receiver's front: brushed body, display window, two knobs.
    QLinearGradient body(0, 0, 0, height);
    body.setColorAt(0, QColor(0x4a, 0x50, 0x58));
    body.setColorAt(1, QColor(0x1c, 0x20, 0x24));
    p.setBrush(body);
    p.setPen(QPen(QColor(0x0c, 0x0e, 0x10), 2));
    p.drawRoundedRect(QRectF(2, 2, width - 4, height - 4), 10, 10);

    const QRectF screen(width * 0.08, height * 0.18, width * 0.56, height * 0.46);
    p.setBrush(QColor(0x06, 0x11, 0x0e));
    p.setPen(QPen(QColor(0x11, 0x16, 0x1b), 2));
    p.drawRoundedRect(screen, 6, 6);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(qMax(10, int(screen.height() * 0.42)));
    title.setBold(true);
    title.setLetterSpacing(QFont::PercentageSpacing, 115);
    p.setFont(title);
    p.setPen(QColor(0x58, 0xf0, 0xd2));
    p.drawText(screen, Qt::AlignCenter, QStringLiteral("VELMORA"));

    for (int i = 0; i < 2; ++i) {
        const double r = height * (i == 0 ? 0.22 : 0.15);
        const QPointF c(width * (i == 0 ? 0.80 : 0.93) - (i == 0 ? 0 : r * 0.2), height * 0.42);
        QRadialGradient knob(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
        knob.setColorAt(0, QColor(0xd8, 0xdc, 0xe0));
        knob.setColorAt(1, QColor(0x55, 0x5a, 0x60));
        p.setBrush(knob);
        p.setPen(QPen(QColor(0x10, 0x12, 0x14), 1.5));
        p.drawEllipse(c, r, r);
    }

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x58, 0xf0, 0xd2));
    p.drawEllipse(QPointF(width * 0.10, height * 0.80), 3, 3);
    p.setPen(QColor(0x9a, 0xa3, 0xad));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(qMax(8, height / 10));
    p.setFont(small);
    p.drawText(QRectF(width * 0.14, height * 0.70, width * 0.8, height * 0.2),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("RS-232C AV RECEIVER REMOTE"));
    return pixmap;
}

QIcon velmoraIcon() {
    // The installed icon's pictures, built into the program so that every window has it.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/velmora.png").arg(size), QSize(size, size));
    return icon;
}

Form_Intro::Form_Intro() {
    setObjectName(QStringLiteral("Form_Intro"));
    setWindowTitle(QStringLiteral("About"));
    setAttribute(Qt::WA_DeleteOnClose);

    Image1 = new QLabel(this);
    Image1->setPixmap(velmoraEmblem(360, 150));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Click to close"));
    Image1->installEventFilter(this);
    lblVersion = new QLabel(this);
    lblVersion->setAlignment(Qt::AlignCenter);
    auto *copyright = new QLabel(
        QStringLiteral("Remote control for Yamaha AV receivers on the RS-232C port"), this);
    copyright->setAlignment(Qt::AlignCenter);
    copyright->setStyleSheet(QStringLiteral("color: #555;"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(Image1, 0, Qt::AlignCenter);
    layout->addWidget(lblVersion);
    layout->addWidget(copyright);
    setFixedSize(sizeHint());

    Form_Load();
}

Form_Intro::~Form_Intro() = default;

void Form_Intro::Form_Load() {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    on.step([&] {
        lblVersion->setText(QStringLiteral("Version: ") + stAppVersion + QStringLiteral(" - ") +
                            stBuildDate);
    });
    on.step([&] { SetWindowOnTop(true, this); });
}

void Form_Intro::Form_Unload() {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    on.step([&] { SetWindowOnTop(false, this); });
}

void Form_Intro::Image1_Click() {
    ignoringFailures([] { Form_Intro::unload(); });
}

void Form_Intro::closeEvent(QCloseEvent *event) {
    Form_Unload();
    event->accept();
    forget();
}

bool Form_Intro::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
