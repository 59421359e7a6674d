// SPDX-License-Identifier: GPL-3.0-or-later
// The names Velmora answers to on the session bus, for the service and for its clients
// (velmora-ctl); the interface names of the exported classes are read off their class info.
#pragma once

inline constexpr char kAddInServiceName[] = "org.velmora.Velmora";
inline constexpr char kAddInServicePath[] = "/org/velmora/Velmora";
// Host objects are created below this path, each under a random name.
inline constexpr char kAddInObjectsPath[] = "/org/velmora/Velmora/AddIn";
inline constexpr char kRunningProgramPath[] = "/org/velmora/Velmora/Program";
// What a client's event sink implements: Unload() -> i, the veto at the program's end.
inline constexpr char kAddInEventsInterface[] = "org.velmora.Velmora.AddInEvents";
// Errors of the bus only (the in-process members keep their documented results).
inline constexpr char kErrorNotSent[] = "org.velmora.Velmora.Error.NotSent";
inline constexpr char kErrorVetoed[] = "org.velmora.Velmora.Error.Vetoed";
