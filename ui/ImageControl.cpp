// Picture buttons of the main window: drawn in the style of the receiver's front panel.
#include "ui/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kFace(0x2c, 0x31, 0x38);
const QColor kFaceHover(0x3a, 0x41, 0x4a);
const QColor kRim(0x11, 0x14, 0x18);
const QColor kSymbol(0xd8, 0xde, 0xe4);
const QColor kStandbyRed(0xe0, 0x4b, 0x3f);

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

void drawFace(QPainter &p, const QRectF &r, bool round, bool hover, bool pressed) {
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    const QColor top = hover ? kFaceHover.lighter(120) : kFace.lighter(125);
    face.setColorAt(0, pressed ? kFace.darker(130) : top);
    face.setColorAt(1, pressed ? kFace : kFace.darker(140));
    p.setPen(QPen(kRim, 1.5));
    p.setBrush(face);
    if (round)
        p.drawEllipse(r);
    else
        p.drawRoundedRect(r, 5, 5);
}

void drawSkipSymbol(QPainter &p, const QRectF &r, bool forward) {
    // Two triangles and a bar: the track-skip sign.
    const qreal h = r.height() * 0.36, w = h * 0.8;
    const QPointF c = r.center();
    const qreal dir = forward ? 1 : -1;
    for (int i = 0; i < 2; ++i) {
        const qreal x0 = c.x() - dir * w + dir * i * w;
        p.drawPath(triangle({x0, c.y() - h / 2}, {x0, c.y() + h / 2}, {x0 + dir * w, c.y()}));
    }
    const qreal bar = c.x() + dir * w;
    p.drawRect(QRectF(forward ? bar : bar - 2.5, c.y() - h / 2, 2.5, h));
}
} // namespace

ImageControl::ImageControl(Art art, const QString &toolTip, QWidget *parent)
    : QWidget(parent), m_art(art) {
    setToolTip(toolTip);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void ImageControl::setFlapOpen(bool open) {
    m_flapOpen = open;
    update();
}

void ImageControl::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool round = m_art == Art::VolumeUp || m_art == Art::VolumeDown || m_art == Art::Standby;
    drawFace(p,
             round ? QRectF(r.center().x() - std::min(r.width(), r.height()) / 2,
                            r.center().y() - std::min(r.width(), r.height()) / 2,
                            std::min(r.width(), r.height()), std::min(r.width(), r.height()))
                   : r,
             round, m_hover, m_pressed);

    p.setPen(Qt::NoPen);
    p.setBrush(kSymbol);
    const QPointF c = r.center();
    const qreal s = std::min(r.width(), r.height());
    switch (m_art) {
    case Art::VolumeUp:
    case Art::VolumeDown: {
        const qreal len = s * 0.42, thick = std::max<qreal>(2.5, s * 0.09);
        p.drawRect(QRectF(c.x() - len / 2, c.y() - thick / 2, len, thick));
        if (m_art == Art::VolumeUp)
            p.drawRect(QRectF(c.x() - thick / 2, c.y() - len / 2, thick, len));
        break;
    }
    case Art::PlayerPrevious:
    case Art::PlayerNext:
        drawSkipSymbol(p, r, m_art == Art::PlayerNext);
        break;
    case Art::InputUp:
    case Art::InputDown: {
        const qreal h = s * 0.3, w = s * 0.5;
        const qreal dir = m_art == Art::InputUp ? -1 : 1;
        p.drawPath(triangle({c.x() - w / 2, c.y() - dir * h / 2},
                            {c.x() + w / 2, c.y() - dir * h / 2}, {c.x(), c.y() + dir * h / 2}));
        break;
    }
    case Art::InputMode: {
        // A small "digital/analog" sign: a square wave above a sine-like arc.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kSymbol, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal w = r.width() * 0.5, h = s * 0.22;
        const qreal x0 = c.x() - w / 2, y0 = c.y();
        QPainterPath wave({x0, y0 + h / 2});
        wave.lineTo(x0 + w * 0.2, y0 + h / 2);
        wave.lineTo(x0 + w * 0.2, y0 - h / 2);
        wave.lineTo(x0 + w * 0.5, y0 - h / 2);
        wave.lineTo(x0 + w * 0.5, y0 + h / 2);
        wave.lineTo(x0 + w * 0.8, y0 + h / 2);
        wave.lineTo(x0 + w * 0.8, y0 - h / 2);
        wave.lineTo(x0 + w, y0 - h / 2);
        p.drawPath(wave);
        break;
    }
    case Art::Standby: {
        // The power sign: an open ring with a bar through its gap.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(m_hover ? kStandbyRed.lighter(125) : kStandbyRed,
                      std::max<qreal>(2.5, s * 0.08), Qt::SolidLine, Qt::RoundCap));
        const qreal rad = s * 0.24;
        const QRectF ring(c.x() - rad, c.y() - rad + s * 0.03, 2 * rad, 2 * rad);
        p.drawArc(ring, 120 * 16, 300 * 16);
        p.drawLine(QPointF(c.x(), c.y() - rad - s * 0.04), QPointF(c.x(), c.y() + s * 0.02));
        break;
    }
    case Art::Minimize:
    case Art::Close: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kSymbol, 1.8, Qt::SolidLine, Qt::RoundCap));
        const qreal h = s * 0.22;
        if (m_art == Art::Minimize) {
            p.drawLine(QPointF(c.x() - h, c.y() + h * 0.6), QPointF(c.x() + h, c.y() + h * 0.6));
        } else {
            p.drawLine(QPointF(c.x() - h, c.y() - h), QPointF(c.x() + h, c.y() + h));
            p.drawLine(QPointF(c.x() - h, c.y() + h), QPointF(c.x() + h, c.y() - h));
        }
        break;
    }
    case Art::Flap: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kSymbol, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal w = s * 0.5, h = s * 0.22;
        const qreal dir = m_flapOpen ? -1 : 1;
        QPainterPath chevron({c.x() - w / 2, c.y() - dir * h / 2});
        chevron.lineTo(c.x(), c.y() + dir * h / 2);
        chevron.lineTo(c.x() + w / 2, c.y() - dir * h / 2);
        p.drawPath(chevron);
        break;
    }
    }
}

void ImageControl::mousePressEvent(QMouseEvent *event) {
    m_pressed = true;
    m_secondPress = false;
    update();
    emit MouseDown(event->button());
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event) {
    m_pressed = false;
    update();
    const bool inside = rect().contains(event->position().toPoint());
    const bool second = m_secondPress;
    m_secondPress = false;
    emit MouseUp(event->button());
    if (inside && !second && event->button() == Qt::LeftButton) emit Click();
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent *event) {
    m_pressed = true;
    m_secondPress = true;
    update();
    if (event->button() == Qt::LeftButton)
        emit DblClick();
    else
        emit MouseDown(event->button());
}

void ImageControl::enterEvent(QEnterEvent *) {
    m_hover = true;
    update();
}

void ImageControl::leaveEvent(QEvent *) {
    m_hover = false;
    update();
}
