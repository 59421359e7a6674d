// SPDX-License-Identifier: GPL-3.0-or-later
// Switching to the mini window and placing it in a corner of the desktop work area.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "ui/mini/Form_Mini.h"

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
} // namespace

void Form_Velmora::Menu_Mini_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Mini_Click"));
    if (!connectedOrSaySo(on)) return;
    on.step([&] { switchToMini(); });
}

void Form_Velmora::switchToMini() {
    bMiniMode = true;
    hide();
    Form_Mini &mini = Form_Mini::instance();
    mini.show();
    mini.raise();
}

void Form_Velmora::placeMini(MiniCorner corner) {
    Form_Mini &mini = Form_Mini::instance();
    const QRect area = m_workArea.isValid() ? m_workArea : QRect(0, 0, 1024, 768);
    // The corners are those of the outer frame.
    const QSize outer = mini.frameGeometry().size();
    QPoint topLeft;
    switch (corner) {
    case MiniCorner::TopLeft:
        topLeft = area.topLeft();
        break;
    case MiniCorner::TopRight:
        topLeft = QPoint(area.right() + 1 - outer.width(), area.top());
        break;
    case MiniCorner::BottomLeft:
        topLeft = QPoint(area.left(), area.bottom() + 1 - outer.height());
        break;
    case MiniCorner::BottomRight:
        topLeft = QPoint(area.right() + 1 - outer.width(), area.bottom() + 1 - outer.height());
        break;
    }
    // For a window, move() places the outer frame.
    mini.move(topLeft);
}
