// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the fields of a configuration block and the standby button's test.
#include "state/ConfigurationBlock.h"

#include "base/RuntimeError.h"
#include "state/HexDigits.h"
#include "state/PanelTables.h"

#include <array>

namespace {

constexpr QChar kDc2(0x12);
constexpr QChar kEtx(0x03);

// Opt_InputMode index by mode digit 0..5: the receiver numbers its modes differently from the
// buttons; 5 shows Auto, with the buttons disabled.
constexpr std::array<qint16, 6> kInputModeByDigit = {1, 4, 5, 2, 3, 1};

// A number field: its leading hexadecimal digits; 0 when there are none (missing included).
int hexField(QStringView field) {
    int value = 0;
    for (QChar c : field) {
        const int d = hexDigitValue(c);
        if (d < 0) break;
        value = value * 16 + d;
    }
    return value;
}

// Data position p (from 1) of the data block; empty beyond its end.
QStringView at(QStringView data, int p, int length = 1) {
    if (p > data.size()) return {};
    return data.mid(p - 1, std::min<qsizetype>(length, data.size() - (p - 1)));
}

bool isOne(QStringView data, int p) {
    return at(data, p) == u"1";
}

} // namespace

std::optional<qint16> inputModeIndexForConfigurationDigit(int m) {
    if (m < 0 || m >= int(kInputModeByDigit.size())) return std::nullopt;
    return kInputModeByDigit[std::size_t(m)];
}

std::optional<PanelState> decodeConfiguration(const QString &block, bool zone2Mode) {
    if (block.isEmpty() || block.front() != kDc2 || block.back() != kEtx) return std::nullopt;
    const QStringView whole(block);
    const int length = hexField(at(whole, 8, 2));
    if (length < 3) return std::nullopt;
    const QStringView data = at(whole, 10, length);

    PanelState s;
    s.input = inputIndexForConfigurationDigit(hexField(at(data, zone2Mode ? 7 : 3)));

    const int mode = hexField(at(data, 5));
    s.inputMode = inputModeIndexForConfigurationDigit(mode);
    s.inputModeEnabled = mode != 5;

    // Effect off is a flag of its own in the block; the program number 80 that stands for it in
    // reports is not a program number here and sets no button.
    if (at(data, 15) == u"0") {
        s.dsp = 0;
    } else {
        const auto dsp = dspIndexForValue(hexField(at(data, 13, 2)));
        if (dsp != 0) s.dsp = dsp;
    }

    s.sixChannel = isOne(data, 4);
    s.es61 = isOne(data, 16);
    s.speakersA = isOne(data, 23);
    s.speakersB = isOne(data, 24);
    s.headphones = isOne(data, 30);
    return s;
}

PowerAction standbyAction(const QString &block) {
    if (block.isEmpty()) return PowerAction::None;
    // The receiver's power flag is compared as a number; anything but a digit cannot be.
    const QChar flag = block.size() >= 10 ? block[9] : QChar();
    if (flag < QLatin1Char('0') || flag > QLatin1Char('9'))
        throw RuntimeError(ErrNr::TypeMismatch, RuntimeError::standardText(ErrNr::TypeMismatch));
    if (block.front() != kDc2 || block.back() != kEtx || flag != QLatin1Char('0'))
        return PowerAction::None;
    return block.size() > 14 ? PowerAction::PowerOff : PowerAction::PowerOn;
}
