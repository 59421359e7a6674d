// SPDX-License-Identifier: GPL-3.0-or-later
// An example add-in. It says when it joins Velmora, writes the status lines whenever the
// receiver reports a new main-zone volume, and lets the program end. It is built with Qt Core
// and Velmora's add-in headers only (find_package(Velmora), target Velmora::AddIn).
#include <velmora/AddInHost.h>
#include <velmora/AddInLoader.h>

#include <QLoggingCategory>
#include <QObject>

// Shown by default; QT_LOGGING_RULES="velmora.example.info=false" silences it.
Q_LOGGING_CATEGORY(lcExample, "velmora.example", QtInfoMsg)

// The add-in object: Velmora asks it for its name, version and copyright, then hands it its
// host object.
class ExampleAddIn : public QObject, public AddInLoader {
    Q_OBJECT
    Q_INTERFACES(AddInLoader)
public:
    void Name(QString &stName) override { stName = QStringLiteral("Velmora example"); }
    void Version(QString &stVersion) override { stVersion = QStringLiteral(EXAMPLE_VERSION); }
    void Copyright(QString &stCopyright) override {
        stCopyright = QStringLiteral("Copyright (C) The Velmora developers");
    }
    void Load(QObject *&oAddin) override {
        m_host = Velmora::Host(oAddin);
        connect(oAddin, Velmora::Event::VolumeMain, this, SLOT(onVolumeMain(float)));
        connect(oAddin, Velmora::Event::Unload, this, SLOT(onUnload(int *)));
        qCInfo(lcExample).noquote()
            << "example add-in joined Velmora" << m_host.Version() << "as" << m_host.AddInID();
    }

private Q_SLOTS:
    void onVolumeMain(float db) {
        QString line1;
        QString line2;
        m_host.GetText(line1, line2); // fills in both lines
        qCInfo(lcExample).noquote()
            << "example add-in: main zone at" << db << "dB, status lines:" << line1 << "/" << line2;
    }
    // Setting *Cancel to non-zero would keep the program running.
    void onUnload(int *Cancel) {
        *Cancel = 0;
        qCInfo(lcExample) << "example add-in: Velmora ends";
    }

private:
    Velmora::Host m_host;
};

// The library's root object: it makes the objects of the classes its metadata lists.
class ExampleLibrary : public QObject, public AddInLibrary {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AddInLibrary_iid FILE "ExampleAddIn.json")
    Q_INTERFACES(AddInLibrary)
public:
    QObject *createObject(const QString &className) override {
        if (className == QLatin1String("ExampleAddIn")) return new ExampleAddIn;
        return nullptr;
    }
};

#include "ExampleAddIn.moc"
