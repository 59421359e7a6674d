// SPDX-License-Identifier: GPL-3.0-or-later
// Program-wide objects.
#include "app/Globals.h"

#include "addins/AddInLoaderList.h"
#include "addins/clsAddIns.h"
#include "timecontrol/clsTimeControl.h"

std::unique_ptr<clsAddIns> gAddIns;
std::unique_ptr<AddInLoaderList> gAddInLoaders;
std::shared_ptr<clsTimeControl> gTimeControl;
