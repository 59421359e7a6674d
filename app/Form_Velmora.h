// The main window: status display, menus, timers, the link to the receiver, and the load and
// unload of the program. Its procedures are spread over the files of their subsystems.
#pragma once

#include "ui/ControlArray.h"
#include "ui/SingleForm.h"

#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QWidget;
struct CommandLineOptions;

class Form_Velmora : public QMainWindow, public SingleForm<Form_Velmora> {
    Q_OBJECT
public:
    Form_Velmora();
    ~Form_Velmora() override;

    // --- Upper part: the shared status display ---
    QWidget *picControls;
    QLabel *Line1;     // status line 1: the subject
    QLabel *Line2;     // status line 2: the detail
    QLabel *lblWinAmp; // the player's title, laid over both status lines while shown
    QLabel *lblQuenby; // the maker's web address

    // --- Menus ---
    QAction *Menu_Connect; // "&Connect" / "Disconnect"
    QMenu *Menu_Setup;
    ControlArray<QAction, 1, 5> Menu_Setup_Port;       // "Com 1" to "Com 5"
    ControlArray<QAction, 0, 7> Menu_Setup_ReportTime; // "Real Time", "50 ms" ... "350 ms"
    QAction *Menu_Setup_Debug;                         // "Debug View"
    QAction *Menu_Setup_Log;                           // "Create Logfile"
    QAction *Menu_Reset;                               // "&Reset"
    QMenu *Menu_Extras;                                // "E&xtras"
    QAction *Menu_Extras_YInfo;                        // "Yamaha information"
    QAction *Menu_Ende;                                // "&End"
    QMenu *Menu_Fragezeichen;                          // "&?"
    QAction *Menu_Fragezeichen_Informationen;
    QAction *Menu_Info;

    // --- Timers ---
    QTimer *Timer_Check; // polls the port every 100 ms while connected

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

    // Load and unload (app/Form_Velmora.cpp).
    void Form_Load();
    void Form_Unload(int &Cancel);
    void Menu_Ende_Click();
    void Menu_Fragezeichen_Informationen_Click();
    void Menu_Info_Click();
    // Lets pending events run once, then blocks for Zeit seconds without reacting.
    void Pause(float Zeit);

    // Setup menu (app/Form_Velmora_setup.cpp).
    void Menu_Setup_Port_Click(int Index);
    void Menu_Setup_ReportTime_Click(int Index);
    void Menu_Setup_Debug_Click();
    void Menu_Setup_Log_Click();

    // Connection (link/Form_Velmora_connection.cpp).
    // Connects when the port is closed, disconnects when it is open; Sw1 = 1 switches a
    // receiver in standby on.
    void ConnectToYamaha(int Sw1 = 0);
    void Menu_Connect_Click();
    void Timer_Check_Timer();
    void Menu_Reset_Click();
    void Menu_Extras_YInfo_Click();

    // Menus that follow the connection (ui/Form_Velmora_menus.cpp).
    void SetMenu(qint16 connected);

    // Receiver state (state/Form_Velmora_state.cpp).
    void SetYamahaSettings(const QString &Settings);
    void SetSettings();
    void DatenAuswerten(const QString &message);

    // The desktop work area (the screen less the task bar) read at load.
    QRect workArea() const { return m_workArea; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildDisplay();
    // Connects a menu item to its click handler.
    void onClick(QAction *item, std::function<void()> handler);
    void onClick(QAction *item, void (Form_Velmora::*handler)());
    void onClick(QAction *item, void (Form_Velmora::*handler)(int), int index);
    void evaluateCommandLine(const CommandLineOptions &options);

    bool m_loaded = false;
    bool m_inCheckTick = false;
    QRect m_workArea;
};
