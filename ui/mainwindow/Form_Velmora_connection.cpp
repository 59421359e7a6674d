// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting to the receiver, polling its reports, resetting its interface and the receiver
// information with the model report.
#include "ui/mainwindow/Form_Velmora.h"

#include "addins/clsAddIns.h"
#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/ErrorReport.h"
#include "base/Globals.h"
#include "link/ComPort.h"
#include "link/Form_Com.h"
#include "link/Framing.h"
#include "link/KnownModels.h"
#include "link/TcpTransport.h"
#include "ui/Form_YInfo.h"
#include "ui/WindowProcs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

// The mail that offers the answer of an unknown model to the developer.
QString modelReportLink(const Form_YInfo &info) {
    return QStringLiteral("mailto:") + errorReportAddress() +
           QStringLiteral("?Subject=My%20Yamaha&Body=Model%3A%20%28Complete%20here%20your%20Model%"
                          "20desctiption%20Example:%3ADSP-AX1%29%0D%0A%0D%0AModell-Id%3A ") +
           info.text_modellid->text() + QStringLiteral("%0D%0ASoftwareversion%3A ") +
           info.text_softwareversion->text() + QStringLiteral("%0D%0AAnswerstring%3A ") +
           info.text_YString->text() +
           QStringLiteral("%0D%0A%0D%0ATo make better in this software:%3A %0D%0A");
}
} // namespace

void Form_Velmora::connectLink() {
    Form_Com &link = Form_Com::instance();
    // Direct: each is done before the link goes on, as its steps expect.
    connect(
        &link, &Form_Com::reconnecting, this,
        [this] {
            Line1->setText(QString());
            Line2->setText(QStringLiteral("Reconnect"));
        },
        Qt::DirectConnection);
    connect(
        &link, &Form_Com::reconnected, this, [this] { Line2->setText(QStringLiteral("Done")); },
        Qt::DirectConnection);
    connect(&link, &Form_Com::configurationRead, this, &Form_Velmora::SetYamahaSettings,
            Qt::DirectConnection);
    for (QAction *item : {Menu_Setup_Log, Menu_Setup_Debug})
        connect(item, &QAction::toggled, this, [this] { updateTrafficLogOptions(); });
    updateTrafficLogOptions();
}

void Form_Velmora::ConnectToYamaha(int Sw1) {
    // A bridge being reached is connected or given up by the call that reaches it.
    if (Form_Com::instance().Com->PortOpening()) return;
    m_bridgeRetrying = false;
    connectReceiver(Sw1, false);
}

void Form_Velmora::connectReceiver(int Sw1, bool opened) {
    // Connecting or disconnecting ends the wait for a lost device.
    m_deviceWatch.stop();
    Form_Com &com = Form_Com::instance();
    long line = 0;
    // Every failure on the way ends the connection: a message and the "Comport Error" state.
    const auto at = [&line](SourceLine where = SourceLine::current()) {
        line = static_cast<long>(where.line());
    };
    try {
        if (com.Com->PortOpen() && !opened) {
            at();
            SetMenu(0);
            at();
            com.Com->setPortOpen(false);
            Menu_Connect->setText(QStringLiteral("Connect"));
            Line1->setText(QStringLiteral("Connection"));
            Line2->setText(QStringLiteral("closed"));
            Timer_Check->stop();
            updateTrafficLogOptions();
            m_reportTail.clear();
            bReceiverUpdate = 0;
            com.Com->Tag = QStringLiteral("0");
            return;
        }

        com.Com->Tag = QStringLiteral("0");
        // A bridge may take up to 3 s to answer; the lines say what is going on meanwhile.
        Line1->setText(QStringLiteral("Connecting"));
        Line2->setText(QString());
        at();
        if (!opened) com.Com->setPortOpen(true);
        // Told after the exchange that noticed it has ended.
        connect(com.Com, &ComPort::deviceLost, this, &Form_Velmora::connectionLost,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));

        stSettings.clear();
        QString scratch;
        for (int n = 1; n <= Frame::ConfigurationRequests && stSettings.isEmpty(); ++n) {
            Line1->setText(QStringLiteral("Connecting"));
            Line2->setText(QString(n, QLatin1Char('.')));
            at();
            com.ClearComPuffer();
            at();
            com.ReadSettings(stSettings, scratch);
        }
        if (stSettings.isEmpty()) {
            Line1->setText(QStringLiteral("Connect"));
            Line2->setText(QStringLiteral("Error"));
            at();
            com.Com->setPortOpen(false);
            SetMenu(0);
            bReceiverUpdate = 0;
            com.Com->Tag = QStringLiteral("0");
            return;
        }

        at();
        SetMenu(1);
        Line1->setText(QStringLiteral("Connected"));
        Line2->setText(configurationModelId(stSettings) + QStringLiteral(" Softv.") +
                       configurationSoftwareVersion(stSettings));

        at();
        Form_YInfo &info = Form_YInfo::instance();
        info.text_modellid->setText(configurationModelId(stSettings));
        info.text_softwareversion->setText(configurationSoftwareVersion(stSettings));
        info.text_YString->setText(configurationForAddIns(stSettings));
        stModelID = configurationModelId(stSettings);
        info.text_modell->setText(modelName(stModelID));

        at();
        SetInputButtonVisible(stModelID);

        // The second data character is the power state: "0" while the receiver is in standby.
        if (stSettings.mid(10, 1) == QLatin1String("0") && Sw1 == 1) {
            at();
            com.PowerOn();
        }
        at();
        SetSettings();
        Menu_Connect->setText(QStringLiteral("Disconnect"));
        at();
        com.ReportCommandEnable();
        for (int i = Menu_Setup_ReportTime.lowest(); i <= Menu_Setup_ReportTime.highest(); ++i) {
            at();
            if (Menu_Setup_ReportTime(i)->isChecked())
                com.runCommand(reportTimeCommand(i), nullptr);
        }
        m_reportTail.clear();
        Timer_Check->start();
        updateTrafficLogOptions();
    } catch (...) {
        const FailureDescription failure = describeCurrentFailure();
        ignoringFailures([&] {
            Dialogs::MsgBox(QStringLiteral("Error: ") + QLatin1Char(' ') +
                                QString::number(failure.number) + QLatin1Char('\r') +
                                failure.source + QStringLiteral(" - ") + failure.description +
                                QStringLiteral(" (") + QString::number(line) + QLatin1Char(')'),
                            MsgBoxStyle::Exclamation);
        });
        ignoringFailures([&] { Menu_Connect->setText(QStringLiteral("Connect")); });
        ignoringFailures([&] {
            if (com.Com->PortOpen()) com.Com->setPortOpen(false);
        });
        ignoringFailures([&] { SetMenu(0); });
        ignoringFailures([&] {
            Line1->setText(QStringLiteral("Comport Error"));
            Line2->setText(QString());
        });
        bReceiverUpdate = 0;
    }
}

void Form_Velmora::connectionLost(const QString &reason) {
    Form_Com &com = Form_Com::instance();
    if (com.Com->PortOpen()) return; // connected again meanwhile
    // A try at a lost bridge that it ends at once is part of the wait: no second box.
    if (m_bridgeRetrying) return;
    Timer_Check->stop();
    updateTrafficLogOptions();
    m_reportTail.clear();
    bReceiverUpdate = 0;
    ignoringFailures([&] {
        SetMenu(0);
        Menu_Connect->setText(QStringLiteral("Connect"));
        Line1->setText(QStringLiteral("Comport Error"));
        Line2->setText(QString());
    });
    // The device is looked for once a second; when it is back, the program connects again. A
    // bridge cannot be looked for without connecting: it is tried again after growing pauses.
    m_lostDevice = com.Com->deviceName();
    m_bridgeTries = 0;
    m_bridgeRetrying = isBridgeUrl(m_lostDevice);
    if (m_bridgeRetrying)
        waitForBridge();
    else
        m_lostDeviceGone = !portDevicePresent(m_lostDevice);
    m_deviceWatch.start();
    ShowErrBox(QStringLiteral("Timer_Check_Timer"), kModule, ErrNr::ComPortNotAvailable,
               RuntimeError::standardText(ErrNr::ComPortNotAvailable) + QStringLiteral(" (") +
                   reason + QLatin1Char(')'),
               0);
}

void Form_Velmora::waitForBridge() {
    m_bridgeRetryIn = bridgeRetryDelay(m_bridgeTries);
    ignoringFailures([&] {
        Line1->setText(QStringLiteral("Comport Error"));
        Line2->setText(QStringLiteral("retry in %1 s").arg(m_bridgeRetryIn));
    });
}

void Form_Velmora::retryBridge() {
    Form_Com &com = Form_Com::instance();
    // The watch rests while the bridge is reached, events running.
    m_deviceWatch.stop();
    bool opened = false;
    ignoringFailures([&] {
        Line1->setText(QStringLiteral("Connecting"));
        Line2->setText(QString());
        com.Com->setPortOpen(true);
        opened = true;
    });
    if (opened) connectReceiver(0, true);
    if (com.Com->PortOpen()) {
        m_bridgeRetrying = false;
        Line1->setText(QStringLiteral("Reconnected"));
        return;
    }
    // Not reached, or lost again before the receiver answered through it: the next try waits
    // longer.
    ++m_bridgeTries;
    waitForBridge();
    m_deviceWatch.start();
}

void Form_Velmora::watchLostDevice() {
    if (Form_Com::instance().Com->PortOpen()) {
        m_deviceWatch.stop();
        return;
    }
    if (isBridgeUrl(m_lostDevice)) {
        if (--m_bridgeRetryIn > 0)
            Line2->setText(QStringLiteral("retry in %1 s").arg(m_bridgeRetryIn));
        else
            retryBridge();
        return;
    }
    // Only a device that went and came back is connected again: one that stayed would only
    // fail the same way.
    if (!portDevicePresent(m_lostDevice)) {
        m_lostDeviceGone = true;
        return;
    }
    if (!m_lostDeviceGone) return;
    ConnectToYamaha(0);
    if (Form_Com::instance().Com->PortOpen()) Line1->setText(QStringLiteral("Reconnected"));
}

void Form_Velmora::Menu_Connect_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Connect_Click"));
    on.step([&] { ConnectToYamaha(0); });
}

void Form_Velmora::Timer_Check_Timer() {
    // A tick that arrives while the previous one still waits inside is skipped.
    if (m_inCheckTick) return;
    m_inCheckTick = true;
    ErrorScope on(kModule, QStringLiteral("Timer_Check_Timer"));
    QString received;
    on.step([&] { Form_Com::instance().ReadPort(received, true); });
    // A report the read cut in two is completed by the next tick's read.
    const QString text = m_reportTail.join(received, m_runTime.elapsed());
    if (!text.isEmpty()) passOnMessages(text, on);
    m_inCheckTick = false;
}

void Form_Velmora::passOnMessages(const QString &received, ErrorScope &on) {
    QStringList messages;
    on.step([&] { messages = splitMessages(received); });
    for (const QString &message : messages) {
        on.step([&] {
            if (gAddIns) gAddIns->SemdIncommingCommand(message);
        });
        on.step([&] { DatenAuswerten(message); });
    }
}

void Form_Velmora::Menu_Reset_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Reset_Click"));
    MsgBoxResult answer = MsgBoxResult::No;
    on.step([] {
        Dialogs::MsgBox(QStringLiteral("Complete Reset only with 'Diagnostic Menu' !"),
                        MsgBoxStyle::Information);
    });
    on.step([&] {
        answer = Dialogs::MsgBox(QStringLiteral("Reset all Yamaha RS-232 settings ?"),
                                 MsgBoxStyle::YesNo | MsgBoxStyle::Question |
                                     MsgBoxStyle::DefaultButton2,
                                 QStringLiteral("Yamaha Reset"));
    });
    if (answer != MsgBoxResult::Yes) return;
    on.step([] {
        QString answerText;
        Form_Com::instance().ResetYamaha(answerText);
    });
    on.step([&] { SetSettings(); });
}

void Form_Velmora::Menu_Extras_YInfo_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Extras_YInfo_Click"));
    on.step([] {
        Form_YInfo &info = Form_YInfo::instance();
        info.show();
        info.raise();
    });
    on.step([] {
        const Form_YInfo &info = Form_YInfo::instance();
        if (info.text_modell->text() != QLatin1String("?")) return;
        const QString prompt = QStringLiteral(
            "New Yamaha Model:\r\n"
            "To make this Software better :\n"
            "Send a email to the Software developer with Yamaha connection string !\n"
            "Complete the Email with the Yamaha model description !\n"
            "\n"
            "Send E-mail ?");
        if (Dialogs::MsgBox(prompt, MsgBoxStyle::YesNo, QStringLiteral("Unknown Yamaha Model")) ==
            MsgBoxResult::Yes)
            OpenDocument(modelReportLink(info));
    });
}

bool Form_Velmora::connectedOrSaySo(ErrorScope &on) {
    bool open = false;
    on.step([&] { open = Form_Com::instance().Com->PortOpen(); });
    if (!open)
        on.step([] { Dialogs::MsgBox(QStringLiteral("Connect first !"), MsgBoxStyle::OKOnly); });
    return open;
}
