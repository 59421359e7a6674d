// SPDX-License-Identifier: GPL-3.0-or-later
// The base of the suites that drive the windows against the receiver simulator: a fresh
// TestEnvironment for every test function and the simulator on demand.
#pragma once

#include "base/Globals.h"
#include "sim/ReceiverTables.h"
#include "support/DataRows.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/ImageControl.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

class WindowSuite : public QObject {
    Q_OBJECT
protected:
    // A receiver of this model on port 1, and the main window connected to it.
    Form_Velmora &connected(const QString &model = QStringLiteral("R0088"), bool standby = false) {
        sim = std::make_unique<SimulatedReceiver>(model, standby);
        return sim->connectMainWindow();
    }
    // The main window as the program shows it, without a receiver.
    static Form_Velmora &shownMainWindow() {
        Form_Velmora::instance().Show();
        return Form_Velmora::instance();
    }
    static void settle(int ms = 400) { QTest::qWait(ms); }
    // What the receiver was sent since the last call, once the line has been quiet a while.
    QByteArray settledBytes(int ms = 400) {
        settle(ms);
        return sim->takeReceived();
    }
    QStringList settledCommands(int ms = 400) { return commandsIn(settledBytes(ms)); }
    // The input the receiver is set to, as the simulator names it ("VCR 1").
    QString receiverInput(bool zone2 = false) const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;

protected Q_SLOTS: // a suite that needs more set-up calls these from its own
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        env.reset(); // closes the port before the receiver goes
        sim.reset();
    }
};

// The caption of the selected option of a group; "" when none is selected.
template <class Group>
QString selectedCaption(const Group &group) {
    for (const QRadioButton *b : group)
        if (b && b->isChecked()) return b->text();
    return QString();
}

// Leaves no option of a group selected, as before the first report.
template <class Group>
void clearSelection(const Group &group) {
    for (QRadioButton *b : group) {
        if (!b) continue;
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

#define VERIFY_NO_ERROR_BOX()                                                                      \
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()))
