// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept between runs, on the real per-user store in a temporary folder.
#include "base/CommandLine.h"
#include "base/ConfigValues.h"
#include "base/ProgramFolder.h"
#include "link/Form_Com.h"
#include "support/PtyPair.h"
#include "support/WindowSuite.h"
#include "ui/terminal/Form_ComTerminal.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using Settings = QMap<QString, QString>;

namespace {
const QString kDefaultShell = DefaultShellCommand;

// "Key=value;Key=value" as pairs.
Settings pairs(const QString &text) {
    Settings out;
    for (const QString &pair : text.split(';', Qt::SkipEmptyParts))
        out.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return out;
}

// Writes pairs into the program's section of the store, as an earlier run would have.
void store(const QString &text) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Velmora", "Velmora");
    s.beginGroup("Config");
    const Settings stored = pairs(text);
    for (auto it = stored.begin(); it != stored.end(); ++it)
        s.setValue(it.key(), it.value());
}

// Every pair of the section, read from the file itself.
Settings saved(const QString &file) {
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup("Config");
    Settings out;
    for (const QString &key : s.childKeys())
        out.insert(key, s.value(key).toString());
    return out;
}

QString checkedItems(const auto &items) {
    QStringList on;
    for (int i = items.lowest(); i <= items.highest(); ++i)
        if (items(i)->isChecked()) on << QString::number(i);
    return on.isEmpty() ? "-" : on.join(',');
}

// The stored settings as the window holds them, in one line.
QString menuState(const Form_Velmora &m) {
    const auto flag = [](bool on) { return QString(on ? "1" : "0"); };
    const Form_ComTerminal *terminal = Form_ComTerminal::existing();
    return QStringLiteral("port=%1 com=%2 report=%3 main=%4 zone2=%5 es=%6 debug=%7 terminal=%8 "
                          "yamaha=%9 winamp=%10")
        .arg(checkedItems(m.Menu_Setup_Port))
        .arg(Form_Com::instance().Com->CommPort())
        .arg(checkedItems(m.Menu_Setup_ReportTime), flag(m.Menu_Mode_Main->isChecked()),
             flag(m.Menu_Mode_Zone2->isChecked()), checkedItems(m.Menu_Extras_61_ES),
             flag(m.Menu_Setup_Debug->isChecked()), flag(terminal && terminal->isVisible()),
             flag(m.Menu_Extras_MT_Yamaha->isChecked()))
        .arg(flag(m.Menu_Extras_MT_Winamp->isChecked()));
}

const QString kBuiltIn = "port=1 com=1 report=0 main=1 zone2=0 es=- debug=0 terminal=0 yamaha=0 "
                         "winamp=0";
const QString kBuiltInSaved = "Com=1;ReportTime=0;Mode=1;Extras=;Debug=;MediaKeyYamaha=0;"
                              "MediaKeyWinamp=0;Shell=";

// Round n of the settings: the first, a middle and the last key change from round to round.
void applyRound(Form_Velmora &m, int n) {
    for (int i = 1; i <= 5; ++i)
        m.Menu_Setup_Port(i)->setChecked(i == n % 5 + 1);
    m.Menu_Extras_61_ES_Tag = QStringLiteral("round-%1").arg(n);
    m.Menu_Extras_MT_Winamp->setChecked(n % 2 == 1);
}

// The round the settings file holds as one whole set, or -1.
int roundInFile(const QString &file) {
    Settings expected = pairs(kBuiltInSaved), found = saved(file);
    const int n = found.value("Shell").mid(6).toInt();
    expected.insert(pairs(QStringLiteral("Com=%1;Shell=round-%2;MediaKeyWinamp=%3")
                              .arg(n % 5 + 1)
                              .arg(n)
                              .arg(n % 2)));
    return found == expected ? n : -1;
}

// Saves round after round from the one given, says so after the first, and goes on until killed;
// a failed save ends it with exit code 3.
int saveLoop(int argc, char **argv) {
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(argv[2]));
    setErrBoxPresenter([](const ErrBoxCall &) { std::_Exit(3); });
    const int first = QByteArray(argv[3]).toInt();
    for (int n = first;; ++n) {
        applyRound(Form_Velmora::instance(), n);
        Form_Velmora::instance().SaveConfig();
        if (n == first) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
} // namespace

class TestSettings : public WindowSuite {
    Q_OBJECT

    // Ends the program through its menu and clears the windows for the next start.
    void end() {
        Form_Velmora::instance().Menu_Ende->trigger();
        QCOMPARE(Form_Velmora::existing(), nullptr);
        TestEnvironment::resetProgram();
    }

private Q_SLOTS:
    void cleanup() {
        WindowSuite::cleanup();
        for (int n = 1; n <= 5; ++n)
            qunsetenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1());
    }

    void startRestoresTheStore_data() {
        // The changes to the built-in state, the shell ("": the default) and the boxes under
        // LoadConfig, error 9 each.
        columns<QString, QString, QString, int>("stored", "state", "shell", "errors");
        const QString custom = "/usr/bin/xcalc -geometry 200x200";
        row("Debug 1 shows the terminal", "Debug=1", "debug=1 terminal=1", "", 0);
        row("media keys Yamaha only", "MediaKeyYamaha=1;MediaKeyWinamp=0", "yamaha=1", "", 0);
        row("media keys Winamp only", "MediaKeyYamaha=0;MediaKeyWinamp=1", "winamp=1", "", 0);
        row("media key \"true\" is off", "MediaKeyYamaha=true", "", "", 0);
        row("Mode 2", "Mode=2", "main=0 zone2=1", "", 0);
        row("Com 3, ReportTime 7 with text, Extras 2", "Com=3;ReportTime=7x;Extras=2",
            "port=3 com=3 report=7 es=2", "", 0);
        row("Mode 3, ReportTime without digits, a foreign key: built-in",
            "Mode=3;ReportTime=x;Other=1", "", "", 0);
        row("Shell", "Shell=" + custom, "", custom, 0);
        row("names count character for character", "com=3;DEBUG=1;Shell =x", "", "", 0);
        // A value that names no item is reported; every other key still loads.
        for (const char *v : {"0", "x", "4294967297", "20000000000000000000"})
            QTest::addRow("Com \"%s\" names no port", v)
                << "ReportTime=5;MediaKeyYamaha=1;Shell=" + custom + ";Com=" + v
                << "report=5 yamaha=1" << custom << 1;
        row("ReportTime 8, Extras 4 and Com 6 name no item", "ReportTime=8;Extras=4;Com=6;Debug=1",
            "debug=1 terminal=1", "", 3);
    }
    void startRestoresTheStore() {
        FETCH((QString, QString, QString, int), stored, state, shell, errors);
        QStringList expected = kBuiltIn.split(' ');
        for (const QString &change : state.split(' ', Qt::SkipEmptyParts))
            for (QString &entry : expected)
                if (entry.section('=', 0, 0) == change.section('=', 0, 0)) entry = change;
        store(stored);
        Form_Velmora &main = shownMainWindow();
        QCOMPARE(menuState(main), expected.join(' '));
        QCOMPARE(main.Menu_Extras_61_ES_Tag, shell.isEmpty() ? kDefaultShell : shell);
        QCOMPARE(env->errors.calls.size(), errors);
        for (const ErrBoxCall &call : env->errors.calls)
            QCOMPARE(call, (ErrBoxCall{"LoadConfig", "Form_Velmora", 9, call.message, call.line}));
    }

    void commandLinePortIsForThisRunOnly() {
        PtyPair three;
        three.assignToPort(3);
        SimulatedReceiver four("R0088", false, 4);
        store("Com=3");
        setCommand("-C4");

        Form_Velmora &main = shownMainWindow();
        QCOMPARE(main.Line1->text(), "Connected");
        QCOMPARE(Form_Com::instance().Com->CommPort(), 4L);
        QCOMPARE(three.read(200), QByteArray());
        QCOMPARE(checkedItems(main.Menu_Setup_Port), "3");
        end();
        QCOMPARE(saved(env->settingsFile()).value("Com"), "3");
        // Without the option the next run uses the stored port again.
        QCOMPARE(Form_Com::instance().Com->CommPort(), 1L);
        shownMainWindow();
        QCOMPARE(Form_Com::instance().Com->CommPort(), 3L);
    }

    void roundTripThroughARestart_data() {
        // clicks: the menu items picked, in this order
        columns<QString, QStringList, QString, QString>("before", "clicks", "written", "restored");

        const QString command = "/opt/tools/run me.sh --flag=\"a b\" c:\\x";
        row("first run: nothing stored, nothing changed", "", QStringList{}, kBuiltInSaved,
            kBuiltIn);
        row("everything changed", "",
            QStringList{"port 4", "report 6", "zone2", "es 3 " + command, "debug", "yamaha",
                        "winamp"},
            "Com=4;ReportTime=6;Mode=2;Extras=3;Debug=1;Shell=" + command +
                ";MediaKeyYamaha=1;MediaKeyWinamp=1",
            "port=4 com=4 report=6 main=0 zone2=1 es=3 debug=1 terminal=1 yamaha=1 winamp=1");
        row("everything back",
            "Com=4;ReportTime=6;Mode=2;Extras=2;Debug=1;Shell=/bin/true;MediaKeyYamaha=1;"
            "MediaKeyWinamp=1",
            QStringList{"port 1", "report 0", "main", "es 2", "debug", "yamaha", "winamp"},
            kBuiltInSaved + "/bin/true", kBuiltIn);
        // Item 3 asks for the command; no text given cancels the box.
        row("shell command cancelled keeps the old one", "Extras=1;Shell=/bin/true",
            QStringList{"es 3"}, kBuiltInSaved + "/bin/true", kBuiltIn);
    }
    void roundTripThroughARestart() {
        FETCH((QString, QStringList, QString, QString), before, clicks, written, restored);
        store(before);

        Form_Velmora &main = shownMainWindow();
        if (before.isEmpty()) { // the built-in state, and no file until the end
            QCOMPARE(menuState(main), kBuiltIn);
            QCOMPARE(main.Menu_Extras_61_ES_Tag, QString());
            QVERIFY(!QFile::exists(env->settingsFile()));
        }
        for (const QString &click : clicks) {
            const QString what = click.section(' ', 0, 0);
            const int item = click.section(' ', 1, 1).toInt();
            const QString text = click.section(' ', 2);
            QAction *action = what == "port"     ? main.Menu_Setup_Port(item)
                              : what == "report" ? main.Menu_Setup_ReportTime(item)
                              : what == "es"     ? main.Menu_Extras_61_ES(item)
                              : what == "zone2"  ? main.Menu_Mode_Zone2
                              : what == "main"   ? main.Menu_Mode_Main
                              : what == "debug"  ? main.Menu_Setup_Debug
                              : what == "yamaha" ? main.Menu_Extras_MT_Yamaha
                                                 : main.Menu_Extras_MT_Winamp;
            if (what == "es" && item == 3)
                env->dialogs->answerInput(text.isEmpty() ? std::nullopt
                                                         : std::optional<QString>(text));
            action->trigger();
        }
        end();
        QCOMPARE(saved(env->settingsFile()), pairs(written));

        Form_Velmora &again = shownMainWindow();
        QCOMPARE(menuState(again), restored);
        const QString shell = pairs(written).value("Shell");
        QCOMPARE(again.Menu_Extras_61_ES_Tag, shell.isEmpty() ? kDefaultShell : shell);
        QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
    }

    // Writes past a few bytes fail as on a full disk: reported, and the file kept as it was.
    void failedSaveKeepsThePreviousFile() {
        Form_Velmora &main = shownMainWindow();
        main.SaveConfig();
        const QByteArray before = env->readFile(env->settingsFile());
        QVERIFY(!before.isEmpty());
        main.Menu_Setup_Port(2)->trigger();
        main.Menu_Extras_61_ES_Tag = "/a/command/long/enough/to/need/more/room";
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        rlimit tiny = limit;
        tiny.rlim_cur = 8;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        main.SaveConfig();
        setrlimit(RLIMIT_FSIZE, &limit);

        QVERIFY2(env->errors.calls.size() == 1 &&
                     env->errors.contains("Form_Velmora", "SaveConfig", 75) &&
                     env->errors.calls.first().message.contains(env->settingsFile()),
                 qPrintable(env->errors.describe()));
        QCOMPARE(env->readFile(env->settingsFile()), before);
        main.SaveConfig(); // the store can be written again
        QCOMPARE(saved(env->settingsFile()).value("Com"), "2");
    }

    // A save killed at any moment leaves one whole set; an empty lock file left over holds up
    // nothing.
    void killedSaveLeavesOneWholeSet() {
        const QString file = env->settingsFile();
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        QProcess child;
        QProcessEnvironment childEnv = QProcessEnvironment::systemEnvironment();
        childEnv.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(childEnv);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        int last = -1;
        for (int kill = 0; kill < 100; ++kill) {
            child.start(QCoreApplication::applicationFilePath(),
                        {"--save-loop", env->settingsFolder(), QString::number(last + 1)});
            QVERIFY2(child.waitForReadyRead(20000), qPrintable(child.errorString()));
            QThread::usleep(random.bounded(20000u));
            child.kill(); // SIGKILL: no handler, no destructor, no flush runs
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit); // not ended by a failed save
            const int n = roundInFile(file);
            QVERIFY2(n > last,
                     qPrintable(
                         QStringLiteral("seed %1: round %2 after %3").arg(seed).arg(n).arg(last)));
            last = n;
        }
        QVERIFY(env->writeFile(file + ".lock", {}));
        applyRound(Form_Velmora::instance(), last + 1);
        QElapsedTimer clock;
        clock.start();
        Form_Velmora::instance().SaveConfig();
        QVERIFY(clock.elapsed() < 10000); // not the lock's 30 s
        QCOMPARE(roundInFile(file), last + 1);
        QVERIFY(!QFile::exists(file + ".lock"));
        QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
    }

    // "@" stands for the test's folder; the program runs from "@/bin". Installed means the
    // platform's sign beside it: ../lib/velmora/AddIn, or uninstall.exe on Windows (where the
    // Linux sign is there too and means nothing).
    void programFileLocations_data() {
        // xdgHome: the state, data and local folders are "@/<xdgHome>state", ...; empty: unset
        columns<bool, bool, QString, QString, QStringList>("windows", "installed", "xdgHome", "log",
                                                           "addIns");
        row("build tree", false, false, "@/", "@/bin/debug.txt", QStringList{"@/bin/AddIn"});
        row("installed", false, true, "@/", "@/state/Velmora/debug.txt",
            QStringList{"@/lib/velmora/AddIn", "@/data/Velmora/AddIn"});
        const QStringList inHome{"@/lib/velmora/AddIn", "@/home/.local/share/Velmora/AddIn"};
        row("installed, no XDG folders", false, true, "", "@/home/.local/state/Velmora/debug.txt",
            inHome);
        row("installed, relative XDG folders", false, true, "rel/",
            "@/home/.local/state/Velmora/debug.txt", inHome);
        row("Windows, built", true, false, "@/", "@/bin/debug.txt", QStringList{"@/bin/AddIn"});
        row("Windows, installed", true, true, "@/", "@/local/Velmora/debug.txt",
            QStringList{"@/bin/AddIn", "@/local/Velmora/AddIn"});
        row("Windows, installed, no LOCALAPPDATA", true, true, "",
            "@/home/.local/share/Velmora/debug.txt",
            QStringList{"@/bin/AddIn", "@/home/.local/share/Velmora/AddIn"});
    }
    void programFileLocations() {
        FETCH((bool, bool, QString, QString, QStringList), windows, installed, xdgHome, log,
              addIns);
        const QString root = env->folder();
        QVERIFY(QDir(root).mkpath(installed || windows ? "bin/../lib/velmora/AddIn" : "bin"));
        if (windows && installed)
            QVERIFY(QFile(root + "/bin/uninstall.exe").open(QFile::WriteOnly));
        setProgramFolder(root + "/bin");
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", (root + "/home").toLocal8Bit());
        const QString prefix = xdgHome.replace('@', root);
        qputenv("XDG_STATE_HOME", (prefix.isEmpty() ? "" : prefix + "state").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (prefix.isEmpty() ? "" : prefix + "data").toLocal8Bit());
        qputenv("LOCALAPPDATA", (prefix.isEmpty() ? "" : prefix + "local").toLocal8Bit());
        const FileRules rules = windows ? FileRules::Windows : FileRules::Linux;
        const QStringList logs = ::programFileLocations(ProgramFile::TrafficLog, rules);
        const QStringList folders = ::programFileLocations(ProgramFile::AddIns, rules);
        qputenv("HOME", home);
        qunsetenv("XDG_STATE_HOME");
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("LOCALAPPDATA");
        QCOMPARE(logs, QStringList{log.replace('@', root)});
        QCOMPARE(folders, addIns.replaceInStrings("@", root));
    }
};

int main(int argc, char *argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--save-loop") == 0) return saveLoop(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
