// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel on the flap: option groups that mirror the receiver's state and send its
// commands when clicked, the step buttons, the standby key and the zone mode switch.
#include "ui/mainwindow/Form_Velmora.h"

#include "base/ErrorHandling.h"
#include "base/RuntimeError.h"
#include "link/CommandCatalogue.h"
#include "link/Form_Com.h"
#include "state/ConfigurationBlock.h"
#include "state/PanelTables.h"
#include "ui/ImageControl.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <memory>

namespace {
const QString kModule = QStringLiteral("Form_Velmora");

constexpr int kRadioHeight = 19;
constexpr int kDspLine = 17;

template <class Array>
QRadioButton *addOption(Array &array, int index, const QString &caption, QWidget *frame,
                        const QRect &geometry) {
    auto *button = new QRadioButton(caption, frame);
    button->setObjectName(QStringLiteral("Opt_%1").arg(index));
    button->setGeometry(geometry);
    // Tab reaches every button; Space or an arrow key selects, as a click does.
    button->setFocusPolicy(Qt::TabFocus);
    array.set(index, button);
    return button;
}

QGroupBox *frame(const QString &name, const QString &title, QWidget *parent,
                 const QRect &geometry) {
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

void sendCommand(Cmd id) {
    Form_Com::instance().runCommand(id, nullptr);
}
} // namespace

void Form_Velmora::buildPanel() {
    QWidget *flap = picKlappe;

    Frame_Input =
        frame(QStringLiteral("Frame_Input"), QStringLiteral("Input"), flap, {12, 0, 124, 300});
    for (const InputButton &in : kInputButtons)
        addOption(Opt_Input, in.index, QString::fromLatin1(in.caption), Frame_Input,
                  {12, 24 + (in.index - 1) * kRadioHeight, 106, kRadioHeight});

    // The sound programs stand in three columns under their group captions.
    Frame_DSP = frame(QStringLiteral("Frame_DSP"), QStringLiteral("DSP"), flap, {144, 0, 564, 300});
    {
        int column = 0, line = 0;
        const int linesPerColumn = 16;
        const auto place = [&](int lines) {
            if (line + lines > linesPerColumn) {
                ++column;
                line = 0;
            }
            const QPoint at(12 + column * 184, 22 + line * kDspLine);
            line += lines;
            return at;
        };
        for (const DspGroup &group : kDspGroups) {
            const int buttons = group.last - group.first + 1;
            const QPoint at = place(1 + buttons);
            auto *label = new QLabel(QString::fromLatin1(group.caption), Frame_DSP);
            label->setObjectName(QStringLiteral("dspGroup"));
            label->setGeometry(at.x(), at.y(), 176, kDspLine);
            if (group.first == 0)
                Label_Effect = label;
            else
                Label_Prog.set(group.label, label);
            for (int i = group.first; i <= group.last; ++i)
                addOption(Opt_Dsp, i, QString::fromLatin1(dspProgram(i)->caption), Frame_DSP,
                          {at.x() + 8, at.y() + (i - group.first + 1) * kDspLine, 168, kDspLine});
        }
    }

    const auto offOn = [&](auto &array, QGroupBox *box) {
        addOption(array, 0, QString::fromLatin1(kOnOffCaptions[0]), box,
                  {10, 26, 46, kRadioHeight});
        addOption(array, 1, QString::fromLatin1(kOnOffCaptions[1]), box,
                  {58, 26, 40, kRadioHeight});
    };
    constexpr int row = 308, rowHeight = 62;
    Frame_SpeakersA =
        frame(QStringLiteral("Frame_SpeakersA"), QString::fromLatin1(kSpeakersA.frameCaption), flap,
              {12, row, 104, rowHeight});
    offOn(Opt_SpeakersA, Frame_SpeakersA);
    Frame_SpeakersB =
        frame(QStringLiteral("Frame_SpeakersB"), QString::fromLatin1(kSpeakersB.frameCaption), flap,
              {122, row, 104, rowHeight});
    offOn(Opt_SpeakersB, Frame_SpeakersB);
    Frame_61ES = frame(QStringLiteral("Frame_61ES"), QString::fromLatin1(kEs61.frameCaption), flap,
                       {232, row, 104, rowHeight});
    offOn(Opt_61ES, Frame_61ES);
    Frame_6ChInput =
        frame(QStringLiteral("Frame_6ChInput"), QString::fromLatin1(kSixChannelInput.frameCaption),
              flap, {342, row, 104, rowHeight});
    offOn(Opt_6ChInput, Frame_6ChInput);
    Frame_InputMode = frame(QStringLiteral("Frame_InputMode"), QStringLiteral("Input Mode"), flap,
                            {452, row, 256, rowHeight});
    for (const InputModeButton &mode : kInputModeButtons) {
        const int i = mode.index - 1;
        addOption(Opt_InputMode, mode.index, QString::fromLatin1(mode.caption), Frame_InputMode,
                  {10 + (i % 3) * 82, 22 + (i / 3) * kRadioHeight, 80, kRadioHeight});
    }
    // In zone-2 mode this empty frame stands where the main-zone-only frames are.
    Frame_Leer1 = frame(QStringLiteral("Frame_Leer1"), QString(), flap, {232, row, 476, rowHeight});
    Frame_Leer1->hide();
}

void Form_Velmora::connectPanel() {
    // A button's click handler runs whenever the button becomes selected, whoever selects it: the
    // mouse, a screen reader's toggle action, a step button or a report (whose handlers send
    // nothing while bReceiverUpdate is set). A click on the button already selected changes
    // nothing, yet sends its command again, as any click does.
    const auto wire = [this](auto &array, void (Form_Velmora::*handler)(int)) {
        for (int i = array.lowest(); i <= array.highest(); ++i) {
            if (!array.contains(i)) continue;
            QRadioButton *button = array(i);
            connect(button, &QRadioButton::toggled, this, [this, handler, i](bool selected) {
                if (selected) (this->*handler)(i);
            });
            auto selectedWhenPressed = std::make_shared<bool>(false);
            connect(button, &QRadioButton::pressed, this,
                    [button, selectedWhenPressed] { *selectedWhenPressed = button->isChecked(); });
            connect(button, &QRadioButton::clicked, this, [this, handler, i, selectedWhenPressed] {
                if (*selectedWhenPressed) (this->*handler)(i);
            });
        }
    };
    wire(Opt_Input, &Form_Velmora::Opt_Input_Click);
    wire(Opt_Dsp, &Form_Velmora::Opt_Dsp_Click);
    wire(Opt_SpeakersA, &Form_Velmora::Opt_SpeakersA_Click);
    wire(Opt_SpeakersB, &Form_Velmora::Opt_SpeakersB_Click);
    wire(Opt_61ES, &Form_Velmora::Opt_61ES_Click);
    wire(Opt_6ChInput, &Form_Velmora::Opt_6ChInput_Click);
    wire(Opt_InputMode, &Form_Velmora::Opt_InputMode_Click);

    connect(Image_InputUP, &ImageControl::Click, this, &Form_Velmora::Image_InputUP_Click);
    connect(Image_InputDown, &ImageControl::Click, this, &Form_Velmora::Image_InputDown_Click);
    connect(Image_InputMode, &ImageControl::Click, this, &Form_Velmora::Image_InputMode_Click);
    connect(Label_Standby, &ImageControl::Click, this, &Form_Velmora::Label_Standby_Click);
    connect(Image_Klappe, &ImageControl::Click, this, &Form_Velmora::Image_Klappe_Click);

    connect(Image_VolUP, &ImageControl::MouseDown, this, &Form_Velmora::Image_VolUP_MouseDown);
    connect(Image_VolDOWN, &ImageControl::MouseDown, this, &Form_Velmora::Image_VolDOWN_MouseDown);
    connect(Image_VolUP, &ImageControl::MouseUp, this, &Form_Velmora::Image_Vol_MouseUp);
    connect(Image_VolDOWN, &ImageControl::MouseUp, this, &Form_Velmora::Image_Vol_MouseUp);

    connect(imgWinampNext, &ImageControl::Click, this, &Form_Velmora::imgWinampNext_Click);
    connect(imgWinampNext, &ImageControl::DblClick, this, &Form_Velmora::imgWinampNext_DblClick);
    connect(imgWinampPrevious, &ImageControl::Click, this, &Form_Velmora::imgWinampPrevious_Click);
    connect(imgWinampPrevious, &ImageControl::DblClick, this,
            &Form_Velmora::imgWinampPrevious_DblClick);
}

void Form_Velmora::selectOption(QRadioButton *button, void (Form_Velmora::*handler)(int),
                                int index) {
    // Selecting runs the handler (connectPanel); a button selected already runs it here.
    if (button->isChecked())
        (this->*handler)(index);
    else
        button->setChecked(true);
}

void Form_Velmora::Opt_Input_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_Input_Click"));
    if (bReceiverUpdate) return;
    const InputButton *input = inputButton(Index);
    if (!Menu_Mode_Zone2->isChecked()) {
        // The receiver's report moves the status lines.
        if (input) on.step([&] { sendCommand(input->mainZone); });
        return;
    }
    on.step([&] {
        Line2->setText(QString());
        Line1->setText(QString());
    });
    if (input) on.step([&] { sendCommand(input->zone2); });
    on.step([&] {
        qint16 selected = 0;
        GetInputButton(selected);
        Line1->setText(QStringLiteral("ZONE2 ") + Opt_Input(selected)->text());
    });
}

void Form_Velmora::Opt_Dsp_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_Dsp_Click"));
    if (bReceiverUpdate) return;
    on.step([&] { Form_Com::instance().SendCommand(dspOperationCode(Index)); });
}

void Form_Velmora::Opt_SpeakersA_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_SpeakersA_Click"));
    if (bReceiverUpdate) return;
    if (const auto command = onOffCommand(kSpeakersA, Index))
        on.step([&] { sendCommand(*command); });
}

void Form_Velmora::Opt_SpeakersB_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_SpeakersB_Click"));
    if (bReceiverUpdate) return;
    if (const auto command = onOffCommand(kSpeakersB, Index))
        on.step([&] { sendCommand(*command); });
}

void Form_Velmora::Opt_61ES_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_61ES_Click"));
    if (bReceiverUpdate) return;
    if (const auto command = onOffCommand(kEs61, Index)) on.step([&] { sendCommand(*command); });
}

void Form_Velmora::Opt_6ChInput_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_6ChInput_Click"));
    if (bReceiverUpdate) return;
    if (const auto command = onOffCommand(kSixChannelInput, Index))
        on.step([&] { sendCommand(*command); });
}

void Form_Velmora::Opt_InputMode_Click(int Index) {
    ErrorScope on(kModule, QStringLiteral("Opt_InputMode_Click"));
    if (bReceiverUpdate) return;
    if (const InputModeButton *mode = inputModeButton(Index))
        on.step([&] { sendCommand(mode->command); });
}

void Form_Velmora::SetDSPButton(qint16 Index, qint16 NoSelect) {
    ErrorScope on(kModule, QStringLiteral("SetDSPButton"));
    if (NoSelect == 0)
        on.step([&] { selectOption(Opt_Dsp(Index), &Form_Velmora::Opt_Dsp_Click, Index); });
    on.step([&] { Line2->setText(Index == 0 ? QString() : Opt_Dsp(Index)->text()); });
    on.step([&] {
        const DspProgram *program = dspProgram(Index);
        if (program && program->lineText) Line1->setText(QString::fromLatin1(program->lineText));
    });
}

void Form_Velmora::SetInputButton(qint16 Index, qint16 NoSelect, qint16 Zone2) {
    ErrorScope on(kModule, QStringLiteral("SetInputButton"));
    if (Index < Opt_Input.lowest() || Index > Opt_Input.highest()) return;
    if (NoSelect == 0)
        on.step([&] { selectOption(Opt_Input(Index), &Form_Velmora::Opt_Input_Click, Index); });
    on.step([&] {
        Line1->setText((Zone2 != 0 ? QStringLiteral("ZONE2 ") : QStringLiteral("INPUT ")) +
                       Opt_Input(Index)->text());
    });
    on.step([&] {
        Line2->setText(QString());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void Form_Velmora::GetInputButton(qint16 &Index) {
    ErrorScope on(kModule, QStringLiteral("GetInputButton"));
    on.step([&] {
        for (int i = Opt_Input.lowest(); i <= Opt_Input.highest(); ++i)
            if (Opt_Input(i)->isChecked()) {
                Index = static_cast<qint16>(i);
                return;
            }
    });
}

void Form_Velmora::SetInputButtonVisible(const QString &ModelID) {
    ErrorScope on(kModule, QStringLiteral("SetInputButtonVisible"));
    // The DSP-AX1 has neither a CD-R input nor the eight-channel stereo program.
    if (ModelID != QLatin1String("R0073")) return;
    on.step([&] { Opt_Input(14)->hide(); });
    on.step([&] { Opt_Dsp(31)->hide(); });
    on.step([&] { Menu_MiniPopUp_Input(14)->setVisible(false); });
}

namespace {
// The first selected button among lo..hi, 0 when none is.
template <class Array>
int selectedAmong(const Array &array, int lo, int hi) {
    for (int i = lo; i <= hi; ++i)
        if (array(i)->isChecked()) return i;
    return 0;
}
} // namespace

void Form_Velmora::Image_InputUP_Click() {
    ErrorScope on(kModule, QStringLiteral("Image_InputUP_Click"));
    on.step([&] {
        // CD-R is never reached by stepping.
        const int current = selectedAmong(Opt_Input, 1, 13);
        const int next = (current == 0 || current == 13) ? 1 : current + 1;
        selectOption(Opt_Input(next), &Form_Velmora::Opt_Input_Click, next);
    });
}

void Form_Velmora::Image_InputDown_Click() {
    ErrorScope on(kModule, QStringLiteral("Image_InputDown_Click"));
    on.step([&] {
        const int current = selectedAmong(Opt_Input, 1, 13);
        const int next = current == 0 ? 1 : (current == 1 ? 13 : current - 1);
        selectOption(Opt_Input(next), &Form_Velmora::Opt_Input_Click, next);
    });
}

void Form_Velmora::Image_InputMode_Click() {
    ErrorScope on(kModule, QStringLiteral("Image_InputMode_Click"));
    on.step([&] {
        const int current = selectedAmong(Opt_InputMode, 1, 5);
        const int next = (current == 0 || current == 5) ? 1 : current + 1;
        selectOption(Opt_InputMode(next), &Form_Velmora::Opt_InputMode_Click, next);
    });
}

void Form_Velmora::Label_Standby_Click() {
    ErrorScope on(kModule, QStringLiteral("Label_Standby_Click"));
    Form_Com &com = Form_Com::instance();
    for (int attempt = 1; attempt <= 5; ++attempt) {
        on.step([&] {
            QString original;
            com.ReadSettings(stSettings, original);
        });
        if (!stSettings.isEmpty()) break;
        on.step([&] { com.Pause(0.5f); });
    }
    if (stSettings.isEmpty()) return;
    on.step([&] {
        switch (standbyAction(stSettings)) {
        case PowerAction::PowerOff:
            com.PowerOff();
            break;
        case PowerAction::PowerOn:
            com.PowerOn();
            SetSettings();
            break;
        case PowerAction::None:
            break;
        }
    });
}

void Form_Velmora::Menu_Mode_Main_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Mode_Main_Click"));
    setZoneMode(false, true, on);
}

void Form_Velmora::Menu_Mode_Zone2_Click() {
    ErrorScope on(kModule, QStringLiteral("Menu_Mode_Zone2_Click"));
    setZoneMode(true, true, on);
}

void Form_Velmora::setZoneMode(bool zone2, bool panelFollows, ErrorScope &on) {
    on.step([&] {
        Menu_Mode_Zone2->setChecked(zone2);
        Menu_Mode_Main->setChecked(!zone2);
    });
    if (panelFollows) {
        on.step([&] {
            Frame_Input->setTitle(zone2 ? QStringLiteral("Rec Out") : QStringLiteral("Input"));
        });
        on.step([&] {
            if (Frame_Input->isVisibleTo(this)) showModeFrames(zone2);
        });
        on.step([&] {
            Line1->setText(zone2 ? QStringLiteral("Mode Zone 2")
                                 : QStringLiteral("Mode Main/Master"));
            Line2->setText(QString());
        });
    }
    on.step([&] { SetSettings(); });
}
