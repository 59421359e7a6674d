// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, creating and loading the add-ins of the "AddIn" folder, and the add-in IDs.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// A new add-in ID: a fresh GUID's 16 bytes in storage order as upper-case hexadecimal, grouped
// 8-4-4-4-12 without braces. "" (after a message) when the platform gives no GUID.
QString CreateGUID();
// The ID text of a GUID's bytes in storage order.
QString guidText(const QByteArray &storageBytes);

// The class a library's add-in object is made of: its only class; else the first whose name
// contains "AddIn" in any case; else the last. "" for a library without classes.
QString chooseAddInClass(const QStringList &classes);

// The candidates of the add-in folders: element 0 empty, then "library.class" for each add-in
// library, folder by folder in search order and in name order within a folder. Of two libraries
// with one file name only the later folder's (the user's) counts. A file that is not a Qt
// plug-in shows the error box and is skipped; a Qt plug-in of another kind is passed over.
QStringList FindAddIns();
// One object of the class a candidate names; null for "" or when it cannot be made.
std::unique_ptr<QObject> CreateAddInObject(const QString &identifier);
// Runs the loader calls on an add-in object: 0 when it loaded (its host object registered and
// handed over), -1 for no object, -2 when it gave no name, version or copyright, else the
// number of the last failure of those three calls.
long LoadAddIn(QObject *addIn);
