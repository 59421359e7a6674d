// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time spent by the program's waits: each wait is timed on the wall clock and on the
// process's CPU clock; a wait that spins shows close to 100 %.
#include "link/Form_Com.h"
#include "sim/PseudoTerminal.h"
#include "ui/WindowProcs.h"
#include "ui/mainwindow/Form_Velmora.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <class F>
void measure(const char *name, F &&wait) {
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds();
    wait();
    const double used = cpuSeconds() - cpu;
    const double wall = clock.nsecsElapsed() / 1e9;
    std::printf("%-40s wall %6.3f s  cpu %6.4f s  %5.2f %%\n", name, wall, used,
                100.0 * used / wall);
}
} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);

    // A silent line: a pseudo-terminal whose other end never answers.
    PseudoTerminal line;
    if (!openPseudoTerminal(line)) return 1;
    qputenv("VELMORA_COM1", line.slavePath.toLocal8Bit());

    Form_Velmora &main = Form_Velmora::instance();
    Form_Com &com = Form_Com::instance();
    com.Com->setCommPort(1);
    com.Com->setPortOpen(true);

    measure("Form_Com.Pause(2)", [&] { com.Pause(2.0f); });
    measure("ReadPort answer wait, no answer (0.8 s)", [&] {
        QString answer;
        com.ReadPort(answer, false);
    });
    measure("PowerOn, receiver silent (~2.6 s)", [&] { com.PowerOn(); });
    measure("Form_Velmora.Pause(1)", [&] { main.Pause(1.0f); });
    measure("100 polls of Timer_Check (10 s)", [&] {
        main.Timer_Check->start();
        com.Pause(10.0f);
        main.Timer_Check->stop();
    });

    destroyAllForms();
    Form_Com::destroyNow();
    closePseudoTerminal(line);
    return 0;
}
