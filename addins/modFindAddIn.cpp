// SPDX-License-Identifier: GPL-3.0-or-later
// Add-in discovery and IDs.
#include "addins/modFindAddIn.h"

#include "addins/clsAddIn.h"
#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/ProgramFolder.h"

#include <velmora/AddInLoader.h>

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPluginLoader>
#include <QSet>
#include <QUuid>

QString guidText(const QByteArray &b) {
    const QString hex = QString::fromLatin1(b.toHex().toUpper());
    return hex.mid(0, 8) + QLatin1Char('-') + hex.mid(8, 4) + QLatin1Char('-') + hex.mid(12, 4) +
           QLatin1Char('-') + hex.mid(16, 4) + QLatin1Char('-') + hex.mid(20, 12);
}

QString CreateGUID() {
    const QUuid id = QUuid::createUuid();
    if (id.isNull()) {
        Dialogs::MsgBox(QStringLiteral("Error while creating GUID!"));
        return QString();
    }
    // The platform keeps the first three fields little-endian; the ID takes the bytes as
    // stored, not in the registry notation.
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b += char((id.data1 >> (8 * i)) & 0xFF);
    for (int i = 0; i < 2; ++i)
        b += char((id.data2 >> (8 * i)) & 0xFF);
    for (int i = 0; i < 2; ++i)
        b += char((id.data3 >> (8 * i)) & 0xFF);
    b += QByteArray(reinterpret_cast<const char *>(id.data4), 8);
    return guidText(b);
}

// --- The add-in folder ---

Q_DECLARE_LOGGING_CATEGORY(lcAddIns)

namespace {
const QString kModule = QStringLiteral("modFindAddIn");

// The library file behind each candidate found, so that its object can be made.
QHash<QString, QString> &candidateFiles() {
    static QHash<QString, QString> files;
    return files;
}

QString libraryPattern() {
#if defined(Q_OS_WIN)
    return QStringLiteral("*.dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("*.dylib");
#else
    return QStringLiteral("*.so");
#endif
}

// Error 438: the object lacks the loader calls.
[[noreturn]] void noLoaderCalls() {
    throw RuntimeError(ErrNr::NoSuchMember, RuntimeError::standardText(ErrNr::NoSuchMember));
}

// Runs one loader call; the number of its failure, or 0.
template <class F>
long attempt(F &&f) {
    try {
        std::forward<F>(f)();
        return 0;
    } catch (...) {
        return describeCurrentFailure().number;
    }
}
} // namespace

QString chooseAddInClass(const QStringList &classes) {
    if (classes.isEmpty()) return QString();
    if (classes.size() == 1) return classes.constFirst();
    for (const QString &c : classes)
        if (c.contains(QLatin1String("AddIn"), Qt::CaseInsensitive)) return c;
    return classes.constLast();
}

QStringList FindAddIns() {
    ErrorScope on(kModule, QStringLiteral("FindAddIns"));
    QStringList candidates{QString()};
    candidateFiles().clear();
    // The folders in search order; a library of the same file name in a later folder (the
    // user's own) stands in for the earlier one, which is not loaded.
    const QStringList folders = programFileLocations(ProgramFile::AddIns);
    QFileInfoList files;
    QSet<QString> later;
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder) {
        QFileInfoList here;
        for (const QFileInfo &file : QDir(*folder).entryInfoList(
                 {libraryPattern()}, QDir::Files | QDir::Readable, QDir::Name)) {
            if (later.contains(file.fileName()))
                qCInfo(lcAddIns).noquote()
                    << "add-in" << file.absoluteFilePath() << "passed over for the user's copy";
            else
                here << file;
        }
        for (const QFileInfo &file : std::as_const(here))
            later.insert(file.fileName());
        files = here + files;
    }
    for (const QFileInfo &file : std::as_const(files)) {
        on.step([&] {
            const QPluginLoader loader(file.absoluteFilePath());
            const QJsonObject meta = loader.metaData();
            if (meta.isEmpty())
                throw RuntimeError(
                    ErrNr::DllLoad,
                    RuntimeError::standardText(ErrNr::DllLoad) +
                        QStringLiteral(" (%1: %2)").arg(file.fileName(), loader.errorString()));
            // A Qt plug-in of another kind is not an add-in, but nothing is wrong with it.
            const QString iid = meta.value(QLatin1String("IID")).toString();
            if (iid != QLatin1String(AddInLibrary_iid)) {
                qCInfo(lcAddIns).noquote() << "plug-in" << file.absoluteFilePath() << "of" << iid
                                           << "is not an add-in library; passed over";
                return;
            }
            const QJsonObject data = meta.value(QLatin1String("MetaData")).toObject();
            QStringList classes;
            for (const QJsonValue &c : data.value(QLatin1String("Classes")).toArray())
                classes << c.toString();
            const QString chosen = chooseAddInClass(classes);
            if (chosen.isEmpty()) return;
            const QString library = data.value(QLatin1String("Library")).toString();
            const QString identifier = library + QLatin1Char('.') + chosen;
            candidateFiles().insert(identifier, file.absoluteFilePath());
            qCInfo(lcAddIns).noquote() << "add-in" << identifier << "in" << file.absoluteFilePath();
            candidates << identifier;
        });
    }
    return candidates;
}

std::unique_ptr<QObject> CreateAddInObject(const QString &identifier) {
    std::unique_ptr<QObject> object;
    ignoringFailures([&] {
        const QString file = candidateFiles().value(identifier);
        if (identifier.isEmpty() || file.isEmpty()) return;
        QPluginLoader loader(file);
        auto *library = qobject_cast<AddInLibrary *>(loader.instance());
        if (!library) return;
        object.reset(library->createObject(identifier.section(QLatin1Char('.'), -1)));
    });
    return object;
}

long LoadAddIn(QObject *addIn) {
    if (!addIn) return -1;
    AddInLoader *loader = qobject_cast<AddInLoader *>(addIn);
    QString name;
    QString version;
    QString copyright;
    long failure = 0;
    for (long number : {attempt([&] {
                            if (!loader) noLoaderCalls();
                            loader->Name(name);
                        }),
                        attempt([&] {
                            if (!loader) noLoaderCalls();
                            loader->Version(version);
                        }),
                        attempt([&] {
                            if (!loader) noLoaderCalls();
                            loader->Copyright(copyright);
                        })})
        if (number != 0) failure = number;
    if (failure != 0) return failure;
    if (name.isEmpty() && version.isEmpty() && copyright.isEmpty()) return -2;
    // The host object lives as long as the add-in object it belongs to.
    auto *host = new clsAddIn(QString(), addIn);
    ignoringFailures([&] {
        host->setAddInName(name);
        host->setAddInVersion(version);
        host->setAddInCopyright(copyright);
        host->fHostLoaded = true;
        host->AddInRegister();
    });
    if (host->bRegistered())
        qCInfo(lcAddIns).noquote() << QStringLiteral("add-in \"%1\" %2 registered as %3")
                                          .arg(name, version, host->AddInID());
    ignoringFailures([&] {
        QObject *handed = host;
        loader->Load(handed);
    });
    return 0;
}
