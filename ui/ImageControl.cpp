// SPDX-License-Identifier: GPL-3.0-or-later
// Picture buttons of the main window: drawn in the style of the receiver's front panel.
#include "ui/ImageControl.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {
const QColor kFace(0x2c, 0x31, 0x38);
const QColor kFaceHover(0x3a, 0x41, 0x4a);
const QColor kRim(0x11, 0x14, 0x18);
const QColor kSymbol(0xd8, 0xde, 0xe4);
const QColor kStandbyRed(0xe0, 0x4b, 0x3f);
// The keyboard focus rings the key in the colour of the status display.
const QColor kFocusRing(0x58, 0xf0, 0xd2);
// How long a screen reader's press holds the key down, as long as Qt's animated click.
constexpr int kAnimatedPressMs = 100;

// What a screen reader calls the key: the words on and beside it, not its tool tip.
QString accessibleNameOf(ImageControl::Art art) {
    switch (art) {
    case ImageControl::Art::VolumeUp:
        return QStringLiteral("Volume up");
    case ImageControl::Art::VolumeDown:
        return QStringLiteral("Volume down");
    case ImageControl::Art::PlayerPrevious:
        return QStringLiteral("Skip back");
    case ImageControl::Art::PlayerNext:
        return QStringLiteral("Skip forward");
    case ImageControl::Art::InputUp:
        return QStringLiteral("Input up");
    case ImageControl::Art::InputDown:
        return QStringLiteral("Input down");
    case ImageControl::Art::InputMode:
        return QStringLiteral("Input mode");
    case ImageControl::Art::Standby:
        return QStringLiteral("Standby");
    case ImageControl::Art::Flap:
        return QStringLiteral("Control panel");
    case ImageControl::Art::Minimize:
        return QStringLiteral("Minimize");
    case ImageControl::Art::Close:
        return QStringLiteral("Close");
    }
    return QString();
}

// A key is a push button to assistive technology, with the press action of one; the flap
// button also tells whether the control panel is open.
class AccessibleImageControl : public QAccessibleWidget {
public:
    explicit AccessibleImageControl(ImageControl *key)
        : QAccessibleWidget(key, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (key()->art() == ImageControl::Art::Flap) {
            state.expandable = true;
            state.expanded = key()->isFlapOpen();
        }
        return state;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &actionName) override {
        if (actionName == pressAction()) {
            if (widget()->isEnabled()) key()->animateClick();
        } else {
            QAccessibleWidget::doAction(actionName);
        }
    }

private:
    ImageControl *key() const { return static_cast<ImageControl *>(widget()); }
};

QAccessibleInterface *accessibleImageControl(const QString &className, QObject *object) {
    if (className == QLatin1String("ImageControl") && object && object->isWidgetType())
        return new AccessibleImageControl(static_cast<ImageControl *>(object));
    return nullptr;
}

bool isPressKey(const QKeyEvent *event) {
    const int key = event->key();
    return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

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
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleImageControl);
        return true;
    }();
    Q_UNUSED(accessible);
    setToolTip(toolTip);
    setAccessibleName(accessibleNameOf(art));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void ImageControl::setFlapOpen(bool open) {
    const bool changed = open != m_flapOpen;
    m_flapOpen = open;
    update();
    if (changed && QAccessible::isActive()) {
        QAccessible::State expanded;
        expanded.expanded = true;
        QAccessibleStateChangeEvent event(this, expanded);
        QAccessible::updateAccessibility(&event);
    }
}

void ImageControl::animateClick() {
    if (m_pressed) return;
    press(Qt::LeftButton);
    QTimer::singleShot(kAnimatedPressMs, this, [this] {
        if (m_pressed && !m_heldKey) release(Qt::LeftButton, true);
    });
}

void ImageControl::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool round = m_art == Art::VolumeUp || m_art == Art::VolumeDown || m_art == Art::Standby;
    const qreal side = std::min(r.width(), r.height());
    const QRectF faceRect =
        round ? QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side) : r;
    drawFace(p, faceRect, round, m_hover, m_pressed);
    // Only focus moved by the keyboard is shown, as Qt's own buttons do.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        p.save();
        p.setPen(QPen(kFocusRing, 2));
        p.setBrush(Qt::NoBrush);
        if (round)
            p.drawEllipse(faceRect);
        else
            p.drawRoundedRect(faceRect, 5, 5);
        p.restore();
    }

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

void ImageControl::press(Qt::MouseButton button) {
    m_pressed = true;
    m_secondPress = false;
    update();
    emit MouseDown(button);
}

void ImageControl::release(Qt::MouseButton button, bool click) {
    m_pressed = false;
    m_secondPress = false;
    update();
    emit MouseUp(button);
    if (click) emit Click();
}

void ImageControl::mousePressEvent(QMouseEvent *event) {
    press(event->button());
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event) {
    const bool inside = rect().contains(event->position().toPoint());
    const bool second = m_secondPress;
    release(event->button(), inside && !second && event->button() == Qt::LeftButton);
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

// Space and Enter press the key and release it as the left mouse button does, so a held volume
// key steps until the key is let go. The keyboard's own repeat of a held key is not a new press.
void ImageControl::keyPressEvent(QKeyEvent *event) {
    if (!isPressKey(event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat() || m_pressed) return;
    m_heldKey = event->key();
    press(Qt::LeftButton);
}

void ImageControl::keyReleaseEvent(QKeyEvent *event) {
    if (!m_heldKey || event->key() != m_heldKey) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat()) return;
    m_heldKey = 0;
    release(Qt::LeftButton, true);
}

void ImageControl::focusOutEvent(QFocusEvent *event) {
    // The key's release will go elsewhere: let go now, as a mouse released outside the key does.
    if (m_heldKey) {
        m_heldKey = 0;
        release(Qt::LeftButton, false);
    }
    QWidget::focusOutEvent(event);
}

void ImageControl::enterEvent(QEnterEvent *) {
    m_hover = true;
    update();
}

void ImageControl::leaveEvent(QEvent *) {
    m_hover = false;
    update();
}
