// SPDX-License-Identifier: GPL-3.0-or-later
// The program's immediate end.
#include "base/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::function<void()> &ender() {
    static std::function<void()> e;
    return e;
}
} // namespace

void EndProgram() {
    if (ender()) {
        ender()();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void setProgramEnder(std::function<void()> e) {
    ender() = std::move(e);
}
