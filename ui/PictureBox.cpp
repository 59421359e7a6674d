// SPDX-License-Identifier: GPL-3.0-or-later
// Picture boxes and the mini window's volume picture.
#include "ui/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
QPointer<PictureBox> gMiniVolumePicture;
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void PictureBox::Cls() {
    fitImage();
    m_image.fill(palette().color(backgroundRole()));
    update();
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, const QColor &color) {
    fitImage();
    QPainter p(&m_image);
    p.fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                     QPoint(std::max(x1, x2), std::max(y1, y2))),
               color);
    update();
}

void PictureBox::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void PictureBox::resizeEvent(QResizeEvent *) {
    fitImage();
}

void PictureBox::fitImage() {
    // A hidden picture gets its resize event only when shown; drawing must not wait for that.
    if (m_image.size() == size().expandedTo(QSize(1, 1))) return;
    QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    grown.fill(palette().color(backgroundRole()));
    QPainter p(&grown);
    p.drawImage(0, 0, m_image);
    p.end();
    m_image = grown;
}

PictureBox *miniVolumePicture() {
    return gMiniVolumePicture;
}

void setMiniVolumePicture(PictureBox *picture) {
    gMiniVolumePicture = picture;
}
