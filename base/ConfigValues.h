// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept between runs: the per-user store, its eight keys, how a stored value is
// read back and which texts a save writes.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <optional>
#include <utility>

class QSettings;

// The keys, in the order a save writes them.
enum class ConfigKey {
    Com,
    ReportTime,
    Mode,
    Extras,
    Debug,
    Shell,
    MediaKeyYamaha,
    MediaKeyWinamp
};
inline constexpr int ConfigKeyCount = 8;
inline constexpr std::array<const char *, ConfigKeyCount> kConfigKeyNames = {
    "Com", "ReportTime", "Mode", "Extras", "Debug", "Shell", "MediaKeyYamaha", "MediaKeyWinamp"};

QString configKeyName(ConfigKey key);
// The key with exactly this name (case counts); nothing for any other name.
std::optional<ConfigKey> configKeyFromName(QStringView name);

// Run by the 6.1/ES key's shell mode when the store holds no command of its own.
inline constexpr const char *DefaultShellCommand = "c:\\windows\\system32\\calc.exe";

// Key/value pairs as the store hands them over or as a save writes them.
using ConfigPairs = QList<std::pair<QString, QString>>;

// The per-user store of application "Velmora": the registry on Windows, an INI file under the
// user's configuration folder elsewhere. Only the user's own settings count; system-wide
// files are not consulted.
std::unique_ptr<QSettings> openConfigStore();
// The device or bridge URL kept for port n in the group "Ports" (key "Com<n>"); empty when the
// user has set none.
QString storedPortDevice(long n);
// Keeps it there at once; an empty one removes the key. Throws error 75 naming the store when it
// cannot be written.
void storePortDevice(long n, const QString &device);
// Every key of a group of the store with its value, in the order the store returns them; empty
// when the group does not exist.
ConfigPairs readStoreGroup(const QString &group);
// Writes the pairs into the group at once, under the store's lock; an empty value removes its
// key. With ownerOnly the settings file is readable and writable by its owner only (0600) before
// the pairs are written, so that they never stand in a file others may read; without it the
// file's permissions stay as they were. Any later save keeps a file restricted so. Throws error 75
// naming the store when it cannot be written.
void writeStoreGroup(const QString &group, const ConfigPairs &pairs, bool ownerOnly = false);
// Every pair of the section "Config" in the order the store returns them; nothing when the
// section does not exist.
std::optional<ConfigPairs> readConfigSection();
// Writes the pairs into the section "Config", one value each, and flushes the store. The file
// is replaced as a whole (a temporary file renamed over it), so an interrupted save leaves the
// previous settings. Throws error 75 naming the store when it cannot be written.
void writeConfigSection(const ConfigPairs &pairs);

// What a load keeps: the value of each of the eight keys, nothing for a key not stored. Pairs
// are taken in order; names that are not exactly one of the keys are ignored.
using StoredConfig = std::array<std::optional<QString>, ConfigKeyCount>;
StoredConfig keepConfigKeys(const ConfigPairs &pairs);
inline const std::optional<QString> &storedValue(const StoredConfig &c, ConfigKey key) {
    return c[static_cast<int>(key)];
}

// A lenient number: leading blanks are skipped and the longest leading decimal number is
// taken, with an optional sign ("3" and "3x" give 3, "x" and "" give 0).
long configNumber(QStringView value);
// The item index a stored "Com", "ReportTime" or "Extras" names; nothing when the value is
// missing or empty (the menu keeps its check mark). A number beyond the range of an index is
// held at the range's end, so that it names no item rather than wrapping onto one.
std::optional<int> storedIndex(const std::optional<QString> &value);
// "Mode": "1" is the main zone (true), "2" zone 2 (false); nothing for any other value.
std::optional<bool> storedMainMode(const std::optional<QString> &value);
// "Debug" and the two media-key switches are on only for exactly "1".
bool storedSwitch(const std::optional<QString> &value);
// "Shell": the stored command, or the default when it is missing or empty.
QString storedShellCommand(const std::optional<QString> &value);

// The menu state a save reads back.
struct ConfigSnapshot {
    std::optional<int> port;       // first checked port item, 1 to 5
    std::optional<int> reportTime; // first checked report interval item, 0 to 7
    bool mainMode = true;          // "Main/Master" checked
    std::optional<int> extras;     // first checked 6.1/ES item, 1 to 3
    bool debug = false;
    QString shell;
    bool mediaKeyYamaha = false;
    bool mediaKeyWinamp = false;
};
// The eight pairs a save writes, in the order it writes them.
ConfigPairs configPairs(const ConfigSnapshot &snapshot);
