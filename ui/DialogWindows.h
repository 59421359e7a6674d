// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message boxes, input boxes and file dialogs behind the Dialogs facade.
#pragma once

// Installs the real dialogs; the program does so once at its start.
void installDialogWindows();
