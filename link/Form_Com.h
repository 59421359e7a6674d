// SPDX-License-Identifier: GPL-3.0-or-later
// The link: the serial port "Com" with its busy flag, the link procedures and the traffic log.
// It has no window; what the windows show of it leaves by its signals.
#pragma once

#include "base/ErrorHandling.h"
#include "link/ComPort.h"
#include "link/CommandCatalogue.h"

#include <QObject>
#include <QString>
#include <memory>

// What the traffic log is wanted for; the main window keeps it in step with its menus and the
// connection.
struct TrafficLogOptions {
    bool logFile = false;   // "Create Logfile": lines go to "debug.txt"
    bool terminal = false;  // "Debug View": lines go to the debug terminal
    bool connected = false; // the report poll runs: its empty answers are not logged
};

class Form_Com : public QObject {
    Q_OBJECT
public:
    Form_Com();
    ~Form_Com() override;

    // The program's one link, created on first use.
    static Form_Com &instance();
    // The link if it exists, else null.
    static Form_Com *existing();
    // Destroys the link (the program's end; a test's reset).
    static void destroyNow();

    // The serial-port control.
    ComPort *Com;

    // Frames Senden as STX Senden ETX and writes it; does nothing when the port is closed or
    // the link is busy. Sw1 is accepted for the callers that pass it and changes nothing.
    void SendCommand(const QString &Senden, int Sw1 = 0);
    // Reads what the receiver sends into Puffer: with Direct false until the text ends with ETX
    // or 0.8 s have passed, with Direct true one look without waiting. Leaves Puffer as it was
    // when the link is busy or the port is closed.
    void ReadPort(QString &Puffer, bool Direct);
    // Takes everything waiting in the input buffer into Puffer, or drops it.
    void ClearComPuffer(QString &Puffer);
    void ClearComPuffer();
    // Closes the port, waits 0.3 s and opens it again.
    void ReConnect();
    // Waits Zeit seconds while window events keep running.
    void Pause(float Zeit);
    // One traffic-log line: "---> " for sent, "<--- " for received, out as trafficLine for the
    // terminal and to "debug.txt" when file logging is on.
    void DebugLog(const QString &Puffer, bool Send = false);

    void setTrafficLogOptions(const TrafficLogOptions &options) { m_log = options; }
    const TrafficLogOptions &trafficLogOptions() const { return m_log; }

    // --- The named receiver commands (codes and shapes in the command catalogue) ---
#define VELMORA_DECLARE_S(name, code)                                                              \
    void name() {                                                                                  \
        runCommand(Cmd::name, nullptr);                                                            \
    }
#define VELMORA_DECLARE_RA(name, code)                                                             \
    void name() {                                                                                  \
        runCommand(Cmd::name, nullptr);                                                            \
    }                                                                                              \
    void name(QString &Ret) {                                                                      \
        runCommand(Cmd::name, &Ret);                                                               \
    }
#define VELMORA_DECLARE_P(name, code)
    VELMORA_COMMAND_CATALOGUE(VELMORA_DECLARE_S, VELMORA_DECLARE_RA, VELMORA_DECLARE_RA,
                              VELMORA_DECLARE_P)
#undef VELMORA_DECLARE_S
#undef VELMORA_DECLARE_RA
#undef VELMORA_DECLARE_P

    // Sends one catalogue command in its shape; Ret receives the answer of the shapes that
    // read one.
    void runCommand(Cmd id, QString *Ret);
    // Switches the receiver on, waits for it, and hands its new configuration on by
    // configurationRead ("" when it does not answer).
    void PowerOn();
    void PowerOn(QString &Ret);
    // Stores the current volume in memory Bank ("A" to "F", any case) or recalls it; another
    // letter sends nothing. Both wait for the receiver's answer.
    void VolumeSave(const QString &Bank);
    void VolumeSave(const QString &Bank, QString &Ret);
    void VolumeLoad(const QString &Bank);
    void VolumeLoad(const QString &Bank, QString &Ret);
    // Shows up to 16 characters on the receiver's display; the caller's text is padded with
    // blanks to 16 characters.
    void SendMessage(QString &Message);
    void SendMessage(const QString &Message);

    // --- Connection ---
    // Asks for the configuration block: stSettings gets the normalised answer (an "@E01900"
    // prefix removed), stSettingsOrginal the answer as received. Both keep their values when
    // the port is closed or the link is busy.
    void ReadSettings(QString &stSettings, QString &stSettingsOrginal);
    // Resets the receiver's serial interface and returns what it sent back; then switches it on.
    void ResetYamaha(QString &Ret);

    // True while an exchange with the receiver holds the link (the port's busy flag).
    bool linkBusy() const;
    // True when SendCommand would put a command on the line now: the port is open and no
    // exchange holds the link (otherwise the command is dropped).
    bool linkReady() const;
    // True when a traffic-log line is wanted (to the file or the terminal).
    bool trafficLogOn() const {
        return m_log.logFile || m_log.terminal;
    }

Q_SIGNALS:
    // One traffic-log line as it is written ("---> " or "<--- " and the bytes).
    void trafficLine(const QString &line);
    // ReConnect closes the port...
    void reconnecting();
    // ...and has opened it again.
    void reconnected();
    // PowerOn's configuration answer, normalised ("" when the receiver did not answer).
    void configurationRead(const QString &stSettings);

private:
    TrafficLogOptions m_log;
    long ComBufferCount();
    // Logs and writes one frame of an exchange that holds the link; a write that takes the
    // whole exchange time reopens the port.
    void writeFrame(const QString &frame, ErrorScope &on);
    // Sets the busy flag for one exchange and clears it again at the end, even on failure.
    class BusyScope {
    public:
        explicit BusyScope(ComPort *com) : m_com(com) { m_com->Tag = QStringLiteral("1"); }
        ~BusyScope() { m_com->Tag = QStringLiteral("0"); }
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        ComPort *m_com;
    };
};
