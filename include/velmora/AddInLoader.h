// SPDX-License-Identifier: GPL-3.0-or-later
// The contract between Velmora and an add-in library in one of its add-in folders. An add-in
// library is a Qt plug-in (IID AddInLibrary_iid) whose root object implements AddInLibrary and
// whose JSON metadata names the library and lists its classes in order:
//     { "Library": "LibName", "Classes": ["Utility", "MyAddIn"] }
// Velmora picks one class (the only one; else the first whose name contains "AddIn" in any
// case; else the last), asks the library for one object of it, and runs the loader calls on
// that object: Name, Version and Copyright (an add-in that leaves all three empty is not
// loaded), then Load with the add-in's host object. The host object is reached by name through
// Qt's meta-object system (velmora/AddInHost.h), so an add-in needs Qt and these headers only.
#pragma once

#include <QObject>
#include <QString>

class AddInLoader {
public:
    virtual ~AddInLoader() = default;
    // The add-in writes its version, name and copyright text into the argument.
    virtual void Version(QString &stVersion) = 0;
    virtual void Name(QString &stName) = 0;
    virtual void Copyright(QString &stCopyright) = 0;
    // The add-in receives its host object (Velmora::Host wraps it), which stays valid as long
    // as the add-in object.
    virtual void Load(QObject *&oAddin) = 0;
};

class AddInLibrary {
public:
    virtual ~AddInLibrary() = default;
    // A new object of one of the classes the metadata lists (it implements AddInLoader), or
    // null for a name the library does not know. The caller owns it.
    virtual QObject *createObject(const QString &className) = 0;
};

#define AddInLoader_iid "org.velmora.Velmora.AddInLoader/1.0"
Q_DECLARE_INTERFACE(AddInLoader, AddInLoader_iid)
// The IID of an add-in library: Q_PLUGIN_METADATA(IID AddInLibrary_iid FILE "MyLib.json").
#define AddInLibrary_iid "org.velmora.Velmora.AddInLibrary/1.0"
Q_DECLARE_INTERFACE(AddInLibrary, AddInLibrary_iid)
