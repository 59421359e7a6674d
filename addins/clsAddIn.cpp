// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host object: identity, the members add-ins call, and the raising of its events.
#include "addins/clsAddIn.h"

#include "addins/clsAddIns.h"
#include "addins/modFindAddIn.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "link/ComPort.h"
#include "link/Framing.h"
#include "ui/Form_Intro.h"
#include "ui/Form_YInfo.h"
#include "ui/WindowProcs.h"
#include "ui/mainwindow/Form_Velmora.h"
#include "ui/mini/Form_Mini.h"
#include "winamp/Modul_Winamp.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {
const QString kModule = QStringLiteral("clsAddIn");

// The window the add-in means: the mini window while it stands in for the main window.
QWidget *activeWindow() {
    if (bMiniMode) return &Form_Mini::instance();
    return Form_Velmora::existing();
}
} // namespace

clsAddIn::clsAddIn(QString addInID, QObject *parent)
    : QObject(parent), m_id(addInID.isNull() ? CreateGUID() : std::move(addInID)),
      m_createDate(QDateTime::currentDateTime()) {
}

clsAddIn::~clsAddIn() {
    ignoringFailures([&] {
        if (gAddIns && gAddIns->GetItemByID(m_id) == this) gAddIns->Remove(m_id);
    });
}

long clsAddIn::WinampSendCommand(qint32 &eWinamp) {
    ErrorScope on(kModule, QStringLiteral("WinampSendCommand"));
    on.step([&] { WinampCommand(eWinamp); });
    return 0;
}

long clsAddIn::WinampGetStatus() {
    ErrorScope on(kModule, QStringLiteral("WinampGetStatus"));
    long status = 0;
    on.step([&] {
        RefreshWinamp();
        status = GetWinampStatus();
    });
    return status;
}

QVariant clsAddIn::SendCommand(const QString &stCommand) {
    ErrorScope on(kModule, QStringLiteral("SendCommand"));
    if (m_registered)
        on.step([&] {
            // Only a short printable command goes on the line; frame bytes never do.
            if (const QString refusal = commandRefusal(stCommand); !refusal.isEmpty())
                throw RuntimeError(ErrNr::InvalidProcedureCall, refusal);
            if (Form_Com *link = addInLink()) link->SendCommand(stCommand, 0);
        });
    return QVariant();
}

void clsAddIn::GetText(QString &stLine1, QString &stLine2) {
    ErrorScope on(kModule, QStringLiteral("GetText"));
    if (!m_registered) return;
    on.step([&] {
        const Form_Velmora *main = Form_Velmora::existing();
        if (!main) return;
        stLine1 = main->Line1->text();
        stLine2 = main->Line2->text();
    });
}

long clsAddIn::GetInformation(QString &ModelID, QString &Model, QString &Version,
                              QString &ReturnString) {
    ErrorScope on(kModule, QStringLiteral("GetInformation"));
    if (!m_registered) return 0;
    on.step([&] {
        // Loaded without being shown when it is not loaded yet.
        const Form_YInfo &info = Form_YInfo::instance();
        ModelID = info.text_modellid->text();
        Model = info.text_modell->text();
        Version = info.text_softwareversion->text();
        ReturnString = info.text_YString->text();
    });
    return 0;
}

void clsAddIn::Show() {
    if (!m_registered) return;
    ignoringFailures([] { bringToFront(activeWindow()); });
}

QString clsAddIn::Version() const {
    return stAppVersion;
}

bool clsAddIn::Visible() {
    ErrorScope on(kModule, QStringLiteral("Visible"));
    bool visible = false;
    if (m_registered)
        on.step([&] {
            const QWidget *w = activeWindow();
            visible = w && w->isVisible();
        });
    return visible;
}

void clsAddIn::Hide() {
    if (!m_registered) return;
    ignoringFailures([] {
        QWidget *w = activeWindow();
        if (!w) return;
        w->setWindowState(w->windowState() | Qt::WindowMinimized);
        w->hide();
    });
}

bool clsAddIn::Connected() {
    ErrorScope on(kModule, QStringLiteral("Connected"));
    bool open = false;
    if (m_registered) on.step([&] { open = addInLinkOpen(); });
    return open;
}

long clsAddIn::Disconnect() {
    if (!m_registered) return 0;
    ignoringFailures([] {
        if (addInLinkOpen()) Form_Velmora::instance().ConnectToYamaha(0);
    });
    return 0;
}

long clsAddIn::ReadSettings(QVariant *stSettings) {
    if (!m_registered) return 0;
    ignoringFailures([&] {
        QString settings;
        QString original;
        if (Form_Com *link = addInLink()) link->ReadSettings(settings, original);
        if (stSettings) *stSettings = original;
    });
    return 0;
}

long clsAddIn::Connect(bool *bPowerOn, long *ComPort) {
    Q_UNUSED(ComPort); // the configured port applies
    if (!m_registered) return 0;
    ignoringFailures([&] {
        if (!addInLinkOpen())
            Form_Velmora::instance().ConnectToYamaha(bPowerOn && *bPowerOn ? 1 : 0);
        else
            addInLink()->PowerOn();
    });
    return 0;
}

void clsAddIn::Quit() {
    ignoringFailures([] {
        // While an end already waits for the add-ins' answers, that end decides.
        if (Form_Velmora *main = Form_Velmora::existing(); main && !main->endBeingDecided())
            main->close();
    });
}

void clsAddIn::About() {
    if (!m_registered) return;
    ignoringFailures([] {
        QPointer<Form_Intro> about = &Form_Intro::instance();
        about->setWindowModality(Qt::ApplicationModal);
        about->show();
        about->raise();
        // Modal: the call returns when the window has gone.
        QEventLoop loop;
        QObject::connect(about, &QObject::destroyed, &loop, &QEventLoop::quit);
        if (about && about->isVisible()) loop.exec();
    });
}

void clsAddIn::AddInRegister() {
    ErrorScope on(kModule, QStringLiteral("Register"));
    if (!gAddIns || m_registered) return;
    on.step([&] { gAddIns->Add(this); });
    // An add-in that registers before the start procedure shows the main window gets it loaded
    // but not shown; it shows it with Show.
    on.step([] { Form_Velmora::instance().Load(); });
    m_registered = true;
}

void clsAddIn::AddInUnRegister() {
    ErrorScope on(kModule, QStringLiteral("UnRegister"));
    if (!gAddIns || !m_registered) return;
    on.step([&] { gAddIns->Remove(m_id); });
    m_registered = false;
}

long clsAddIn::WindowState() {
    ErrorScope on(kModule, QStringLiteral("WindowState"));
    long state = 0;
    if (m_registered)
        on.step([&] {
            const QWidget *w = activeWindow();
            if (!w) return;
            if (w->windowState() & Qt::WindowMinimized)
                state = 1;
            else if (w->windowState() & Qt::WindowMaximized)
                state = 2;
        });
    return state;
}

void clsAddIn::AddInTerminate(const QString &AddInID) {
    ErrorScope on(kModule, QStringLiteral("AddInTerminate"));
    if (!gAddIns) return;
    // Ends one entry: Terminate, then, for an add-in the program loaded itself, its removal.
    // Add-ins of other programs stay registered and leave by themselves.
    const auto end = [&](clsAddIn *target) {
        QPointer<clsAddIn> kept = target;
        const QString id = target->AddInID();
        const bool hostLoaded = target->fHostLoaded;
        on.step([&] { target->fSendTerminate(); });
        if (hostLoaded && gAddIns) on.step([&] { gAddIns->Remove(id); });
    };
    if (!AddInID.isEmpty()) {
        if (AddInID == m_id) return;
        clsAddIn *target = nullptr;
        on.step([&] { target = gAddIns->GetItemByID(AddInID); });
        if (target) end(target);
        return;
    }
    for (long i = gAddIns->Count(); i >= 1 && gAddIns; --i) {
        if (i > gAddIns->Count()) continue; // a Terminate handler left meanwhile
        clsAddIn *target = nullptr;
        on.step([&] { target = gAddIns->Item(i); });
        if (target && target->AddInID() != m_id) end(target);
    }
}

void clsAddIn::AddInMessage(long Msg, const QString &ReceiverID, long Param1,
                            const QString &Param2) {
    ErrorScope on(kModule, QStringLiteral("AddInMessage"));
    if (gAddIns) on.step([&] { gAddIns->SendAddInMessage(Msg, m_id, ReceiverID, Param1, Param2); });
}

void clsAddIn::fSendReceivedCommand(const QString &stData) {
    Q_EMIT ReceivedCommand(stData);
}

void clsAddIn::fSendReceivedSettings(const QString &stData) {
    Q_EMIT ReceivedSettings(stData);
}

void clsAddIn::fSendVolumeMain(float sVol) {
    Q_EMIT VolumeMain(sVol);
}

void clsAddIn::fSendVolumeZone2(float sVol) {
    Q_EMIT VolumeZone2(sVol);
}

int clsAddIn::fSendUnload() {
    int cancel = 0;
    Q_EMIT Unload(&cancel);
    return cancel;
}

void clsAddIn::fSendTerminate() {
    Q_EMIT Terminate();
}

void clsAddIn::fSendAddInMessage(long Msg, const QString &SenderID, const QString &ReceiverID,
                                 long Param1, const QString &Param2) {
    ErrorScope on(kModule, QStringLiteral("fSendAddInMessage"));
    on.step([&] { Q_EMIT AddInMessage(Msg, SenderID, ReceiverID, Param1, Param2); });
}
