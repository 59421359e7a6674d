// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated receiver of the window tests.
#include "support/SimulatedReceiver.h"

#include "ui/mainwindow/Form_Velmora.h"

#include <QLabel>
#include <QTest>

SimulatedReceiver::SimulatedReceiver(const QString &model, bool standby, int port)
    : Sim::ReceiverSimulator(model, standby) {
    if (!openPty()) qFatal("no pseudo-terminal: %s", qPrintable(errorString()));
    qputenv(QStringLiteral("VELMORA_COM%1").arg(port).toLatin1(), devicePath().toLocal8Bit());
    connect(this, &ReceiverSimulator::bytesReceived, this,
            [this](const QByteArray &b) { m_received += b; });
}

QByteArray SimulatedReceiver::takeReceived() {
    return std::exchange(m_received, QByteArray());
}

Form_Velmora &SimulatedReceiver::connectMainWindow() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    main.ConnectToYamaha(0);
    if (main.Line1->text() != QLatin1String("Connected")) qFatal("not connected");
    if (!QTest::qWaitFor([this] { return model().state().reportsEnabled; })) qFatal("no reports");
    QTest::qWait(200);
    takeReceived();
    return main;
}
