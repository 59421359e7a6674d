// SPDX-License-Identifier: GPL-3.0-or-later
// An add-in object for the loader tests: "NameOnly" gives only a name, "Nothing" nothing, any
// other class all three texts. It keeps the host object it is handed as its property "host".
// "Tools" has settings too (SettingsAddIn).
#pragma once

#include <velmora/AddInLoader.h>

#include <QObject>
#include <QVariant>

class TestAddIn : public QObject, public AddInLoader {
    Q_OBJECT
    Q_INTERFACES(AddInLoader)
public:
    explicit TestAddIn(const QString &className) : m_class(className) {}
    void Name(QString &stName) override {
        if (m_class != QLatin1String("Nothing")) stName = m_class;
    }
    void Version(QString &stVersion) override {
        if (full()) stVersion = QStringLiteral("1.0");
    }
    void Copyright(QString &stCopyright) override {
        if (full()) stCopyright = QStringLiteral("(c) tests");
    }
    void Load(QObject *&oAddin) override { setProperty("host", QVariant::fromValue(oAddin)); }

private:
    bool full() const {
        return m_class != QLatin1String("NameOnly") && m_class != QLatin1String("Nothing");
    }
    QString m_class;
};

// An add-in with settings of its own: the manager calls Settings(), counted in "settings".
class SettingsAddIn : public TestAddIn {
    Q_OBJECT
public:
    using TestAddIn::TestAddIn;
    Q_INVOKABLE void Settings() { setProperty("settings", property("settings").toInt() + 1); }
};
