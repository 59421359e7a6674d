// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept between runs: LoadConfig puts the stored values into the menus, SaveConfig
// writes the menus back into the store.
#include "base/ConfigValues.h"
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "link/Form_Com.h"

#include <QAction>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

// The index of the first checked item of a menu group, nothing when none is checked.
template <int Lo, int Hi>
std::optional<int> firstChecked(const ControlArray<QAction, Lo, Hi> &items) {
    for (int i = Lo; i <= Hi; ++i)
        if (items.contains(i) && items(i)->isChecked()) return i;
    return std::nullopt;
}
} // namespace

void Form_Velmora::LoadConfig() {
    ErrorScope on(kModule, QStringLiteral("LoadConfig"));
    std::optional<ConfigPairs> section;
    on.step([&] { section = readConfigSection(); });
    // The very first run finds no section: the window keeps what it was built with, and the
    // shell command stays empty until a save has stored one.
    if (!section) return;
    const StoredConfig stored = keepConfigKeys(*section);
    const auto value = [&](ConfigKey key) -> const std::optional<QString> & {
        return storedValue(stored, key);
    };

    // A stored value that names no item fails in its own step; the other keys still load.
    if (const std::optional<int> port = storedIndex(value(ConfigKey::Com)))
        on.step([&] {
            // As picking the item does: the port is used at the next connect.
            checkOnly(Menu_Setup_Port, *port);
            usePort(*port);
        });
    // The interval reaches the receiver when connecting, not now.
    if (const std::optional<int> interval = storedIndex(value(ConfigKey::ReportTime)))
        on.step([&] { checkOnly(Menu_Setup_ReportTime, *interval); });
    // Only the check marks: the panel follows the mode when the flap next opens.
    if (const std::optional<bool> main = storedMainMode(value(ConfigKey::Mode)))
        on.step([&] {
            Menu_Mode_Main->setChecked(*main);
            Menu_Mode_Zone2->setChecked(!*main);
        });
    if (const std::optional<int> mode = storedIndex(value(ConfigKey::Extras)))
        on.step([&] { checkOnly(Menu_Extras_61_ES, *mode); });
    on.step([&] { setDebugView(storedSwitch(value(ConfigKey::Debug))); });
    on.step([&] { Menu_Extras_61_ES_Tag = storedShellCommand(value(ConfigKey::Shell)); });
    on.step(
        [&] { Menu_Extras_MT_Yamaha->setChecked(storedSwitch(value(ConfigKey::MediaKeyYamaha))); });
    on.step(
        [&] { Menu_Extras_MT_Winamp->setChecked(storedSwitch(value(ConfigKey::MediaKeyWinamp))); });
}

void Form_Velmora::SaveConfig() {
    ErrorScope on(kModule, QStringLiteral("SaveConfig"));
    ConfigSnapshot now;
    const bool read = on.step([&] {
        now.port = firstChecked(Menu_Setup_Port);
        now.reportTime = firstChecked(Menu_Setup_ReportTime);
        now.mainMode = Menu_Mode_Main->isChecked();
        now.extras = firstChecked(Menu_Extras_61_ES);
        now.debug = Menu_Setup_Debug->isChecked();
        now.shell = Menu_Extras_61_ES_Tag;
        now.mediaKeyYamaha = Menu_Extras_MT_Yamaha->isChecked();
        now.mediaKeyWinamp = Menu_Extras_MT_Winamp->isChecked();
    });
    // Half-read menus are not written over good settings.
    if (!read) return;
    on.step([&] { writeConfigSection(configPairs(now)); });
}
