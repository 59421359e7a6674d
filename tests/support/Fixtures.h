// SPDX-License-Identifier: GPL-3.0-or-later
// The open line of the link tests; names matched between the program's and the simulator's.
#pragma once

#include "link/Form_Com.h"
#include "sim/ReceiverTables.h"
#include "state/PanelTables.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QString>

// The main window and the link window with port 1 open; the test plays the receiver on `line`.
struct OpenLine {
    PtyPair line; // declared first: it outlives the port, which the environment closes
    TestEnvironment env;
    Form_Velmora &main;
    Form_Com &com;

    OpenLine() : main((line.assignToPort(1), Form_Velmora::instance())), com(Form_Com::instance()) {
        com.Com->setPortOpen(true);
    }
};
