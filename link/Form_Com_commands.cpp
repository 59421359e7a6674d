// SPDX-License-Identifier: GPL-3.0-or-later
// The named receiver commands, the volume memories and the display text.
#include "link/Form_Com.h"

#include "base/ErrorHandling.h"

void Form_Com::runCommand(Cmd id, QString *Ret) {
    const CommandEntry &entry = commandEntry(id);
    switch (entry.shape) {
    case CommandShape::S:
    case CommandShape::R:
        SendCommand(QLatin1String(entry.code));
        break;
    case CommandShape::A: {
        SendCommand(QLatin1String(entry.code));
        QString answer;
        ReadPort(Ret ? *Ret : answer, false);
        break;
    }
    case CommandShape::P:
        if (Ret)
            PowerOn(*Ret);
        else
            PowerOn();
        break;
    }
}

void Form_Com::PowerOn() {
    QString answer;
    PowerOn(answer);
}

void Form_Com::PowerOn(QString &Ret) {
    SendCommand(QLatin1String(commandEntry(Cmd::PowerOn).code));
    ReadPort(Ret, false);
    // The receiver needs a moment before its configuration reflects the new state.
    Pause(1.0f);
    QString stSettings;
    QString stSettingsOrginal;
    ReadSettings(stSettings, stSettingsOrginal);
    Q_EMIT configurationRead(stSettings);
}

void Form_Com::VolumeSave(const QString &Bank) {
    QString answer;
    VolumeSave(Bank, answer);
}

void Form_Com::VolumeSave(const QString &Bank, QString &Ret) {
    if (const auto memory = volumeMemory(Bank)) SendCommand(QLatin1String(memory->save));
    ReadPort(Ret, false);
}

void Form_Com::VolumeLoad(const QString &Bank) {
    QString answer;
    VolumeLoad(Bank, answer);
}

void Form_Com::VolumeLoad(const QString &Bank, QString &Ret) {
    if (const auto memory = volumeMemory(Bank)) SendCommand(QLatin1String(memory->load));
    ReadPort(Ret, false);
}

void Form_Com::SendMessage(QString &Message) {
    ErrorScope on(QStringLiteral("Form_Com"), QStringLiteral("SendMessage"));
    on.step([&] {
        if (Message.size() < 16) Message = Message.leftJustified(16, QLatin1Char(' '));
    });
    for (const QString &code : displayMessageCodes(Message))
        on.step([&] { SendCommand(code); });
}

void Form_Com::SendMessage(const QString &Message) {
    QString text = Message;
    SendMessage(text);
}
