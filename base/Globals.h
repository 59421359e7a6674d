// SPDX-License-Identifier: GPL-3.0-or-later
// Program-wide values shared by the windows and modules.
#pragma once

#include <QString>
#include <memory>

class clsAddIns;
class AddInLoaderList;
class clsTimeControl;

// The program's version text: major, ".", minor and revision with nothing between them.
inline QString stAppVersion;
// The build date shown beside the version.
inline QString stBuildDate;
// True from the start of the main window's unload until an add-in vetoes the end.
inline bool bProgramEnding = false;
// True while the mini window stands in for the main window.
inline bool bMiniMode = false;
// Model ID of the connected receiver ("" before the first connection).
inline QString stModelID;

// The registered add-ins; created at start, released at shutdown.
extern std::unique_ptr<clsAddIns> gAddIns;
// The add-in loader objects; created by the main window's load, emptied at shutdown.
extern std::unique_ptr<AddInLoaderList> gAddInLoaders;
// The active schedule: none until the time-control dialog is first confirmed, then rebuilt by
// each confirmation. Shared so that a firing in progress keeps the schedule it fires from even
// when the dialog replaces it meanwhile.
extern std::shared_ptr<clsTimeControl> gTimeControl;
