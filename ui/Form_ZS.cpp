// SPDX-License-Identifier: GPL-3.0-or-later
// The "Time Control" dialog.
#include "ui/Form_ZS.h"

#include "base/Dialogs.h"
#include "base/ErrorHandling.h"
#include "base/Globals.h"
#include "timecontrol/Clock.h"
#include "timecontrol/ScheduleRules.h"
#include "timecontrol/ScriptFile.h"
#include "timecontrol/clsTimeControl.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const QString kModule = QStringLiteral("Form_ZS");
const QString kScriptFilter = QStringLiteral("Script (*.txt)|*.txt");

QLineEdit *field(const QString &text, int maxLength, const QString &name, QWidget *parent) {
    auto *edit = new QLineEdit(text, parent);
    edit->setMaxLength(maxLength);
    edit->setAlignment(Qt::AlignCenter);
    edit->setAccessibleName(name);
    const QFontMetrics fm(edit->font());
    edit->setFixedWidth(fm.horizontalAdvance(QLatin1Char('0')) * maxLength + 18);
    return edit;
}

QLabel *separator(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

Form_ZS::Form_ZS() {
    setObjectName(QStringLiteral("Form_ZS"));
    setWindowTitle(QStringLiteral("Time Control"));
    setWindowFlag(Qt::Dialog);

    Frame_Uhrzeit = new QGroupBox(QStringLiteral("Time"), this);
    Text_Stunde = field(QStringLiteral("09"), 2, QStringLiteral("Hour"), Frame_Uhrzeit);
    Text_Minute = field(QStringLiteral("00"), 2, QStringLiteral("Minute"), Frame_Uhrzeit);
    auto *timeRow = new QHBoxLayout(Frame_Uhrzeit);
    timeRow->addWidget(Text_Stunde);
    timeRow->addWidget(separator(QStringLiteral(":"), Frame_Uhrzeit));
    timeRow->addWidget(Text_Minute);
    timeRow->addStretch();

    Frame_Datum = new QGroupBox(QStringLiteral("Date"), this);
    auto *onDate = new QRadioButton(Frame_Datum);
    onDate->setAccessibleName(QStringLiteral("On the date"));
    auto *everyDay = new QRadioButton(QStringLiteral("Every Day"), Frame_Datum);
    everyDay->setChecked(true);
    Option_Auswahl.set(0, onDate);
    Option_Auswahl.set(1, everyDay);
    Text_Tag = field(QString(), 2, QStringLiteral("Day"), Frame_Datum);
    Text_Monat = field(QString(), 2, QStringLiteral("Month"), Frame_Datum);
    Text_Jahr = field(QString(), 4, QStringLiteral("Year"), Frame_Datum);
    auto *dateRow = new QHBoxLayout(Frame_Datum);
    dateRow->addWidget(onDate);
    dateRow->addWidget(Text_Tag);
    dateRow->addWidget(separator(QStringLiteral("."), Frame_Datum));
    dateRow->addWidget(Text_Monat);
    dateRow->addWidget(separator(QStringLiteral("."), Frame_Datum));
    dateRow->addWidget(Text_Jahr);
    dateRow->addSpacing(16);
    dateRow->addWidget(everyDay);
    dateRow->addStretch();
    // Typing a date means the entry is for that date.
    for (QLineEdit *edit : {Text_Tag, Text_Monat, Text_Jahr})
        connect(edit, &QLineEdit::textEdited, onDate, [onDate] { onDate->setChecked(true); });

    // The list is editable: a typed action such as "WINAMP pause" is taken as it stands.
    Combo_Aktion = new QComboBox(this);
    Combo_Aktion->setEditable(true);
    Combo_Aktion->setInsertPolicy(QComboBox::NoInsert);
    Combo_Aktion->setMaxVisibleItems(20);
    Combo_Aktion->setAccessibleName(QStringLiteral("Action"));
    for (const char *action : kScheduleActions)
        Combo_Aktion->addItem(QString::fromLatin1(action));
    Combo_Aktion->setCurrentIndex(-1);
    Combo_Aktion->setEditText(QString());
    // Matching actions are offered in a list under the box; the typed text itself is never
    // completed in place, so Add takes exactly what is shown ("Power" is not "Power On").
    Combo_Aktion->completer()->setCompletionMode(QCompleter::PopupCompletion);
    Combo_Aktion->completer()->setFilterMode(Qt::MatchContains);
    auto *actionLabel = new QLabel(QStringLiteral("Action:"), this);
    actionLabel->setBuddy(Combo_Aktion);

    List_ZS = new QListWidget(this);
    List_ZS->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List_ZS->setAccessibleName(QStringLiteral("Schedule"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    List_ZS->setFont(fixed);
    List_ZS->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0')) * 46, 180);

    cmdAdd = new QPushButton(QStringLiteral("&Add"), this);
    cmdRemove = new QPushButton(QStringLiteral("&Remove"), this);
    cmdClear = new QPushButton(QStringLiteral("&Clear"), this);
    cmdScriptLoad = new QPushButton(QStringLiteral("Script &load"), this);
    cmdScriptSave = new QPushButton(QStringLiteral("Script &save"), this);
    cmdOK = new QPushButton(QStringLiteral("&Ok"), this);

    auto *top = new QHBoxLayout;
    top->addWidget(Frame_Uhrzeit);
    top->addWidget(Frame_Datum, 1);
    auto *actionRow = new QHBoxLayout;
    actionRow->addWidget(actionLabel);
    actionRow->addWidget(Combo_Aktion, 1);
    actionRow->addWidget(cmdAdd);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdRemove, cmdClear})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    for (QPushButton *b : {cmdScriptLoad, cmdScriptSave})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(List_ZS, 1);
    listRow->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(actionRow);
    layout->addLayout(listRow, 1);
    // The add button stands as wide as the buttons beside the list.
    cmdAdd->setFixedWidth(cmdScriptLoad->sizeHint().width());
    for (QPushButton *b : {cmdRemove, cmdClear, cmdScriptLoad, cmdScriptSave, cmdOK})
        b->setFixedWidth(cmdScriptLoad->sizeHint().width());

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdScriptLoad, &QPushButton::clicked, this, [this] { cmdScriptLoad_Click(); });
    connect(cmdScriptSave, &QPushButton::clicked, this, [this] { cmdScriptSave_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Command_OK_Click(); });
    // Escape closes the dialog, which confirms it like the close box does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { close(); });
    // Delete removes the selected line.
    auto *del = new QShortcut(QKeySequence::Delete, List_ZS);
    del->setContext(Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, [this] { cmdRemove_Click(); });

    Form_Load();
}

Form_ZS::~Form_ZS() = default;

QStringList Form_ZS::lines() const {
    QStringList out;
    for (int i = 0; i < List_ZS->count(); ++i)
        out << List_ZS->item(i)->text();
    return out;
}

void Form_ZS::Form_Load() {
    ErrorScope on(kModule, QStringLiteral("Form_Load"));
    on.step([&] {
        const QString today = clockToday();
        Text_Jahr->setText(today.right(4));
        Text_Monat->setText(today.mid(3, 2));
        Text_Tag->setText(today.left(2));
    });
}

void Form_ZS::Form_Unload(int &Cancel) {
    ErrorScope on(kModule, QStringLiteral("Form_Unload"));
    // Closing the dialog confirms it; the dialog and its list live until the program ends.
    if (!bProgramEnding) {
        on.step([&] { SetTimeContol(); });
        Cancel = 1;
    }
    on.step([&] { hide(); });
}

void Form_ZS::closeEvent(QCloseEvent *event) {
    closeUnlessCancelled(*this, event);
}

void Form_ZS::cmdAdd_Click() {
    ErrorScope on(kModule, QStringLiteral("cmdAdd_Click"));
    on.step([&] {
        ScheduleFields fields{Text_Stunde->text(),        Text_Minute->text(),
                              Text_Tag->text(),           Text_Monat->text(),
                              Text_Jahr->text(),          Option_Auswahl(0)->isChecked(),
                              Combo_Aktion->currentText()};
        const std::optional<QString> line = buildScheduleLine(fields, clockToday());
        Text_Stunde->setText(fields.hour);
        Text_Minute->setText(fields.minute);
        Text_Tag->setText(fields.day);
        Text_Monat->setText(fields.month);
        Text_Jahr->setText(fields.year);
        if (!line) {
            Dialogs::MsgBox(QStringLiteral("Select action first !"));
            return;
        }
        List_ZS->addItem(*line);
    });
}

void Form_ZS::cmdRemove_Click() {
    ErrorScope on(kModule, QStringLiteral("cmdRemove_Click"));
    on.step([&] {
        for (int i = 0; i < List_ZS->count(); ++i) {
            if (List_ZS->item(i)->isSelected()) {
                delete List_ZS->takeItem(i);
                return;
            }
        }
    });
}

void Form_ZS::cmdClear_Click() {
    ErrorScope on(kModule, QStringLiteral("cmdClear_Click"));
    on.step([&] { List_ZS->clear(); });
}

void Form_ZS::Command_OK_Click() {
    ErrorScope on(kModule, QStringLiteral("Command_OK_Click"));
    on.step([&] { SetTimeContol(); });
    on.step([&] { hide(); });
}

void Form_ZS::SetTimeContol() {
    ErrorScope on(kModule, QStringLiteral("SetTimeContol"));
    auto schedule = std::make_shared<clsTimeControl>();
    for (const QString &line : lines())
        on.step([&] { schedule->Add(line); });
    gTimeControl = std::move(schedule);
}

// A script that cannot be chosen, read or written ends the operation without a word.
void Form_ZS::cmdScriptSave_Click() {
    ignoringFailures([&] {
        const std::optional<QString> name =
            Dialogs::GetSaveFileName(QStringLiteral("Save"), kScriptFilter, QStringLiteral("txt"));
        if (!name || name->isEmpty()) return;
        if (QFileInfo::exists(*name) && Dialogs::MsgBox(QStringLiteral("Overwrite existing file ?"),
                                                        MsgBoxStyle::YesNo) != MsgBoxResult::Yes)
            return;
        // Written beside the old file and renamed over it, so a failed save keeps the old one.
        QSaveFile file(*name);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(scriptBytes(lines()));
        if (!file.commit()) return;
        Dialogs::MsgBox(*name + QStringLiteral(" saved..."));
    });
}

void Form_ZS::cmdScriptLoad_Click() {
    ignoringFailures([&] {
        const std::optional<QString> name =
            Dialogs::GetOpenFileName(QStringLiteral("Open"), kScriptFilter, QStringLiteral("txt"));
        if (!name || name->isEmpty()) return;
        QFile file(*name);
        if (!file.open(QIODevice::ReadOnly)) return;
        // Lines are taken as they stand; a line that cannot be parsed shows up on confirming.
        List_ZS->addItems(scriptLines(file.readAll()));
    });
}
