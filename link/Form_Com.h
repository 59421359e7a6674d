// SPDX-License-Identifier: GPL-3.0-or-later
// The link window: the serial port "Com" with its busy flag, the link procedures, the
// traffic log and, when the debug view is on, the debug terminal.
#pragma once

#include "base/ErrorHandling.h"
#include "link/ComPort.h"
#include "link/CommandCatalogue.h"
#include "ui/SingleForm.h"

#include <QString>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class Form_Com : public QWidget, public SingleForm<Form_Com> {
    Q_OBJECT
public:
    Form_Com();
    ~Form_Com() override;

    // The terminal is cleared before a log line once it holds more than this many characters.
    static constexpr int TerminalLimit = 65000;

    // The serial-port control.
    ComPort *Com;

    // Terminal controls.
    QPlainTextEdit *Text_Com;
    QLineEdit *Text_send;
    QPushButton *cmd_send;
    QPushButton *cmd_copy;
    QPushButton *cmd_clear;

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
    // One traffic-log line: "---> " for sent, "<--- " for received, to the terminal when it is
    // open and to "debug.txt" when file logging is on.
    void DebugLog(const QString &Puffer, bool Send = false);

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
    // Switches the receiver on, waits for it, and hands its new configuration to the main
    // window ("" when it does not answer).
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

    // Terminal events.
    void cmd_send_Click();
    void cmd_copy_Click();
    void cmd_clear_Click();
    // Returns the key to keep (0 discards it).
    int Text_send_KeyPress(int KeyAscii);
    void Text_Com_Change();
    void Form_Resize();
    void Form_Unload(int &Cancel);

    // True while an exchange with the receiver holds the link (the port's busy flag).
    static bool linkBusy();
    // True when SendCommand would put a command on the line now: the port is open and no
    // exchange holds the link (otherwise the command is dropped).
    static bool linkReady();
    // True when a traffic-log line is wanted ("Create Logfile" or "Debug View" checked).
    static bool trafficLogOn();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
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
