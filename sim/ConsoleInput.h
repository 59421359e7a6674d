// SPDX-License-Identifier: GPL-3.0-or-later
// Lines from standard input for the simulator's control channel, read without blocking.
#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace Sim {

// Scripts feed the simulator from a terminal, a pipe, a named FIFO or /dev/null. A named FIFO
// reaches end of input every time a writer closes it, so it is opened again and the next
// writer is heard; a terminal goes on after Ctrl-D; other inputs stop at their end.
class ConsoleInput : public QObject {
    Q_OBJECT
public:
    explicit ConsoleInput(QObject *parent = nullptr);
    ~ConsoleInput() override;

Q_SIGNALS:
    void lineRead(const QString &line);
    // Emitted at every end of input, also when reading goes on afterwards.
    void endOfInput();

private:
    void watch(int fd);
    void onReadable();
    void onEnd();

    int m_fd = -1;
    bool m_ownsFd = false;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_pending;
};

} // namespace Sim
