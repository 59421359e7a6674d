// SPDX-License-Identifier: GPL-3.0-or-later
// Single-instance windows: created on first use, unloaded at shutdown (or, for windows that
// delete themselves on close, when closed), created again when used after that.
#pragma once

#include "ui/WindowProcs.h"

#include <QCloseEvent>
#include <QObject>
#include <QWidget>
#include <memory>

// A window's closeEvent: its unload handling (Form_Unload(Cancel)) decides; a Cancel other
// than 0 keeps the window open.
template <class Form>
void closeUnlessCancelled(Form &form, QCloseEvent *event) {
    int Cancel = 0;
    form.Form_Unload(Cancel);
    event->setAccepted(Cancel == 0);
}

template <class Form>
class SingleForm {
public:
    // The window, created (not shown) when it does not exist yet.
    static Form &instance() {
        if (!slot()) {
            slot() = std::make_unique<Form>();
            Form *form = slot().get();
            registerLoadedForm(form, &SingleForm::unload, &SingleForm::destroyNow);
            // A window that deletes itself on close is forgotten when it goes.
            QObject::connect(form, &QObject::destroyed, [form] {
                unregisterLoadedForm(form);
                if (slot().get() == form) (void)slot().release();
            });
        }
        return *slot();
    }
    // The window if it exists, else null.
    static Form *existing() { return slot().get(); }
    // Runs the window's close handling; unless that cancels, the window is destroyed.
    // Returns true when the window is gone.
    static bool unload() {
        Form *form = slot().get();
        if (!form) return true;
        const bool deletesItself = form->testAttribute(Qt::WA_DeleteOnClose);
        if (!form->close()) return false;
        if (slot().get() == form) {
            forget();
            if (!deletesItself) form->deleteLater();
        }
        return true;
    }
    // Lets go of a window that is going away by itself (closed with WA_DeleteOnClose), so that
    // the next use creates a new one.
    static void forget() {
        if (!slot()) return;
        unregisterLoadedForm(slot().get());
        (void)slot().release();
    }
    // Destroys the window at once without its close handling.
    static void destroyNow() {
        if (!slot()) return;
        unregisterLoadedForm(slot().get());
        slot().reset();
    }

private:
    // Never destroyed at exit: the program ends with destroyAllForms(), and a window still
    // there when the process exits otherwise (the X server went away and the platform layer
    // called exit()) is not destroyed after the toolkit's own globals have gone.
    static std::unique_ptr<Form> &slot() {
        static auto *s = new std::unique_ptr<Form>;
        return *s;
    }
};
