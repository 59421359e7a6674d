// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: status display, menus, timers, the link to the receiver, and the load and
// unload of the program. Its procedures are spread over the files of their subsystems.
#pragma once

#include "link/Framing.h"
#include "ui/ControlArray.h"
#include "ui/SingleForm.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>

class ErrorScope;
class ImageControl;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;
class QTimer;
class QWidget;
struct CommandLineOptions;
struct VolumeReport;

class Form_Velmora : public QMainWindow, public SingleForm<Form_Velmora> {
    Q_OBJECT
public:
    Form_Velmora();
    ~Form_Velmora() override;

    // --- Upper part: the shared status display ---
    QWidget *picControls;
    QLabel *Line1;                   // status line 1: the subject
    QLabel *Line2;                   // status line 2: the detail
    QLabel *lblWinAmp;               // the player's title, laid over both status lines while shown
    QLabel *lblQuenby;               // the maker's web address
    ImageControl *Image_VolUP;       // "Volume +"
    ImageControl *Image_VolDOWN;     // "Volume -"
    ImageControl *imgWinampPrevious; // "Winamp previous"
    ImageControl *imgWinampNext;     // "Winamp next"
    ImageControl *Image_InputUP;     // "Input +"
    ImageControl *Image_InputDown;   // "Input -"
    ImageControl *Image_InputMode;   // "Input Mode"
    ImageControl *Label_Standby;     // "Standby/On"
    ImageControl *Image_Klappe;      // "open/close"

    // --- The flap with the control panel ---
    QWidget *picKlappe;
    QGroupBox *Frame_Input; // "Input", "Rec Out" in zone-2 mode
    QGroupBox *Frame_DSP;
    QGroupBox *Frame_SpeakersA;
    QGroupBox *Frame_SpeakersB;
    QGroupBox *Frame_61ES;
    QGroupBox *Frame_6ChInput;
    QGroupBox *Frame_InputMode;
    QGroupBox *Frame_Leer1; // stands where the main-zone-only frames are, in zone-2 mode
    ControlArray<QRadioButton, 1, 14> Opt_Input;
    ControlArray<QRadioButton, 0, 31> Opt_Dsp;
    ControlArray<QRadioButton, 0, 1> Opt_SpeakersA;
    ControlArray<QRadioButton, 0, 1> Opt_SpeakersB;
    ControlArray<QRadioButton, 0, 1> Opt_61ES;
    ControlArray<QRadioButton, 0, 1> Opt_6ChInput;
    ControlArray<QRadioButton, 1, 5> Opt_InputMode;
    ControlArray<QLabel, 1, 12> Label_Prog; // the DSP group captions
    QLabel *Label_Effect;

    // --- Menus ---
    QAction *Menu_Connect; // "&Connect" / "Disconnect"
    QMenu *Menu_Setup;
    ControlArray<QAction, 1, 5> Menu_Setup_Port;       // "Com 1" to "Com 5"
    ControlArray<QAction, 0, 7> Menu_Setup_ReportTime; // "Real Time", "50 ms" ... "350 ms"
    QAction *Menu_Setup_Ports;                         // "Port..."
    QAction *Menu_Setup_Debug;                         // "Debug View"
    QAction *Menu_Setup_Log;                           // "Create Logfile"
    QAction *Menu_Reset;                               // "&Reset"
    QMenu *Menu_ZS;                                    // "&TimeControl"
    QAction *Menu_ZS_Aktiv;                            // "Activated"
    QAction *Menu_ZS_Einstellungen;                    // "Config"
    QMenu *Menu_Mode;                                  // "&Mode"
    QAction *Menu_Mode_Zone2;                          // "Zone2"
    QAction *Menu_Mode_Main;                           // "Main/Master"
    QMenu *Menu_Sleep;                                 // "S&leepTimer"
    QAction *Menu_Sleep_Off;
    QAction *Menu_Sleep_120;
    QAction *Menu_Sleep_90;
    QAction *Menu_Sleep_60;
    QAction *Menu_Sleep_30;
    QMenu *Menu_Volume;                           // "&Volume"
    QAction *Menu_Volume_Mute;                    // "Mute" (F12)
    QAction *Menu_Volume_MuteZone2;               // "Mute Zone2"
    ControlArray<QAction, 1, 6> Menu_Volume_Save; // "A" to "F"
    ControlArray<QAction, 1, 6> Menu_Volume_Load; // "A   " to "F   " (F4 to F9)
    QAction *Menu_Mini;                           // "M&ini"
    QMenu *Menu_Extras;                           // "E&xtras"
    // What the remote's 6.1/ES key does: toggle the window, step the player's tracks, or run
    // the command line kept in Menu_Extras_61_ES_Tag.
    ControlArray<QAction, 1, 3> Menu_Extras_61_ES;
    QString Menu_Extras_61_ES_Tag;
    QAction *Menu_Extras_MT_Winamp;   // "Multimedia Keycontrol Winamp"
    QAction *Menu_Extras_MT_Yamaha;   // "Multimedia Keycontrol Yamaha"
    QAction *Menu_Extras_SendMessage; // "Send Message to Display - Test"
    QAction *Menu_Extras_YInfo;       // "Yamaha information"
    QAction *Menu_AddIn;              // "&AddIn": the add-in manager
    // The mini window's pop-up menu; never on the menu bar.
    QMenu *Menu_MiniPopUp;
    QAction *Menu_MiniPopUp_POWER;
    ControlArray<QAction, 1, 14> Menu_MiniPopUp_Input;
    QMenu *Menu_MiniPopUp_Volume;
    ControlArray<QAction, 1, 6> Menu_MiniPopUp_Volume_Load;
    QAction *Menu_MiniPopUp_Zone2;
    QAction *Menu_MiniPopUp_Mute;
    QAction *Menu_Ende;       // "&End"
    QMenu *Menu_Fragezeichen; // "&?"
    QAction *Menu_Fragezeichen_Informationen;
    QAction *Menu_Info;

    // --- Timers ---
    QTimer *Timer_Check;             // polls the port every 100 ms while connected
    QTimer *Timer_RePressKey;        // 10 ms while a volume button is held
    QString Timer_RePressKey_Tag;    // "UP" or "DOWN"
    QTimer *Timer_CheckTastenRepeat; // 800 ms: a first 6.1/ES press waits for a second
    QTimer *Timer_WinampView;        // 2 s: the player's title display
    QTimer *Timer_CheckKeys;         // 10 ms: the media-key poll, from load to unload
    QTimer *Timer_ZS;                // 500 ms: the schedule, while "Activated" is checked

    // --- Receiver state ---
    // Non-zero while reported state is moved onto the controls; their handlers then send nothing.
    qint16 bReceiverUpdate = 0;
    // The last configuration block handed over by the receiver link.
    QString stSettings;

    // Runs the load sequence once; later calls do nothing.
    void Load();
    bool isLoadDone() const { return m_loaded; }
    // Shows the window, loading it first when needed (the load may switch to the mini window).
    void Show();
    // A program started while this one runs handed its command line over: the window (or the
    // mini window standing in for it) comes to the front and the options apply as at load,
    // except that an open connection is kept (the port and -P are then not used).
    void takeOverCommandLine(CommandLineOptions options);

    // Load and unload (ui/mainwindow/Form_Velmora.cpp).
    void Form_Load();
    void Form_Unload(int &Cancel);
    // True while the unload waits for the add-ins' answers; a close asked for meanwhile (End,
    // an add-in's Quit, the window's cross) starts no second round: the first one decides.
    bool endBeingDecided() const { return m_decidingEnd; }
    void Menu_Ende_Click();
    void Menu_Fragezeichen_Informationen_Click();
    void Menu_Info_Click();
    // Lets pending events run once, then blocks for Zeit seconds without reacting.
    void Pause(float Zeit);

    // Setup menu (ui/mainwindow/Form_Velmora_setup.cpp).
    // The settings kept between runs (ui/mainwindow/Form_Velmora_config.cpp): restored into the
    // menus at load, written back from them at unload.
    void LoadConfig();
    void SaveConfig();
    void Menu_Setup_Port_Click(int Index);
    void Menu_Setup_ReportTime_Click(int Index);
    void Menu_Setup_Debug_Click();
    void Menu_Setup_Log_Click();

    // Connection (ui/mainwindow/Form_Velmora_connection.cpp).
    // Connects when the port is closed, disconnects when it is open; Sw1 = 1 switches a
    // receiver in standby on.
    void ConnectToYamaha(int Sw1 = 0);
    void Menu_Connect_Click();
    // The Setup menu's "Port..." item: the device or bridge behind each port number.
    void Menu_Setup_Ports_Click();
    // The device went away under the connection: the connection is shown as lost and the
    // device is watched for until it comes back, or the user connects or disconnects.
    void connectionLost(const QString &reason);
    void Timer_Check_Timer();
    void Menu_Reset_Click();
    void Menu_Extras_YInfo_Click();

    // Menus (ui/mainwindow/Form_Velmora_menus.cpp).
    void SetMenu(qint16 connected);
    void Menu_Extras_61_ES_Click(int Index);
    void Menu_Extras_SendMessage_Click();
    void Menu_Extras_MT_Winamp_Click();
    void Menu_Extras_MT_Yamaha_Click();
    void Menu_Sleep_Off_Click();
    void Menu_Sleep_120_Click();
    void Menu_Sleep_90_Click();
    void Menu_Sleep_60_Click();
    void Menu_Sleep_30_Click();
    void Menu_MiniPopUp_Input_Click(int Index);
    void Menu_MiniPopUp_POWER_Click();
    void Menu_MiniPopUp_Zone2_Click();
    void Menu_MiniPopUp_Mute_Click();
    void Menu_MiniPopUp_Volume_Load_Click(int Index);

    // Mini window (ui/mainwindow/Form_Velmora_mini.cpp).
    void Menu_Mini_Click();
    // Puts the mini window into a corner of the desktop work area read at load.
    enum class MiniCorner { TopLeft, TopRight, BottomLeft, BottomRight };
    void placeMini(MiniCorner corner);

    // Control panel (ui/mainwindow/Form_Velmora_panel.cpp).
    void Opt_Input_Click(int Index);
    void Opt_Dsp_Click(int Index);
    void Opt_SpeakersA_Click(int Index);
    void Opt_SpeakersB_Click(int Index);
    void Opt_61ES_Click(int Index);
    void Opt_6ChInput_Click(int Index);
    void Opt_InputMode_Click(int Index);
    void SetDSPButton(qint16 Index, qint16 NoSelect);
    void SetInputButton(qint16 Index, qint16 NoSelect, qint16 Zone2);
    void GetInputButton(qint16 &Index);
    void SetInputButtonVisible(const QString &ModelID);
    void Image_InputUP_Click();
    void Image_InputDown_Click();
    void Image_InputMode_Click();
    void Label_Standby_Click();
    void Menu_Mode_Main_Click();
    void Menu_Mode_Zone2_Click();

    // Flap and window size (ui/mainwindow/Form_Velmora_layout.cpp).
    void SetKlappe(qint16 Richtung);
    void Image_Klappe_Click();
    void Form_Resize();

    // Receiver state (ui/mainwindow/Form_Velmora_state.cpp).
    void SetYamahaSettings(const QString &Settings);
    void SetSettings();
    void DatenAuswerten(const QString &message);
    void RunShellCommand();
    void Timer_CheckTastenRepeat_Timer();

    // Volume (ui/mainwindow/Form_Velmora_volume.cpp).
    void DisplayVolume(const QString &Puffer);
    void showVolume(const VolumeReport &report);
    void VolUp();
    void VolDown();
    void Mute(int Zone = 0);
    void Timer_RePressKey_Timer();
    void Image_VolUP_MouseDown(Qt::MouseButton Button);
    void Image_VolDOWN_MouseDown(Qt::MouseButton Button);
    void Image_Vol_MouseUp();
    // Starts the volume keys' repeat in the direction "UP" or "DOWN"; also for the mini window.
    void startVolumeRepeat(const QString &direction);
    void Menu_Volume_Mute_Click();
    void Menu_Volume_MuteZone2_Click();
    void Menu_Volume_Save_Click(int Index);
    void Menu_Volume_Load_Click(int Index);
    // F4 to F9 recall the volume memories, F12 toggles the current zone's mute; for the mini
    // window, which has no menu of its own.
    void CheckKey(qint16 &KeyCode);

    // Media player buttons and title (ui/mainwindow/Form_Velmora_winamp.cpp).
    void imgWinampNext_Click();
    void imgWinampNext_DblClick();
    void imgWinampPrevious_Click();
    void imgWinampPrevious_DblClick();
    void Timer_WinampView_Timer();

    // Time control (ui/mainwindow/Form_Velmora_timecontrol.cpp).
    void Menu_ZS_Aktiv_Click();
    void Menu_ZS_Einstellungen_Click();
    void Timer_ZS_Timer();

    // Add-ins (ui/mainwindow/Form_Velmora_addins.cpp).
    // Loads every add-in of the "AddIn" folder; once, from the load sequence.
    void LoadAddIns();
    void Menu_AddIn_Click();

    // Media keys (ui/mainwindow/Form_Velmora_keys.cpp).
    // True when the key went down since it was last asked for and is still down.
    bool CompKey(qint32 code);
    void Timer_CheckKeys_Timer();

    // The desktop work area (the screen less the task bar) read at load.
    QRect workArea() const { return m_workArea; }

Q_SIGNALS:
    // The unload's add-in round is over: true when the program ends, false when an add-in
    // refused.
    void endDecided(bool ended);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void buildMenus();
    void buildMiniPopUp();
    void buildDisplay();
    void buildPanel();
    void connectPanel();
    // Gives a button its Value True the way a report does: selected, then its click handler.
    void selectOption(QRadioButton *button, void (Form_Velmora::*handler)(int), int index);
    // The remote's 6.1/ES key: window, player tracks or shell command, as the Extras menu says.
    void run61ESActions();
    // Shows "Winamp" and the step for half a second over the status lines and sends the step.
    void showPlayerStep(const QString &what, qint32 command);
    // With the player entry checked, the mute keys pause and resume the player, and POWER ON
    // jumps forward in the playing track.
    void playerFollowsMute(bool muted);
    void playerForwardStep();
    // Shows the frames the checked zone mode uses and the empty frame in place of the others.
    void showModeFrames(bool zone2);
    // Headphones and the receiver lock the speaker buttons together.
    void setSpeakerButtonsEnabled(bool enabled);
    // Hides the main window and shows the mini window in its place.
    void switchToMini();
    // True when the port is open; otherwise says "Connect first !" (the menu items that need
    // a receiver).
    bool connectedOrSaySo(ErrorScope &on);
    // Connects a menu item to its click handler.
    void onClick(QAction *item, std::function<void()> handler);
    void onClick(QAction *item, void (Form_Velmora::*handler)());
    void onClick(QAction *item, void (Form_Velmora::*handler)(int), int index);
    void evaluateCommandLine(const CommandLineOptions &options);
    // The port the next connect opens, for -C, the stored setting and the Setup menu alike: the
    // one place the window sets the link's port number.
    void usePort(long number);
    // Hands every message in text read from the port to the add-ins and then to the report
    // evaluation, as the port poll does.
    void passOnMessages(const QString &received, ErrorScope &on);
    // Switches the window to zone 2 or back to the main zone: the Mode items and the settings
    // sent; with panelFollows also the input frame's title, the frames and the status lines.
    void setZoneMode(bool zone2, bool panelFollows, ErrorScope &on);
    // The schedule's firing of one entry: its receiver command, or the player's play or stop.
    void fireScheduledCommand(const QString &stCommand, ErrorScope &on);
    void fireScheduledPlayerAction(const QString &stCommand, const QString &stDescription,
                                   ErrorScope &on);
    // Checks or unchecks "Debug View" and shows or hides the debug terminal with it.
    void setDebugView(bool on);
    // Hears the link's status and configuration (once, at construction).
    void connectLink();
    // Hands the link what its traffic log is wanted for: the log menu items and the poll.
    void updateTrafficLogOptions();
    // The media-key items' tool tips say what the keys do, or that they cannot be read here.
    void prepareMediaKeys();
    // The media-key poll: started at load, stopped at unload, and resting in between while the
    // key source can wake it and no key of its table is down.
    void startKeyPoll();
    void stopKeyPoll();
    void restKeyPollWhenIdle();
    void updateMediaKeyToolTips();

    // Sets the outer height (title bar and borders included).
    void setOuterHeight(int height);
    void applyFrameOnceKnown();

    int m_outerHeight = 0;
    bool m_frameKnown = false;
    bool m_loaded = false;
    bool m_decidingEnd = false;
    bool m_inCheckTick = false;
    // The unfinished report of the port poll's last read, joined to its next read.
    ReportTail m_reportTail;
    // Once a second while a lost device is awaited.
    QTimer m_deviceWatch;
    QString m_lostDevice;
    bool m_lostDeviceGone = false;
    void watchLostDevice();
    // A lost bridge is tried again after growing pauses: the tries so far and the seconds to
    // the next, counted down in the status line.
    int m_bridgeTries = 0;
    int m_bridgeRetryIn = 0;
    bool m_bridgeRetrying = false; // from a bridge's loss until it is connected again

    void waitForBridge();
    void retryBridge();
    // Connects with the port opened already (opened) or opens it first.
    void connectReceiver(int Sw1, bool opened);
    QElapsedTimer m_runTime; // started with the window: the clock of the report tail
    bool m_inRePressTick = false;
    bool m_inCheckKeysTick = false;
    bool m_inZSTick = false;
    QRect m_workArea;
};
