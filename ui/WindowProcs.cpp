// SPDX-License-Identifier: GPL-3.0-or-later
// Topmost band, shell hand-off and the list of loaded windows.
#include "ui/WindowProcs.h"

#include "base/ErrorHandling.h"
#include "ui/Shell.h"

#include <QHBoxLayout>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <typeinfo>

namespace {
struct LoadedForm {
    QPointer<QWidget> form;
    const QWidget *key;
    std::function<void()> unload;
    std::function<void()> destroyNow;
};

QList<LoadedForm> &loadedForms() {
    static QList<LoadedForm> list;
    return list;
}
} // namespace

void SetWindowOnTop(bool OnTop, QWidget *hWnd) {
    if (!hWnd) return;
    ignoringFailures([&] {
        // Changing the flags through the native window keeps it where it is and mapped;
        // a window that has none yet takes the flag when it is first shown.
        if (QWindow *window = hWnd->windowHandle()) {
            Qt::WindowFlags flags = hWnd->windowFlags();
            flags.setFlag(Qt::WindowStaysOnTopHint, OnTop);
            hWnd->overrideWindowFlags(flags);
            window->setFlags(flags);
        } else {
            hWnd->setWindowFlag(Qt::WindowStaysOnTopHint, OnTop);
        }
    });
}

void bringToFront(QWidget *window) {
    if (!window) return;
    window->show();
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    SetWindowOnTop(true, window);
    SetWindowOnTop(false, window);
    window->raise();
    window->activateWindow();
}

long OpenDocument(const QString &file) {
    long result = 2; // file not found
    ignoringFailures(
        [&] { result = Shell::current().openDocument(file, Shell::Style::Maximized) ? 42 : 31; });
    return result;
}

bool IsFormLoaded(const QWidget *form) {
    if (!form) return false;
    for (const LoadedForm &f : loadedForms())
        if (f.key == form && f.form) return true;
    return false;
}

void UnloadOtherForms(QWidget *form) {
    if (!form) return;
    const QList<LoadedForm> snapshot = loadedForms();
    for (const LoadedForm &f : snapshot) {
        if (!f.form || f.form == form) continue;
        if (typeid(*f.form) == typeid(*form)) continue;
        ignoringFailures([&] { f.unload(); });
    }
}

void registerLoadedForm(QWidget *form, std::function<void()> unload,
                        std::function<void()> destroyNow) {
    loadedForms().append(LoadedForm{form, form, std::move(unload), std::move(destroyNow)});
}

void unregisterLoadedForm(QWidget *form) {
    loadedForms().removeIf([form](const LoadedForm &f) { return f.key == form; });
}

void destroyAllForms() {
    while (!loadedForms().isEmpty()) {
        const LoadedForm f = loadedForms().takeLast();
        if (f.destroyNow) f.destroyNow();
    }
}

void placeBeside(QWidget *window, const QWidget *anchor) {
    if (!window || !anchor || !anchor->isVisible()) return;
    const QScreen *screen = anchor->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = anchor->frameGeometry();
    const QSize size = window->frameGeometry().size();
    const QPoint right(frame.right() + 8, frame.top());
    const QPoint below(frame.left(), frame.bottom() + 8);
    if (area.contains(QRect(right, size)))
        window->move(right);
    else if (area.contains(QRect(below, size)))
        window->move(below);
}

QPushButton *addButtonRow(QBoxLayout *layout, QWidget *window, const QString &text,
                          std::function<void()> onClick) {
    auto *button = new QPushButton(text, window);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, window, std::move(onClick));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    layout->addLayout(row);
    return button;
}
