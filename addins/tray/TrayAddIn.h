// SPDX-License-Identifier: GPL-3.0-or-later
// The tray add-in: an icon in the desktop's system tray whose tool tip shows the receiver's
// power state and main-zone volume, and whose menu mutes, switches the receiver on or to standby
// and shows or hides the program.
#pragma once

#include <velmora/AddInHost.h>
#include <velmora/AddInLoader.h>

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

class QAction;
class QMenu;

// What the tray knows of the receiver; a value stays unknown until the receiver tells it.
struct TrayState {
    std::optional<bool> power;
    std::optional<bool> mute;
    std::optional<double> volumeDb; // main zone

    // One report message: two prefix characters, the command and the data as two characters
    // each. Power ("20") and mute ("23") are read; anything else changes nothing.
    void applyReport(const QString &message);
    // The configuration answer as the add-ins get it (without its first and last character):
    // model ID (5), version (1), length (2), then the data block, which some receivers open
    // with "@E01900". Data position 2 is the power, 6 the mute, 9-10 the main-zone volume.
    void applySettings(const QString &settings);
    // "Velmora", then the power and the volume, one per line.
    QString toolTip() const;
};

class TrayAddIn : public QObject, public AddInLoader {
    Q_OBJECT
    Q_INTERFACES(AddInLoader)
public:
    TrayAddIn();
    ~TrayAddIn() override;

    void Version(QString &stVersion) override;
    void Name(QString &stName) override;
    void Copyright(QString &stCopyright) override;
    void Load(QObject *&oAddin) override;

private Q_SLOTS:
    // The host object's events.
    void onReceivedCommand(const QString &stData);
    void onReceivedSettings(const QString &stData);
    void onVolumeMain(float db);
    void onTerminate();

private:
    void createIcon();
    void removeIcon();
    void refresh();
    void updateMenu();
    void toggleWindow();
    Velmora::Host m_host;
    TrayState m_state;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QAction *m_mute = nullptr;
    QAction *m_powerOn = nullptr;
    QAction *m_standby = nullptr;
    QAction *m_window = nullptr;
};

// The plug-in's root object: it makes the add-in objects the metadata lists.
class TrayLibrary : public QObject, public AddInLibrary {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AddInLibrary_iid FILE "tray.json")
    Q_INTERFACES(AddInLibrary)
public:
    QObject *createObject(const QString &className) override;
};
