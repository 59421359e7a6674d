// SPDX-License-Identifier: GPL-3.0-or-later
// One Velmora at a time. The program that holds the bus name offers itself on the session bus;
// a program started while it runs hands it the command line's -C, -P and -M and ends, instead of
// a second program fighting over the serial port.
//
//   object    /org/velmora/Velmora/Program, interface org.velmora.Velmora.Program:
//             Activate(port, powerOn, mini) -> alreadyConnected
#pragma once

#include "addins/BusNames.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

class RunningProgram : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora.Program")
public:
    using QObject::QObject;

public Q_SLOTS:
    // Brings the window (or the mini window standing in for it) to the front and applies the
    // options as the command line does at start: port 1..99 connects on that port (with
    // powerOn the receiver is switched on), mini switches to the mini window, connecting on the
    // configured port first when needed; port 0 connects nowhere. A program connected already
    // keeps its connection: port and powerOn are not used, and the answer is true. The answer
    // comes at once; the options apply after it, so that a slow connection or an error box
    // never keeps the caller waiting.
    Q_SCRIPTABLE bool Activate(int port, bool powerOn, bool mini);
};

// Offers the running program at its path on the bus; done before the bus name is claimed, so
// that no call made as soon as the name is there finds the object missing.
void exportRunningProgram(QDBusConnection bus = QDBusConnection::sessionBus());
void unexportRunningProgram();

// While the program is still in its start procedure, handed-over options wait and apply once
// it has shown its window (false releases them); without it they apply at once.
void holdHandOvers(bool hold);

// In a program being started: when another Velmora holds the bus name, hands it the options of
// the command line and returns this program's exit code (0 when the running program took them,
// 1 when it did not answer, with a message on standard error); nothing when no Velmora runs or
// the command line asks for the option summary, which this program shows itself.
std::optional<int> handOverToRunningProgram(const QString &commandLine,
                                            QDBusConnection bus = QDBusConnection::sessionBus());
