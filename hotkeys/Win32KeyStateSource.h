// SPDX-License-Identifier: GPL-3.0-or-later
// The key-state seam on Windows: the system's asynchronous key state.
#pragma once

#include "hotkeys/KeyStateSource.h"

class Win32KeyStateSource : public KeyStateSource {
public:
    qint16 keyState(qint32 virtualKey) override;
    bool isAvailable() const override { return true; }
};
