// Program-wide objects.
#include "app/Globals.h"

#include "addins/AddInLoaderList.h"
#include "addins/clsAddIns.h"

std::unique_ptr<clsAddIns> gAddIns;
std::unique_ptr<AddInLoaderList> gAddInLoaders;
