// SPDX-License-Identifier: GPL-3.0-or-later
// The tray add-in.
//
// The host object is reached only through Qt's meta-object system, as any add-in reaches it
// (velmora/AddInHost.h): its events by connecting to its signals by name, its members by name
// through Velmora::Host. An executable does not export its symbols to the libraries it loads
// (on Windows a plug-in could not even be linked), so the plug-in needs Qt only. The command
// codes come from the program's catalogue, a table of constants.
#include "addins/tray/TrayAddIn.h"

#include "link/CommandCatalogue.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {
// A command's code from the program's catalogue, at compile time.
constexpr const char *codeOf(Cmd id) {
    for (const CommandEntry &e : kCommandCatalogue)
        if (e.id == id) return e.code;
    return "";
}

// The program's window icon, or a plain "V" on a dark disc when it has none.
QIcon trayIcon() {
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) return appIcon;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x29, 0x37));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 30, 30);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("V"));
    return QIcon(pixmap);
}

// "1" on, "0" off, anything else unknown.
std::optional<bool> flag(QStringView digit) {
    if (digit == u"1") return true;
    if (digit == u"0") return false;
    return std::nullopt;
}
} // namespace

// --- TrayState ---

void TrayState::applyReport(const QString &message) {
    if (message.size() != 6) return;
    const QStringView command = QStringView(message).mid(2, 2);
    const QStringView data = QStringView(message).mid(4, 2);
    const std::optional<bool> on = data == u"01"   ? std::optional(true)
                                   : data == u"00" ? std::optional(false)
                                                   : std::nullopt;
    if (!on) return;
    if (command == u"20")
        power = on;
    else if (command == u"23")
        mute = on;
}

void TrayState::applySettings(const QString &settings) {
    bool ok = false;
    const int length = settings.mid(6, 2).toInt(&ok, 16);
    if (!ok || length < 2) return;
    QString data = settings.mid(8, length);
    if (data.startsWith(QLatin1String("@E01900"))) data.remove(0, 7);
    const std::optional<bool> on = flag(data.mid(1, 1));
    if (!on) return;
    power = on;
    if (!*on) return; // a receiver in standby sends nothing more
    if (const std::optional<bool> muted = flag(data.mid(5, 1))) mute = muted;
    if (data.size() < 10) return;
    const int level = data.mid(8, 2).toInt(&ok, 16);
    if (ok && level >= 0) volumeDb = (level - 199) / 2.0; // 0.5 dB steps, data 199 is 0 dB
}

QString TrayState::toolTip() const {
    const QString powerText =
        power ? (*power ? QStringLiteral("on") : QStringLiteral("standby")) : QStringLiteral("?");
    QString volumeText =
        volumeDb ? QString::number(*volumeDb, 'f', 1) + QStringLiteral(" dB") : QStringLiteral("?");
    if (mute.value_or(false)) volumeText += QStringLiteral(" (muted)");
    return QStringLiteral("Velmora\nPower: %1\nVolume: %2").arg(powerText, volumeText);
}

// --- TrayAddIn ---

TrayAddIn::TrayAddIn() = default;

TrayAddIn::~TrayAddIn() {
    removeIcon();
}

void TrayAddIn::Version(QString &stVersion) {
    stVersion = QStringLiteral(VELMORA_TRAY_VERSION);
}

void TrayAddIn::Name(QString &stName) {
    stName = QStringLiteral("Velmora Tray");
}

void TrayAddIn::Copyright(QString &stCopyright) {
    stCopyright = QStringLiteral("Copyright (C) The Velmora developers");
}

void TrayAddIn::Load(QObject *&oAddin) {
    if (!oAddin || m_host.object()) return;
    m_host = Velmora::Host(oAddin);
    connect(oAddin, Velmora::Event::ReceivedCommand, this, SLOT(onReceivedCommand(QString)));
    connect(oAddin, Velmora::Event::ReceivedSettings, this, SLOT(onReceivedSettings(QString)));
    connect(oAddin, Velmora::Event::VolumeMain, this, SLOT(onVolumeMain(float)));
    connect(oAddin, Velmora::Event::Terminate, this, SLOT(onTerminate()));
    // Widgets must go before the application object does.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &TrayAddIn::onTerminate);
    createIcon();
}

void TrayAddIn::createIcon() {
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) ||
        !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_menu = std::make_unique<QMenu>();
    m_mute = m_menu->addAction(QStringLiteral("Mute"), this, [this] {
        m_host.SendCommand(m_state.mute.value_or(false) ? codeOf(Cmd::MasterVolMuteOff)
                                                        : codeOf(Cmd::MasterVolMuteOn));
        refresh(); // the check mark follows the receiver's report, not the click
    });
    m_mute->setCheckable(true);
    m_menu->addSeparator();
    m_powerOn = m_menu->addAction(QStringLiteral("Power On"), this,
                                  [this] { m_host.SendCommand(codeOf(Cmd::PowerOn)); });
    m_standby = m_menu->addAction(QStringLiteral("Standby"), this,
                                  [this] { m_host.SendCommand(codeOf(Cmd::PowerOff)); });
    m_menu->addSeparator();
    m_window = m_menu->addAction(QStringLiteral("Show Velmora"), this, [this] { toggleWindow(); });
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { updateMenu(); });

    m_icon = std::make_unique<QSystemTrayIcon>(trayIcon());
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) toggleWindow();
            });
    refresh();
    m_icon->show();
}

void TrayAddIn::removeIcon() {
    if (m_icon) m_icon->hide();
    m_icon.reset();
    m_menu.reset();
    m_mute = m_powerOn = m_standby = m_window = nullptr;
}

void TrayAddIn::refresh() {
    if (m_icon) m_icon->setToolTip(m_state.toolTip());
    if (m_mute) m_mute->setChecked(m_state.mute.value_or(false));
}

void TrayAddIn::updateMenu() {
    if (!m_menu) return;
    const bool connected = m_host.Connected();
    m_mute->setEnabled(connected && m_state.power != false);
    m_powerOn->setEnabled(connected && m_state.power != true);
    m_standby->setEnabled(connected && m_state.power != false);
    m_window->setText(m_host.Visible() ? QStringLiteral("Hide Velmora")
                                     : QStringLiteral("Show Velmora"));
    refresh();
}

void TrayAddIn::toggleWindow() {
    if (m_host.Visible())
        m_host.Hide();
    else
        m_host.Show();
}

void TrayAddIn::onReceivedCommand(const QString &stData) {
    m_state.applyReport(stData);
    refresh();
}

void TrayAddIn::onReceivedSettings(const QString &stData) {
    m_state.applySettings(stData);
    refresh();
}

void TrayAddIn::onVolumeMain(float db) {
    m_state.volumeDb = db;
    refresh();
}

void TrayAddIn::onTerminate() {
    removeIcon();
}

// --- TrayLibrary ---

QObject *TrayLibrary::createObject(const QString &className) {
    if (className == QLatin1String("TrayAddIn")) return new TrayAddIn;
    return nullptr;
}
