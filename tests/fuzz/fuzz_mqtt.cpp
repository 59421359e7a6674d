// SPDX-License-Identifier: GPL-3.0-or-later
// Commands from an MQTT broker: the first byte picks the topic level, the rest is the payload.
// Whatever comes, a command is either refused with a reason or carried out with codes that may
// go on the line, or a volume inside the receiver's range. The same bytes as a report and as a
// configuration answer must not upset the add-in's picture of the receiver.
#include "addins/mqtt/MqttRules.h"
#include "link/Framing.h"

#include "FuzzInput.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    static const QStringList levels = commandLevels() << QStringLiteral("status/line1");
    const QString level = levels[data[0] % levels.size()];
    const QByteArray payload(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    ReceiverPicture picture;
    picture.power = (data[0] & 0x80) == 0;
    const CommandPlan plan = planCommand(level, payload, picture);
    const bool acts = !plan.codes.isEmpty() || plan.volumeTarget;
    if (acts == !plan.error.isEmpty()) std::abort();
    for (const QString &code : plan.codes)
        if (!commandRefusal(code).isEmpty()) std::abort();
    if (const auto dB = plan.volumeTarget)
        if (*dB < -80.0 || *dB > 16.5 || std::fmod(*dB * 2, 1.0) != 0.0) std::abort();

    const QString text = fuzzText(data + 1, size - 1);
    picture.applyReport(text);
    picture.applySettings(text);
    (void)stateValues(picture);
    return 0;
}
