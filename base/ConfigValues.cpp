// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept between runs: store access and the rules for reading and writing values.
#include "base/ConfigValues.h"

#include "base/LenientNumber.h"
#include "base/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QThread>
#include <algorithm>
#include <limits>

Q_LOGGING_CATEGORY(lcConfig, "velmora.app.config", QtWarningMsg)

namespace {
const QString kName = QStringLiteral("Velmora");
const QString kGroup = QStringLiteral("Config");
const QString kPorts = QStringLiteral("Ports");

// A save writes into the store under a lock file that names its owner; a save killed between
// creating that file and writing its owner into it leaves it empty. Qt takes a lock without an
// owner as stale only after 30 s, all that time blocking the next save, so the end of the program
// after such a crash. A live owner writes itself in at once: an empty lock file that stays empty
// for a moment belongs to nobody and is removed.
void clearOwnerlessLock(const QString &lockName) {
    const auto empty = [&] {
        const QFileInfo lock(lockName);
        return lock.exists() && lock.size() == 0;
    };
    if (!empty()) return;
    QThread::msleep(200);
    if (empty() && QFile::remove(lockName))
        qCWarning(lcConfig) << "removed the ownerless lock" << lockName;
}
} // namespace

QString configKeyName(ConfigKey key) {
    return QString::fromLatin1(kConfigKeyNames[static_cast<int>(key)]);
}

std::optional<ConfigKey> configKeyFromName(QStringView name) {
    for (int i = 0; i < ConfigKeyCount; ++i)
        if (name == QLatin1String(kConfigKeyNames[i])) return static_cast<ConfigKey>(i);
    return std::nullopt;
}

std::unique_ptr<QSettings> openConfigStore() {
    auto store =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kName, kName);
    store->setFallbacksEnabled(false);
    return store;
}

std::optional<ConfigPairs> readConfigSection() {
    const std::unique_ptr<QSettings> store = openConfigStore();
    if (store->status() != QSettings::NoError)
        qCWarning(lcConfig) << "settings store" << store->fileName() << "unreadable"
                            << store->status();
    if (!store->childGroups().contains(kGroup)) return std::nullopt;
    store->beginGroup(kGroup);
    ConfigPairs pairs;
    for (const QString &key : store->childKeys())
        pairs.append({key, store->value(key).toString()});
    qCDebug(lcConfig) << "read" << pairs.size() << "settings from" << store->fileName();
    return pairs;
}

namespace {
QString portKey(long n) {
    return kPorts + QStringLiteral("/Com") + QString::number(n);
}

// Makes the settings file readable and writable by its owner only, creating it empty when it
// does not exist yet: a save writes a temporary file with the permissions of the file it
// replaces. The registry of Windows is the user's own already.
void restrictToOwner(const QString &fileName) {
#ifndef Q_OS_WIN
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(fileName);
    if (!file.exists() && QDir().mkpath(QFileInfo(fileName).absolutePath()))
        file.open(QIODevice::WriteOnly);
    file.close();
    if (!file.setPermissions(ownerOnly))
        RuntimeError::fileAccess(fileName,
                                 QStringLiteral("the settings file cannot be made private"));
#else
    Q_UNUSED(fileName);
#endif
}

// Changes the store under its lock and writes it out at once; with ownerOnly the file is
// restricted to its owner before and after.
template <typename Change>
void changeStore(Change change, bool ownerOnly = false) {
    const std::unique_ptr<QSettings> store = openConfigStore();
    clearOwnerlessLock(store->fileName() + QStringLiteral(".lock"));
    if (ownerOnly) restrictToOwner(store->fileName());
    change(*store);
    store->sync();
    if (ownerOnly && store->status() == QSettings::NoError) restrictToOwner(store->fileName());
    switch (store->status()) {
    case QSettings::NoError:
        qCDebug(lcConfig) << "saved the settings to" << store->fileName();
        return;
    case QSettings::AccessError:
        RuntimeError::fileAccess(store->fileName(),
                                 QStringLiteral("the settings cannot be written"));
    case QSettings::FormatError:
        RuntimeError::fileAccess(store->fileName(), QStringLiteral("the settings file is damaged"));
    }
}
} // namespace

ConfigPairs readStoreGroup(const QString &group) {
    const std::unique_ptr<QSettings> store = openConfigStore();
    store->beginGroup(group);
    ConfigPairs pairs;
    for (const QString &key : store->childKeys())
        pairs.append({key, store->value(key).toString()});
    return pairs;
}

void writeStoreGroup(const QString &group, const ConfigPairs &pairs, bool ownerOnly) {
    changeStore(
        [&](QSettings &store) {
            store.beginGroup(group);
            for (const auto &[key, value] : pairs)
                if (value.isEmpty())
                    store.remove(key);
                else
                    store.setValue(key, value);
            store.endGroup();
        },
        ownerOnly);
}

void writeConfigSection(const ConfigPairs &pairs) {
    changeStore([&](QSettings &store) {
        store.beginGroup(kGroup);
        for (const auto &[key, value] : pairs)
            store.setValue(key, value);
        store.endGroup();
    });
}

QString storedPortDevice(long n) {
    return openConfigStore()->value(portKey(n)).toString().trimmed();
}

void storePortDevice(long n, const QString &device) {
    changeStore([&](QSettings &store) {
        if (device.trimmed().isEmpty())
            store.remove(portKey(n));
        else
            store.setValue(portKey(n), device.trimmed());
    });
}

StoredConfig keepConfigKeys(const ConfigPairs &pairs) {
    StoredConfig kept;
    for (const auto &[key, value] : pairs)
        if (const std::optional<ConfigKey> k = configKeyFromName(key))
            kept[static_cast<int>(*k)] = value;
    return kept;
}

long configNumber(QStringView value) {
    return lenientNumber(value, NumberBlanks::Leading);
}

std::optional<int> storedIndex(const std::optional<QString> &value) {
    if (!value || value->isEmpty()) return std::nullopt;
    return static_cast<int>(std::clamp<long>(configNumber(*value), std::numeric_limits<int>::min(),
                                             std::numeric_limits<int>::max()));
}

std::optional<bool> storedMainMode(const std::optional<QString> &value) {
    if (value == QLatin1String("1")) return true;
    if (value == QLatin1String("2")) return false;
    return std::nullopt;
}

bool storedSwitch(const std::optional<QString> &value) {
    return value == QLatin1String("1");
}

QString storedShellCommand(const std::optional<QString> &value) {
    if (!value || value->isEmpty()) return QString::fromLatin1(DefaultShellCommand);
    return *value;
}

ConfigPairs configPairs(const ConfigSnapshot &s) {
    const auto index = [](std::optional<int> i) {
        return i ? QString::number(*i) : QStringLiteral("");
    };
    const auto flag = [](bool on, const char *off) {
        return on ? QStringLiteral("1") : QString::fromLatin1(off);
    };
    const QString values[ConfigKeyCount] = {index(s.port),
                                            index(s.reportTime),
                                            s.mainMode ? QStringLiteral("1") : QStringLiteral("2"),
                                            index(s.extras),
                                            flag(s.debug, ""),
                                            s.shell,
                                            flag(s.mediaKeyYamaha, "0"),
                                            flag(s.mediaKeyWinamp, "0")};
    ConfigPairs pairs;
    for (int i = 0; i < ConfigKeyCount; ++i)
        pairs.append({QString::fromLatin1(kConfigKeyNames[i]), values[i]});
    return pairs;
}
