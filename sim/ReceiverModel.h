// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated receiver: its state, what it does with each command, and what it sends back.
#pragma once

#include "sim/LineDecoder.h"
#include "sim/ReceiverTables.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace Sim {

// Who changed something; the first character of a report says so.
enum class Source { Rs232 = 0, Remote = 1, Panel = 2 };

struct ReceiverState {
    bool power = true;
    int mainInput = 0x5; // input digit, DVD
    bool sixChannel = false;
    int inputMode = 0; // Auto; kept while the 6-channel input hides it
    bool mute = false;
    int zone2Input = 0x1; // CD
    bool zone2Mute = false;
    int mainVolume = 0x77;  // -40 dB
    int zone2Volume = 0x46; // -10 dB
    int dspProgram = 29;    // index into kDspPrograms (1..31), the last program chosen: Normal
    bool dspEffect = true;  // false after "effect off"; the program above comes back with it
    bool es61 = false;
    bool speakersA = true;
    bool speakersB = false;
    bool headphones = false;
    int sleep = kSleepOff; // report data, see kSleepMinutes
    std::array<int, 6> memories = {0x77, 0x77, 0x77, 0x77, 0x77, 0x77}; // banks A..F
    bool reportsEnabled = false;
    int reportInterval = 0; // 0 real time, n: n * 50 ms

    friend bool operator==(const ReceiverState &, const ReceiverState &) = default;
};

// What the receiver does in reaction to one input.
struct Response {
    QList<QByteArray> frames; // whole frames, in the order they go on the line
    QStringList notes;        // what happened, in words, for whoever watches the simulator

    // The text of each frame without its first and last byte.
    QStringList texts() const;
    void append(const Response &other);
};

class ReceiverModel {
public:
    explicit ReceiverModel(const QString &modelId = QLatin1String(kDefaultModel),
                           bool standby = false);

    QString modelId() const { return m_modelId; }
    void setModelId(const QString &id) { m_modelId = id; }
    const ReceiverState &state() const { return m_state; }
    void setState(const ReceiverState &state) { m_state = state; }
    // The last complete display message ("" before the first).
    QString displayText() const { return m_displayText; }

    // Bytes as they arrive on the serial input; every frame they complete is handled in order.
    Response receive(const QByteArray &bytes);
    Response handle(const LineFrame &frame);
    // One five-character command, sent over RS-232C or issued by the panel or the remote.
    Response execute(QStringView code, Source source = Source::Rs232);

    // The answer to DC1 "000" ETX for the current state.
    QByteArray configurationAnswer() const;
    // The interface reset: state, report settings and display back to how they were when the
    // simulator started (model kept). The receiver confirms with its configuration answer, so
    // a program that reads after the reset sees the restored state at once.
    Response reset();
    void restoreStartState();

    // What only the remote control or the receiver itself brings about.
    Response pressRemoteEsKey();
    Response setHeadphones(bool plugged);
    Response raiseWarning(int warning); // 0 over current, 1 DC, 2 power trouble, 3 over heat
    Response sendTestMessage(int n);    // "2F000".."2F002"

    // The whole state in a few readable lines.
    QString describe() const;

private:
    Response systemCommand(QStringView code, quint16 value);
    Response operation(quint16 value, Source source);
    Response displayPacket(QStringView text);

    // A report goes out only while reports are enabled.
    void report(Response &r, const QString &text) const;
    QString inputReport() const;

    QString m_modelId;
    ReceiverState m_state;
    ReceiverState m_startState;
    LineDecoder m_decoder;
    QString m_displayPending;
    int m_displayPackets = -1; // -1: no message started
    QString m_displayText;
};

// Report texts that several places build.
QString reportPrefix(Source source);
QString hex2(int value);
QByteArray frame(const QString &text);

} // namespace Sim
