// SPDX-License-Identifier: GPL-3.0-or-later
// The shared window procedures and the list of loaded windows they work on.
#pragma once

#include <QString>
#include <functional>

class QBoxLayout;
class QPushButton;
class QWidget;

// Adds to a window's layout a row with one default button on its right; returns the button.
QPushButton *addButtonRow(QBoxLayout *layout, QWidget *window, const QString &text,
                          std::function<void()> onClick);
// Puts the window into the topmost band or takes it out again, without moving or resizing it.
void SetWindowOnTop(bool OnTop, QWidget *hWnd);
// Brings a window to the front: visible, its state normal, into the topmost band and straight
// out again, raised and activated.
void bringToFront(QWidget *window);
// Asks the shell to open a file or address with its default handler, maximised. Returns a
// value above 32 on success, as the platform's shell does, else a value of 32 or less.
long OpenDocument(const QString &file);
// True when the window is among the program's loaded windows.
bool IsFormLoaded(const QWidget *form);
// Unloads every loaded window whose type differs from that of the given one.
void UnloadOtherForms(QWidget *form);

// Moves a window that is about to be shown next to another one: to its right when it fits in
// the work area, else below it, else where it is.
void placeBeside(QWidget *window, const QWidget *anchor);

// Loaded windows are registered with how to unload them (run their close handling, then
// destroy them unless the close was cancelled) and how to destroy them outright.
void registerLoadedForm(QWidget *form, std::function<void()> unload,
                        std::function<void()> destroyNow);
void unregisterLoadedForm(QWidget *form);
// Destroys every loaded window at once, without close handling; the last act of the program
// before the application object goes.
void destroyAllForms();
