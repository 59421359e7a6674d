// The main window: status display, menus, timers, and the load and unload of the program.
#pragma once

#include "ui/SingleForm.h"

#include <QMainWindow>
#include <QRect>
#include <QString>

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
    QMenu *Menu_Setup;
    QAction *Menu_Setup_Debug; // "Debug View"
    QAction *Menu_Setup_Log;   // "Create Logfile"
    QAction *Menu_Ende;        // "&End"
    QMenu *Menu_Fragezeichen;  // "&?"
    QAction *Menu_Fragezeichen_Informationen;
    QAction *Menu_Info;

    // --- Timers ---
    QTimer *Timer_Check; // polls the port every 100 ms while connected

    // Runs the load sequence once; later calls do nothing.
    void Load();
    bool isLoadDone() const { return m_loaded; }
    // Shows the window, loading it first when needed (the load may switch to the mini window).
    void Show();

    void Form_Load();
    void Form_Unload(int &Cancel);
    void Menu_Ende_Click();
    void Menu_Setup_Debug_Click();
    void Menu_Setup_Log_Click();
    void Menu_Fragezeichen_Informationen_Click();
    void Menu_Info_Click();

    // Connects when the port is closed, disconnects when it is open; Sw1 = 1 switches a
    // receiver in standby on.
    void ConnectToYamaha(int Sw1 = 0);

    // Lets pending events run once, then blocks for Zeit seconds without reacting.
    void Pause(float Zeit);

    // The desktop work area (the screen less the task bar) read at load.
    QRect workArea() const { return m_workArea; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    // Connects a menu item to its click handler.
    void onClick(QAction *item, void (Form_Velmora::*handler)());
    void buildDisplay();
    void evaluateCommandLine(const CommandLineOptions &options);

    bool m_loaded = false;
    QRect m_workArea;
};
