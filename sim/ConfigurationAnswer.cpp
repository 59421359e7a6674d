// SPDX-License-Identifier: GPL-3.0-or-later
// Building the configuration answer.
#include "sim/ConfigurationAnswer.h"

namespace Sim {

namespace {
char digit(int v) {
    return "0123456789ABCDEF"[v & 0xF];
}

char flag(bool on) {
    return on ? '1' : '0';
}
} // namespace

QByteArray configurationData(const ReceiverState &s) {
    if (!s.power) return QByteArrayLiteral("00");
    // Positions 17-22, 25-29 and 31-35 carry nothing the program reads; the receiver fills
    // them with "0".
    QByteArray d(kDataLength, '0');
    auto at = [&d](int position) -> char & { return d[position - 1]; };
    at(1) = '0'; // system
    at(2) = '1'; // power
    at(3) = digit(s.mainInput);
    at(4) = flag(s.sixChannel);
    at(5) = digit(s.sixChannel ? kInputModeSixChannel : s.inputMode);
    at(6) = flag(s.mute);
    at(7) = digit(s.zone2Input);
    at(8) = flag(s.zone2Mute);
    d.replace(8, 2, hex2(s.mainVolume).toLatin1());
    d.replace(10, 2, hex2(s.zone2Volume).toLatin1());
    d.replace(12, 2, hex2(kDspPrograms[s.dspProgram].data).toLatin1());
    at(15) = flag(s.dspEffect);
    at(16) = flag(s.es61);
    at(23) = flag(s.speakersA);
    at(24) = flag(s.speakersB);
    at(30) = flag(s.headphones);
    return d;
}

QByteArray configurationAnswer(QStringView modelId, const ReceiverState &state) {
    QByteArray data = configurationData(state);
    if (modelSendsPrefix(modelId)) {
        data.prepend(kDataPrefix);
        if (!state.power) data.append('0');
    }
    QByteArray body = modelId.toLatin1();
    body += modelVersion(modelId).toLatin1();
    body += hex2(int(data.size())).toLatin1();
    body += data;
    QByteArray answer(1, Byte::DC2);
    answer += body;
    answer += blockChecksum(body);
    answer += Byte::ETX;
    return answer;
}

QByteArray blockChecksum(QByteArrayView text) {
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    return hex2(int(sum & 0xFF)).toLatin1();
}

} // namespace Sim
