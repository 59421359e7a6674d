// The error box window and the error-report mail.
#pragma once

// Makes the real error box the presenter of every ShowErrBox call.
void installErrBoxWindow();
