// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated receiver on a pseudo-terminal behind a port number, keeping what it is sent.
#pragma once

#include "sim/ReceiverSimulator.h"

#include <QByteArray>

class Form_Velmora;

class SimulatedReceiver : public Sim::ReceiverSimulator {
    Q_OBJECT
public:
    explicit SimulatedReceiver(const QString &model = QStringLiteral("R0088"), bool standby = false,
                               int port = 1);

    // The bytes the receiver was sent since the last call.
    QByteArray takeReceived();
    // Connects the main window and waits for the reports; the traffic until then is dropped.
    Form_Velmora &connectMainWindow();

private:
    QByteArray m_received;
};
