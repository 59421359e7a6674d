// Menu items that follow the connection.
#include "app/Form_Velmora.h"

#include <QAction>
#include <QMenu>

void Form_Velmora::SetMenu(qint16 connected) {
    const bool on = connected != 0;
    for (QAction *item : {Menu_Volume->menuAction(), Menu_Reset, Menu_Extras_YInfo})
        item->setEnabled(on);
    // The port never changes under an open connection.
    for (QAction *port : Menu_Setup_Port)
        if (port) port->setEnabled(!on);
}
