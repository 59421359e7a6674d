// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu tree, the items that follow the connection, and the handlers of the
// 6.1/ES key modes, the display message, the sleep timer, the multimedia-key switches and the
// mini window's pop-up menu.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "state/PanelTables.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");
} // namespace

void Form_Velmora::buildMenus() {
    QMenuBar *bar = menuBar();

    Menu_Connect = bar->addAction(QStringLiteral("&Connect"));

    Menu_Setup = bar->addMenu(QStringLiteral("&Setup"));
    Menu_Setup->setToolTipsVisible(true);
    for (int i = Menu_Setup_Port.lowest(); i <= Menu_Setup_Port.highest(); ++i) {
        QAction *port = Menu_Setup->addAction(QStringLiteral("Com %1").arg(i));
        port->setCheckable(true);
        Menu_Setup_Port.set(i, port);
        onClick(port, &Form_Velmora::Menu_Setup_Port_Click, i);
    }
    // The device behind each number is shown when the menu opens; it can change between runs.
    connect(Menu_Setup, &QMenu::aboutToShow, this, [this] {
        for (int i = Menu_Setup_Port.lowest(); i <= Menu_Setup_Port.highest(); ++i)
            Menu_Setup_Port(i)->setToolTip(portDeviceName(i));
    });
    Menu_Setup_Port(1)->setChecked(true);
    Menu_Setup_Ports = Menu_Setup->addAction(QStringLiteral("Port..."));
    Menu_Setup->addSeparator();
    static const char *const reportTimes[] = {"Real Time", "50 ms",  "100 ms", "150 ms",
                                              "200 ms",    "250 ms", "300 ms", "350 ms"};
    for (int i = Menu_Setup_ReportTime.lowest(); i <= Menu_Setup_ReportTime.highest(); ++i) {
        QAction *item = Menu_Setup->addAction(QString::fromLatin1(reportTimes[i]));
        item->setCheckable(true);
        Menu_Setup_ReportTime.set(i, item);
        onClick(item, &Form_Velmora::Menu_Setup_ReportTime_Click, i);
    }
    Menu_Setup_ReportTime(0)->setChecked(true);
    Menu_Setup->addSeparator();
    Menu_Setup_Debug = Menu_Setup->addAction(QStringLiteral("Debug View"));
    Menu_Setup_Debug->setCheckable(true);
    Menu_Setup_Log = Menu_Setup->addAction(QStringLiteral("Create Logfile"));
    Menu_Setup_Log->setCheckable(true);

    Menu_Reset = bar->addAction(QStringLiteral("&Reset"));

    Menu_ZS = bar->addMenu(QStringLiteral("&TimeControl"));
    Menu_ZS_Aktiv = Menu_ZS->addAction(QStringLiteral("Activated"));
    Menu_ZS_Aktiv->setCheckable(true);
    Menu_ZS->addSeparator();
    Menu_ZS_Einstellungen = Menu_ZS->addAction(QStringLiteral("Config"));
    onClick(Menu_ZS_Aktiv, &Form_Velmora::Menu_ZS_Aktiv_Click);
    onClick(Menu_ZS_Einstellungen, &Form_Velmora::Menu_ZS_Einstellungen_Click);

    Menu_Mode = bar->addMenu(QStringLiteral("&Mode"));
    Menu_Mode_Zone2 = Menu_Mode->addAction(QStringLiteral("Zone2"));
    Menu_Mode_Zone2->setCheckable(true);
    Menu_Mode_Main = Menu_Mode->addAction(QStringLiteral("Main/Master"));
    Menu_Mode_Main->setCheckable(true);
    Menu_Mode_Main->setChecked(true);
    onClick(Menu_Mode_Zone2, &Form_Velmora::Menu_Mode_Zone2_Click);
    onClick(Menu_Mode_Main, &Form_Velmora::Menu_Mode_Main_Click);

    Menu_Sleep = bar->addMenu(QStringLiteral("S&leepTimer"));
    Menu_Sleep_Off = Menu_Sleep->addAction(QStringLiteral("Off"));
    Menu_Sleep_120 = Menu_Sleep->addAction(QStringLiteral("120 min"));
    Menu_Sleep_90 = Menu_Sleep->addAction(QStringLiteral("90 min"));
    Menu_Sleep_60 = Menu_Sleep->addAction(QStringLiteral("60 min"));
    Menu_Sleep_30 = Menu_Sleep->addAction(QStringLiteral("30 min"));
    onClick(Menu_Sleep_Off, &Form_Velmora::Menu_Sleep_Off_Click);
    onClick(Menu_Sleep_120, &Form_Velmora::Menu_Sleep_120_Click);
    onClick(Menu_Sleep_90, &Form_Velmora::Menu_Sleep_90_Click);
    onClick(Menu_Sleep_60, &Form_Velmora::Menu_Sleep_60_Click);
    onClick(Menu_Sleep_30, &Form_Velmora::Menu_Sleep_30_Click);

    Menu_Volume = bar->addMenu(QStringLiteral("&Volume"));
    Menu_Volume_Mute = Menu_Volume->addAction(QStringLiteral("Mute"));
    Menu_Volume_Mute->setCheckable(true);
    Menu_Volume_Mute->setShortcut(Qt::Key_F12);
    Menu_Volume_MuteZone2 = Menu_Volume->addAction(QStringLiteral("Mute Zone2"));
    Menu_Volume_MuteZone2->setCheckable(true);
    onClick(Menu_Volume_Mute, &Form_Velmora::Menu_Volume_Mute_Click);
    onClick(Menu_Volume_MuteZone2, &Form_Velmora::Menu_Volume_MuteZone2_Click);
    Menu_Volume->addSeparator();
    QMenu *save = Menu_Volume->addMenu(QStringLiteral("Save"));
    Menu_Volume->addSeparator();
    QMenu *load = Menu_Volume->addMenu(QStringLiteral("Load"));
    for (int i = 1; i <= 6; ++i) {
        const QChar bank(64 + i);
        QAction *saveItem = save->addAction(QString(bank));
        Menu_Volume_Save.set(i, saveItem);
        onClick(saveItem, &Form_Velmora::Menu_Volume_Save_Click, i);
        QAction *loadItem = load->addAction(QString(bank) + QStringLiteral("   "));
        loadItem->setShortcut(QKeySequence(Qt::Key_F4 + (i - 1)));
        Menu_Volume_Load.set(i, loadItem);
        onClick(loadItem, &Form_Velmora::Menu_Volume_Load_Click, i);
    }

    Menu_Mini = bar->addAction(QStringLiteral("M&ini"));
    onClick(Menu_Mini, &Form_Velmora::Menu_Mini_Click);

    Menu_Extras = bar->addMenu(QStringLiteral("E&xtras"));
    static const char *const keyModes[] = {"6.1/ES Key -Window max/minimize",
                                           "6.1/ES Key - Winamp Next/Previous Track",
                                           "6.1/ES Key - Shell Command"};
    for (int i = 1; i <= 3; ++i) {
        QAction *item = Menu_Extras->addAction(QString::fromLatin1(keyModes[i - 1]));
        item->setCheckable(true);
        Menu_Extras_61_ES.set(i, item);
        onClick(item, &Form_Velmora::Menu_Extras_61_ES_Click, i);
    }
    Menu_Extras->addSeparator();
    Menu_Extras_MT_Winamp = Menu_Extras->addAction(QStringLiteral("Multimedia Keycontrol Winamp"));
    Menu_Extras_MT_Winamp->setCheckable(true);
    Menu_Extras_MT_Yamaha = Menu_Extras->addAction(QStringLiteral("Multimedia Keycontrol Yamaha"));
    Menu_Extras_MT_Yamaha->setCheckable(true);
    onClick(Menu_Extras_MT_Winamp, &Form_Velmora::Menu_Extras_MT_Winamp_Click);
    onClick(Menu_Extras_MT_Yamaha, &Form_Velmora::Menu_Extras_MT_Yamaha_Click);
    Menu_Extras->addSeparator();
    Menu_Extras_SendMessage =
        Menu_Extras->addAction(QStringLiteral("Send Message to Display - Test"));
    onClick(Menu_Extras_SendMessage, &Form_Velmora::Menu_Extras_SendMessage_Click);
    Menu_Extras->addSeparator();
    Menu_Extras_YInfo = Menu_Extras->addAction(QStringLiteral("Yamaha information"));

    Menu_AddIn = bar->addAction(QStringLiteral("&AddIn"));
    onClick(Menu_AddIn, &Form_Velmora::Menu_AddIn_Click);

    Menu_Ende = bar->addAction(QStringLiteral("&End"));

    Menu_Fragezeichen = bar->addMenu(QStringLiteral("&?"));
    Menu_Fragezeichen_Informationen = Menu_Fragezeichen->addAction(QStringLiteral("Informationen"));
    Menu_Fragezeichen_Informationen->setShortcut(Qt::Key_F1);
    Menu_Info = Menu_Fragezeichen->addAction(QStringLiteral("About Velmora..."));

    onClick(Menu_Connect, &Form_Velmora::Menu_Connect_Click);
    onClick(Menu_Setup_Debug, &Form_Velmora::Menu_Setup_Debug_Click);
    onClick(Menu_Setup_Log, &Form_Velmora::Menu_Setup_Log_Click);
    onClick(Menu_Setup_Ports, &Form_Velmora::Menu_Setup_Ports_Click);
    onClick(Menu_Reset, &Form_Velmora::Menu_Reset_Click);
    onClick(Menu_Extras_YInfo, &Form_Velmora::Menu_Extras_YInfo_Click);
    onClick(Menu_Ende, &Form_Velmora::Menu_Ende_Click);
    onClick(Menu_Fragezeichen_Informationen, &Form_Velmora::Menu_Fragezeichen_Informationen_Click);
    onClick(Menu_Info, &Form_Velmora::Menu_Info_Click);

    buildMiniPopUp();

    // The items that need a receiver are off until one is connected.
    SetMenu(0);
}

void Form_Velmora::buildMiniPopUp() {
    Menu_MiniPopUp = new QMenu(QStringLiteral("MiniPopup"), this);
    Menu_MiniPopUp_POWER = Menu_MiniPopUp->addAction(QStringLiteral("POWER"));
    onClick(Menu_MiniPopUp_POWER, &Form_Velmora::Menu_MiniPopUp_POWER_Click);
    Menu_MiniPopUp->addSeparator();
    for (const InputButton &input : kInputButtons) {
        // The pop-up spells the last input without its hyphen.
        const QString caption =
            input.index == 14 ? QStringLiteral("CDR") : QString::fromLatin1(input.caption);
        QAction *item = Menu_MiniPopUp->addAction(caption);
        Menu_MiniPopUp_Input.set(input.index, item);
        onClick(item, &Form_Velmora::Menu_MiniPopUp_Input_Click, input.index);
    }
    Menu_MiniPopUp->addSeparator();
    Menu_MiniPopUp_Volume = Menu_MiniPopUp->addMenu(QStringLiteral("VOLUME"));
    for (int i = 1; i <= 6; ++i) {
        QAction *item = Menu_MiniPopUp_Volume->addAction(QString(QChar(64 + i)));
        Menu_MiniPopUp_Volume_Load.set(i, item);
        onClick(item, &Form_Velmora::Menu_MiniPopUp_Volume_Load_Click, i);
    }
    Menu_MiniPopUp->addSeparator();
    Menu_MiniPopUp_Zone2 = Menu_MiniPopUp->addAction(QStringLiteral("ZONE 2"));
    Menu_MiniPopUp_Zone2->setCheckable(true);
    onClick(Menu_MiniPopUp_Zone2, &Form_Velmora::Menu_MiniPopUp_Zone2_Click);
    Menu_MiniPopUp->addSeparator();
    Menu_MiniPopUp_Mute = Menu_MiniPopUp->addAction(QStringLiteral("MUTE"));
    onClick(Menu_MiniPopUp_Mute, &Form_Velmora::Menu_MiniPopUp_Mute_Click);
}

void Form_Velmora::SetMenu(qint16 connected) {
    const bool on = connected != 0;
    for (QAction *item : {Menu_Volume->menuAction(), Menu_Reset, Menu_ZS->menuAction(), Menu_Mini,
                          Menu_Sleep->menuAction(), Menu_Extras_YInfo, Menu_Extras_SendMessage})
        item->setEnabled(on);
    // The port never changes under an open connection.
    for (QAction *port : Menu_Setup_Port)
        if (port) port->setEnabled(!on);
}

void Form_Velmora::Menu_Extras_61_ES_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_Extras_61_ES_Click"));
    on.step([&] {
        if (Menu_Extras_61_ES(Index)->isChecked()) {
            Menu_Extras_61_ES(Index)->setChecked(false);
            return;
        }
        checkOnly(Menu_Extras_61_ES, Index);
        if (Index != 3) return;
        const QString answer =
            Dialogs::InputBox(QStringLiteral("Shell Command with full Path: "),
                              QStringLiteral("Shell Command"), Menu_Extras_61_ES_Tag);
        if (!answer.isEmpty())
            Menu_Extras_61_ES_Tag = answer;
        else
            Menu_Extras_61_ES(3)->setChecked(false);
    });
}

void Form_Velmora::Menu_Extras_SendMessage_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Extras_SendMessage_Click"));
    QString text;
    on.step([&] {
        text =
            Dialogs::InputBox(QStringLiteral("Text to send display:\r\n\r\nMax. 16 characters\r\n"
                                             "This function works only at newer Yamaha models"),
                              QStringLiteral("Text to display - Beta"));
    });
    // The receiver's display takes 16 characters; the message procedure fits longer text.
    if (!text.isEmpty()) on.step([&] { Form_Com::instance().SendMessage(text); });
}

void Form_Velmora::Menu_Extras_MT_Winamp_Click() {
    Menu_Extras_MT_Winamp->setChecked(!Menu_Extras_MT_Winamp->isChecked());
}

void Form_Velmora::Menu_Extras_MT_Yamaha_Click() {
    Menu_Extras_MT_Yamaha->setChecked(!Menu_Extras_MT_Yamaha->isChecked());
}

void Form_Velmora::Menu_Sleep_Off_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Sleep_Off_Click"));
    on.step([] { Form_Com::instance().SleepTimerOff(); });
}

void Form_Velmora::Menu_Sleep_120_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Sleep_120_Click"));
    on.step([] { Form_Com::instance().SleepTimer120(); });
}

void Form_Velmora::Menu_Sleep_90_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Sleep_90_Click"));
    on.step([] { Form_Com::instance().SleepTimer90(); });
}

void Form_Velmora::Menu_Sleep_60_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Sleep_60_Click"));
    on.step([] { Form_Com::instance().SleepTimer60(); });
}

void Form_Velmora::Menu_Sleep_30_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Sleep_30_Click"));
    on.step([] { Form_Com::instance().SleepTimer30(); });
}

void Form_Velmora::Menu_MiniPopUp_Input_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_MiniPopUp_Input_Click"));
    on.step([&] { Opt_Input_Click(Index); });
}

void Form_Velmora::Menu_MiniPopUp_POWER_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_MiniPopUp_POWER_Click"));
    on.step([&] { Label_Standby_Click(); });
}

void Form_Velmora::Menu_MiniPopUp_Zone2_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_MiniPopUp_Zone2_Click"));
    // Only the mode changes; the panel's frames and the status lines stay as they are.
    bool zone2 = false;
    on.step([&] { zone2 = !Menu_Mode_Zone2->isChecked(); });
    setZoneMode(zone2, false, on);
}

void Form_Velmora::Menu_MiniPopUp_Mute_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_MiniPopUp_Mute_Click"));
    on.step([&] { Mute(0); });
}

void Form_Velmora::Menu_MiniPopUp_Volume_Load_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Menu_MiniPopUp_Volume_Load_Click"));
    on.step([&] { Menu_Volume_Load_Click(Index); });
}
