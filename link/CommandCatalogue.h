// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver's named operation commands: one table of names, codes and shapes.
#pragma once

#include <QString>
#include <array>
#include <optional>

// Shapes of a named command:
//   S  sends the code;
//   R  sends the code (an answer argument is accepted and left alone);
//   A  sends the code, then waits up to 0.8 s for the receiver's answer;
//   P  power on: sends, waits for the answer, pauses, and re-reads the configuration.
enum class CommandShape { S, R, A, P };

// The catalogue in the order of the procedures. Each row: name, code. The shape is the macro
// the row is listed under.
#define VELMORA_COMMAND_CATALOGUE(S, R, A, P)                                                      \
    S(ReportCommandEnable, "20000")                                                                \
    S(ReportCommandDisable, "20001")                                                               \
    S(ReportCommandTimeRealTime, "20100")                                                          \
    S(ReportCommandTime50ms, "20101")                                                              \
    S(ReportCommandTime100ms, "20102")                                                             \
    S(ReportCommandTime150ms, "20103")                                                             \
    S(ReportCommandTime200ms, "20104")                                                             \
    S(ReportCommandTime250ms, "20105")                                                             \
    S(ReportCommandTime300ms, "20106")                                                             \
    S(ReportCommandTime350ms, "20107")                                                             \
    R(SpeakersAOn, "07EAB")                                                                        \
    R(SpeakersAOff, "07EAC")                                                                       \
    R(SpeakersBOn, "07EAD")                                                                        \
    R(SpeakersBOff, "07EAE")                                                                       \
    R(SleepTimerOff, "07EB3")                                                                      \
    R(SleepTimer120, "07EB4")                                                                      \
    R(SleepTimer90, "07EB5")                                                                       \
    R(SleepTimer60, "07EB6")                                                                       \
    R(SleepTimer30, "07EB7")                                                                       \
    R(InputCd, "07A15")                                                                            \
    R(InputTuner, "07A16")                                                                         \
    R(InputTape, "07A18")                                                                          \
    R(InputMd, "07AC9")                                                                            \
    R(InputLd, "07A17")                                                                            \
    R(InputDvd, "07AC1")                                                                           \
    R(InputDTv, "07A54")                                                                           \
    R(InputCblSat, "07AC0")                                                                        \
    R(InputVcr1, "07A0F")                                                                          \
    R(InputVcr2, "07A13")                                                                          \
    R(InputVcr3, "07AC8")                                                                          \
    R(InputVAux, "07A55")                                                                          \
    R(InputPhono, "07A14")                                                                         \
    R(InputCDR, "07A19")                                                                           \
    R(Zone2InputCd, "07AD1")                                                                       \
    R(Zone2InputTuner, "07AD2")                                                                    \
    R(Zone2InputTape, "07AD3")                                                                     \
    R(Zone2InputCDR, "07AD4")                                                                      \
    R(Zone2InputMd, "07ACF")                                                                       \
    R(Zone2InputLd, "07AD5")                                                                       \
    R(Zone2InputDvd, "07ACD")                                                                      \
    R(Zone2InputDTv, "07AD9")                                                                      \
    R(Zone2InputCblSat, "07ACC")                                                                   \
    R(Zone2InputVcr1, "07AD6")                                                                     \
    R(Zone2InputVcr2, "07AD7")                                                                     \
    R(Zone2InputVcr3, "07ACE")                                                                     \
    R(Zone2InputVAux, "07AD8")                                                                     \
    R(Zone2InputPhono, "07AD0")                                                                    \
    R(Input6ChOn, "07EA4")                                                                         \
    R(Input6ChOff, "07EA5")                                                                        \
    R(InputModeAuto, "07EA6")                                                                      \
    R(InputModeDD, "07EA7")                                                                        \
    R(InputModeDTS, "07EA8")                                                                       \
    R(InputModeDigital, "07EA9")                                                                   \
    R(InputModeAnalog, "07EAA")                                                                    \
    A(MasterVolDown, "07A1B")                                                                      \
    S(MasterVolDownFast, "07A1B")                                                                  \
    A(MasterVolUp, "07A1A")                                                                        \
    S(MasterVolUpFast, "07A1A")                                                                    \
    R(MasterVolMuteOn, "07EA2")                                                                    \
    R(MasterVolMuteOff, "07EA3")                                                                   \
    A(Zone2VolDown, "07ADB")                                                                       \
    S(Zone2VolDownFast, "07ADB")                                                                   \
    A(Zone2VolUp, "07ADA")                                                                         \
    S(Zone2VolUpFast, "07ADA")                                                                     \
    R(Zone2VolMuteOn, "07EA0")                                                                     \
    R(Zone2VolMuteOff, "07EA1")                                                                    \
    P(PowerOn, "07A1D")                                                                            \
    R(PowerOff, "07A1E")                                                                           \
    R(DspSurroundNormal, "07EFD")                                                                  \
    R(DspSurroundEnhanced, "07EFE")                                                                \
    R(DspEffectOff, "07EE0")                                                                       \
    R(Dsp61ESOn, "07EB8")                                                                          \
    R(Dsp61ESOff, "07EB9")

enum class Cmd : int {
#define VELMORA_CMD_ENUM(name, code) name,
    VELMORA_COMMAND_CATALOGUE(VELMORA_CMD_ENUM, VELMORA_CMD_ENUM, VELMORA_CMD_ENUM,
                              VELMORA_CMD_ENUM)
#undef VELMORA_CMD_ENUM
};

struct CommandEntry {
    Cmd id;
    const char *name;
    const char *code;
    CommandShape shape;
};

inline constexpr std::array kCommandCatalogue = {
#define VELMORA_CMD_S(name, code) CommandEntry{Cmd::name, #name, code, CommandShape::S},
#define VELMORA_CMD_R(name, code) CommandEntry{Cmd::name, #name, code, CommandShape::R},
#define VELMORA_CMD_A(name, code) CommandEntry{Cmd::name, #name, code, CommandShape::A},
#define VELMORA_CMD_P(name, code) CommandEntry{Cmd::name, #name, code, CommandShape::P},
    VELMORA_COMMAND_CATALOGUE(VELMORA_CMD_S, VELMORA_CMD_R, VELMORA_CMD_A, VELMORA_CMD_P)
#undef VELMORA_CMD_S
#undef VELMORA_CMD_R
#undef VELMORA_CMD_A
#undef VELMORA_CMD_P
};

// The catalogue row of a command.
const CommandEntry &commandEntry(Cmd id);
// The row of a procedure name, if there is one.
std::optional<CommandEntry> commandByName(const QString &name);

// The report-interval command of report menu item 0 ("Real Time") to 7 ("350 ms"); error 9
// for any other index.
Cmd reportTimeCommand(int index);

// Volume memories A to F: the codes that store and recall a bank.
struct VolumeMemoryCodes {
    char bank;
    const char *save;
    const char *load;
};
inline constexpr std::array<VolumeMemoryCodes, 6> kVolumeMemories = {{
    {'A', "07E6B", "07E75"},
    {'B', "07E6C", "07E76"},
    {'C', "07E6D", "07E77"},
    {'D', "07E6E", "07E78"},
    {'E', "07E6F", "07E79"},
    {'F', "07E70", "07E7A"},
}};
// The bank's codes, the letter compared after upper-casing; none for any other text.
std::optional<VolumeMemoryCodes> volumeMemory(const QString &bank);

// The texts that show a message on the receiver's display: "21000" and four packets "3" plus
// four characters of the message padded with blanks to 16 characters (longer text is cut).
QStringList displayMessageCodes(const QString &message);
