#include "errors/Form_ErrBox.h"
void installErrBoxWindow() {
}
