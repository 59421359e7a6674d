// A real serial line for tests: a pseudo-terminal whose slave end the program opens as its
// port while the test reads and writes the master end.
#pragma once

#include <QByteArray>
#include <QString>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    // The device path of the slave end (what the program opens).
    QString slavePath() const { return m_slavePath; }
    // Points port number n at the slave end (VELMORA_COM<n>).
    void assignToPort(int n) const;

    // Writes bytes as if the receiver sent them.
    void write(const QByteArray &bytes) const;
    // Everything the program has written so far, waiting up to timeoutMs for the first byte and
    // then collecting until the line has been quiet for quietMs.
    QByteArray read(int timeoutMs = 1000, int quietMs = 50) const;
    // Reads until the collected bytes contain `count` bytes or timeoutMs passes.
    QByteArray readAtLeast(qsizetype count, int timeoutMs = 2000) const;
    // Drops whatever the program has written.
    void drain() const;

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the line never hangs up between the program's opens
    QString m_slavePath;
};
