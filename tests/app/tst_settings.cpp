// The settings kept between runs, on the real per-user store in a temporary folder: what a
// start restores into the menus, what an end writes, a restart in between, and saves that fail
// or are killed half-way.
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "app/CommandLine.h"
#include "app/ConfigValues.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "app/ProgramFolder.h"
#include "link/Form_Com.h"
#include "sim/ReceiverSimulator.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <climits>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using Settings = QMap<QString, QString>;
Q_DECLARE_METATYPE(Settings)

namespace {
const QString kDefaultShell = QString::fromLatin1(DefaultShellCommand);

// Writes pairs into the program's section of the store, as an earlier run would have.
void store(const Settings &pairs) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                QStringLiteral("Velmora"));
    s.beginGroup(QStringLiteral("Config"));
    for (auto it = pairs.begin(); it != pairs.end(); ++it)
        s.setValue(it.key(), it.value());
}

// Every pair of the section, read from the file itself.
Settings saved(const QString &file) {
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Config"));
    Settings pairs;
    for (const QString &key : s.childKeys())
        pairs.insert(key, s.value(key).toString());
    return pairs;
}

QString checkedItems(const auto &items) {
    QStringList on;
    for (int i = items.lowest(); i <= items.highest(); ++i)
        if (items(i)->isChecked()) on << QString::number(i);
    return on.isEmpty() ? QStringLiteral("-") : on.join(QLatin1Char(','));
}

// The stored settings as the window holds them, in one line.
QString menuState(const Form_Velmora &m) {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const Form_Com *terminal = Form_Com::existing();
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

const QString kBuiltIn = QStringLiteral("port=1 com=1 report=0 main=1 zone2=0 es=- debug=0 "
                                        "terminal=0 yamaha=0 winamp=0");

// --- The save loop that the crash test kills ---

// The menu state of round n; every key differs from round n - 1.
void applyRound(Form_Velmora &m, int n) {
    for (int i = 1; i <= 5; ++i)
        m.Menu_Setup_Port(i)->setChecked(i == n % 5 + 1);
    for (int i = 0; i <= 7; ++i)
        m.Menu_Setup_ReportTime(i)->setChecked(i == n % 8);
    m.Menu_Mode_Main->setChecked(n % 2 == 0);
    for (int i = 1; i <= 3; ++i)
        m.Menu_Extras_61_ES(i)->setChecked(i == n % 3 + 1);
    m.Menu_Setup_Debug->setChecked(n % 2 == 1);
    m.Menu_Extras_61_ES_Tag = QStringLiteral("round-%1").arg(n);
    m.Menu_Extras_MT_Yamaha->setChecked(n % 2 == 0);
    m.Menu_Extras_MT_Winamp->setChecked(n % 2 == 1);
}

Settings roundValues(int n) {
    return {
        {"Com", QString::number(n % 5 + 1)},        {"ReportTime", QString::number(n % 8)},
        {"Mode", n % 2 == 0 ? "1" : "2"},           {"Extras", QString::number(n % 3 + 1)},
        {"Debug", n % 2 == 1 ? "1" : ""},           {"Shell", QStringLiteral("round-%1").arg(n)},
        {"MediaKeyYamaha", n % 2 == 0 ? "1" : "0"}, {"MediaKeyWinamp", n % 2 == 1 ? "1" : "0"}};
}

// Saves the round given, says so, and goes on saving the rounds after it until killed; a failed
// save ends it with exit code 3.
int saveLoop(int argc, char **argv) {
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(argv[2]));
    const int first = QByteArray(argv[3]).toInt();
    setErrBoxPresenter([](const ErrBoxCall &c) {
        std::fprintf(stderr, "%s %ld %s\n", qPrintable(c.proc), c.number, qPrintable(c.message));
        std::_Exit(3);
    });
    Form_Velmora &main = Form_Velmora::instance();
    applyRound(main, first);
    main.SaveConfig();
    std::puts("saving");
    std::fflush(stdout);
    for (int n = first + 1;; ++n) {
        applyRound(main, n);
        main.SaveConfig();
    }
}

// Reads the settings file strictly: the section line, then exactly the eight keys, each once.
// Returns the round the values belong to, or -1 with a reason.
int roundInFile(const QString &file, QString &why) {
    const auto fail = [&why](const QString &reason) {
        why = reason;
        return -1;
    };
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return fail(QStringLiteral("missing"));
    const QList<QByteArray> lines = f.readAll().split('\n');
    Settings pairs;
    bool header = false;
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty()) continue;
        if (!header) {
            if (line != QLatin1String("[Config]")) return fail("no section: " + line);
            header = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || pairs.contains(line.left(eq))) return fail("bad line: " + line);
        pairs.insert(line.left(eq), line.mid(eq + 1));
    }
    const QString shell = pairs.value(QStringLiteral("Shell"));
    const int n = shell.startsWith(QLatin1String("round-")) ? shell.mid(6).toInt() : -1;
    if (pairs != roundValues(n)) {
        QStringList shown;
        for (auto it = pairs.begin(); it != pairs.end(); ++it)
            shown << it.key() + "=" + it.value();
        return fail("not one round: " + shown.join(QLatin1Char(' ')));
    }
    return n;
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void storedNumber_data();
    void storedNumber();
    void firstRunChangesNothingAndTheEndStoresAllKeys();
    void startRestoresTheStore_data();
    void startRestoresTheStore();
    void commandLinePortIsForThisRunOnly();
    void roundTripThroughARestart_data();
    void roundTripThroughARestart();
    void refusedEndSavesNothing();
    void failedSaveKeepsThePreviousFile_data();
    void failedSaveKeepsThePreviousFile();
    void killedSaveLeavesOneWholeSet();
    void emptyLockFileDoesNotHoldUpTheSave();
    void programFileLocations_data();
    void programFileLocations();

private:
    Form_Velmora &start();
    void end();

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<Sim::ReceiverSimulator> sim;
};

void TestSettings::init() {
    env = std::make_unique<TestEnvironment>();
}

void TestSettings::cleanup() {
    env.reset();
    sim.reset();
    for (int n = 1; n <= 5; ++n)
        qunsetenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1());
}

Form_Velmora &TestSettings::start() {
    Form_Velmora &main = Form_Velmora::instance();
    main.Show();
    return main;
}

// Ends the program through its menu and clears the windows for the next start.
void TestSettings::end() {
    Form_Velmora::instance().Menu_Ende->trigger();
    QCOMPARE(Form_Velmora::existing(), nullptr);
    TestEnvironment::resetProgram();
}

void TestSettings::storedNumber_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index");
    QTest::addRow("digits") << "3" << 3;
    QTest::addRow("digits then text") << "3x" << 3;
    QTest::addRow("leading blanks") << " \t 4" << 4;
    QTest::addRow("stops at a blank") << "3 4" << 3;
    QTest::addRow("no digits") << "x" << 0;
    QTest::addRow("a blank only") << " " << 0;
    QTest::addRow("sign") << "-1" << -1;
    QTest::addRow("does not wrap onto an item") << "4294967297" << INT_MAX;
    // Found by the fuzzer: a long row of digits overflowed.
    QTest::addRow("twenty digits") << "20000000000000000000" << INT_MAX;
}

void TestSettings::storedNumber() {
    QFETCH(QString, value);
    QFETCH(int, index);
    QCOMPARE(storedIndex(value), std::optional<int>(index));
}

void TestSettings::firstRunChangesNothingAndTheEndStoresAllKeys() {
    Form_Velmora &main = start();
    QCOMPARE(menuState(main), kBuiltIn);
    QCOMPARE(main.Menu_Extras_61_ES_Tag, QString());
    QVERIFY(!QFile::exists(env->settingsFile()));
    end();
    const Settings first = {
        {"Com", "1"},  {"ReportTime", "0"}, {"Mode", "1"},           {"Extras", ""},
        {"Debug", ""}, {"Shell", ""},       {"MediaKeyYamaha", "0"}, {"MediaKeyWinamp", "0"}};
    QCOMPARE(saved(env->settingsFile()), first);
    // The stored empty command gives the default from now on.
    QCOMPARE(start().Menu_Extras_61_ES_Tag, kDefaultShell);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestSettings::startRestoresTheStore_data() {
    QTest::addColumn<Settings>("stored");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("shell");
    QTest::addColumn<int>("errors"); // boxes under LoadConfig, error 9 each

    // The built-in state with some entries changed.
    const auto with = [](const QString &changes) {
        QStringList entries = kBuiltIn.split(QLatin1Char(' '));
        for (const QString &change : changes.split(QLatin1Char(' ')))
            for (QString &entry : entries)
                if (entry.section(QLatin1Char('='), 0, 0) == change.section(QLatin1Char('='), 0, 0))
                    entry = change;
        return entries.join(QLatin1Char(' '));
    };
    const QString custom = QStringLiteral("/usr/bin/xcalc -geometry 200x200");
    QTest::addRow("Debug 1 shows the terminal")
        << Settings{{"Debug", "1"}} << with("debug=1 terminal=1") << kDefaultShell << 0;
    for (const char *v : {"0", "true", ""})
        QTest::addRow("Debug \"%s\" hides it", v)
            << Settings{{"Debug", v}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("media keys Yamaha only")
        << Settings{{"MediaKeyYamaha", "1"}, {"MediaKeyWinamp", "0"}} << with("yamaha=1")
        << kDefaultShell << 0;
    QTest::addRow("media keys Winamp only")
        << Settings{{"MediaKeyYamaha", "0"}, {"MediaKeyWinamp", "1"}} << with("winamp=1")
        << kDefaultShell << 0;
    QTest::addRow("media key \"true\" is off")
        << Settings{{"MediaKeyYamaha", "true"}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("Mode 2") << Settings{{"Mode", "2"}} << with("main=0 zone2=1") << kDefaultShell
                            << 0;
    QTest::addRow("Mode 3 changes nothing")
        << Settings{{"Mode", "3"}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("Com 3") << Settings{{"Com", "3"}} << with("port=3 com=3") << kDefaultShell << 0;
    QTest::addRow("Com 5 with text")
        << Settings{{"Com", " 5x"}} << with("port=5 com=5") << kDefaultShell << 0;
    QTest::addRow("Com empty keeps Com 1")
        << Settings{{"Com", ""}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("ReportTime 7") << Settings{{"ReportTime", "7"}} << with("report=7")
                                  << kDefaultShell << 0;
    QTest::addRow("ReportTime without digits is Real Time")
        << Settings{{"ReportTime", "x"}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("Extras 2") << Settings{{"Extras", "2"}} << with("es=2") << kDefaultShell << 0;
    QTest::addRow("Extras empty") << Settings{{"Extras", ""}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("Shell") << Settings{{"Shell", custom}} << kBuiltIn << custom << 0;
    QTest::addRow("only a foreign key: defaults of the missing ones")
        << Settings{{"Other", "1"}} << kBuiltIn << kDefaultShell << 0;
    QTest::addRow("names count character for character")
        << Settings{{"com", "3"}, {"DEBUG", "1"}, {"Shell ", "x"}} << kBuiltIn << kDefaultShell
        << 0;
    // A value that names no item is reported; its setting stays, every other key still loads.
    const Settings others = {{"ReportTime", "5"}, {"Shell", custom}, {"MediaKeyYamaha", "1"}};
    const QString othersLoaded = with("report=5 yamaha=1");
    for (const char *v : {"9", "0", "x", "-1", "4294967297"}) {
        Settings s = others;
        s.insert(QStringLiteral("Com"), QString::fromLatin1(v));
        QTest::addRow("Com \"%s\" names no port", v) << s << othersLoaded << custom << 1;
    }
    QTest::addRow("ReportTime 8, Extras 4 and Com 6 name no item")
        << Settings{{"ReportTime", "8"}, {"Extras", "4"}, {"Com", "6"}, {"Debug", "1"}}
        << with("debug=1 terminal=1") << kDefaultShell << 3;
}

void TestSettings::startRestoresTheStore() {
    QFETCH(Settings, stored);
    QFETCH(QString, state);
    QFETCH(QString, shell);
    QFETCH(int, errors);
    store(stored);
    Form_Velmora &main = start();
    QCOMPARE(menuState(main), state);
    QCOMPARE(main.Menu_Extras_61_ES_Tag, shell);
    QCOMPARE(env->errors.calls.size(), errors);
    for (const ErrBoxCall &call : env->errors.calls)
        QCOMPARE(call, (ErrBoxCall{"LoadConfig", "Form_Velmora", 9, call.message, call.line}));
}

void TestSettings::commandLinePortIsForThisRunOnly() {
    PtyPair three;
    three.assignToPort(3);
    sim = std::make_unique<Sim::ReceiverSimulator>(QStringLiteral("R0088"), false);
    QVERIFY(sim->openPty());
    qputenv("VELMORA_COM4", sim->devicePath().toLocal8Bit());
    QByteArray atFour;
    connect(sim.get(), &Sim::ReceiverSimulator::bytesReceived,
            [&](const QByteArray &b) { atFour += b; });
    store({{"Com", "3"}});
    setCommand(QStringLiteral("-C4"));

    Form_Velmora &main = start();
    QCOMPARE(main.Line1->text(), QStringLiteral("Connected"));
    QCOMPARE(Form_Com::instance().Com->CommPort(), 4L);
    QVERIFY(atFour.startsWith("\x11"
                              "000\x03"));
    QCOMPARE(three.read(200), QByteArray());
    QCOMPARE(checkedItems(main.Menu_Setup_Port), QStringLiteral("3"));
    end();
    QCOMPARE(saved(env->settingsFile()).value(QStringLiteral("Com")), QStringLiteral("3"));
    // Without the option the next run uses the stored port again.
    QCOMPARE(Form_Com::instance().Com->CommPort(), 1L);
    start();
    QCOMPARE(Form_Com::instance().Com->CommPort(), 3L);
}

void TestSettings::roundTripThroughARestart_data() {
    QTest::addColumn<Settings>("before");
    QTest::addColumn<QStringList>("clicks"); // menu items picked in this order
    QTest::addColumn<Settings>("written");
    QTest::addColumn<QString>("restored");
    QTest::addColumn<QString>("shell");

    const QString command = QStringLiteral("/opt/tools/run me.sh --flag=\"a b\" c:\\x");
    QTest::addRow("everything changed")
        << Settings{} << QStringList{"port 4", "report 6", "zone2", "es 3 " + command,
                                     "debug",  "yamaha",   "winamp"}
        << Settings{{"Com", "4"},
                    {"ReportTime", "6"},
                    {"Mode", "2"},
                    {"Extras", "3"},
                    {"Debug", "1"},
                    {"Shell", command},
                    {"MediaKeyYamaha", "1"},
                    {"MediaKeyWinamp", "1"}}
        << "port=4 com=4 report=6 main=0 zone2=1 es=3 debug=1 terminal=1 yamaha=1 winamp=1"
        << command;
    QTest::addRow("everything back")
        << Settings{{"Com", "4"},
                    {"ReportTime", "6"},
                    {"Mode", "2"},
                    {"Extras", "2"},
                    {"Debug", "1"},
                    {"Shell", "/bin/true"},
                    {"MediaKeyYamaha", "1"},
                    {"MediaKeyWinamp", "1"}}
        << QStringList{"port 1", "report 0", "main", "es 2", "debug", "yamaha", "winamp"}
        << Settings{{"Com", "1"},
                    {"ReportTime", "0"},
                    {"Mode", "1"},
                    {"Extras", ""},
                    {"Debug", ""},
                    {"Shell", "/bin/true"},
                    {"MediaKeyYamaha", "0"},
                    {"MediaKeyWinamp", "0"}}
        << kBuiltIn << "/bin/true";
    QTest::addRow("shell command cancelled keeps the old one")
        << Settings{{"Extras", "1"}, {"Shell", "/bin/true"}} << QStringList{"es 3"}
        << Settings{{"Com", "1"},
                    {"ReportTime", "0"},
                    {"Mode", "1"},
                    {"Extras", ""},
                    {"Debug", ""},
                    {"Shell", "/bin/true"},
                    {"MediaKeyYamaha", "0"},
                    {"MediaKeyWinamp", "0"}}
        << kBuiltIn << "/bin/true";
}

void TestSettings::roundTripThroughARestart() {
    QFETCH(Settings, before);
    QFETCH(QStringList, clicks);
    QFETCH(Settings, written);
    QFETCH(QString, restored);
    QFETCH(QString, shell);
    if (!before.isEmpty()) store(before);

    Form_Velmora &main = start();
    for (const QString &click : clicks) {
        const QString what = click.section(QLatin1Char(' '), 0, 0);
        const QString arg = click.section(QLatin1Char(' '), 1);
        if (what == QLatin1String("port")) main.Menu_Setup_Port(arg.toInt())->trigger();
        if (what == QLatin1String("report")) main.Menu_Setup_ReportTime(arg.toInt())->trigger();
        if (what == QLatin1String("zone2")) main.Menu_Mode_Zone2->trigger();
        if (what == QLatin1String("main")) main.Menu_Mode_Main->trigger();
        if (what == QLatin1String("debug")) main.Menu_Setup_Debug->trigger();
        if (what == QLatin1String("yamaha")) main.Menu_Extras_MT_Yamaha->trigger();
        if (what == QLatin1String("winamp")) main.Menu_Extras_MT_Winamp->trigger();
        if (what == QLatin1String("es")) {
            // Item 3 asks for the command; no text given cancels the box.
            const int item = arg.section(QLatin1Char(' '), 0, 0).toInt();
            const QString text = arg.section(QLatin1Char(' '), 1);
            if (item == 3)
                env->dialogs->answerInput(text.isEmpty() ? std::nullopt
                                                         : std::optional<QString>(text));
            main.Menu_Extras_61_ES(item)->trigger();
        }
    }
    const QString beforeEnd = menuState(main);
    end();
    QCOMPARE(saved(env->settingsFile()), written);

    Form_Velmora &again = start();
    QCOMPARE(menuState(again), restored);
    QCOMPARE(menuState(again), beforeEnd);
    QCOMPARE(again.Menu_Extras_61_ES_Tag, shell);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestSettings::refusedEndSavesNothing() {
    store({{"Com", "2"}});
    QFile file(env->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    Form_Velmora &main = start();
    main.Menu_Setup_Port(5)->trigger();
    clsAddIn refusing(QStringLiteral("R"));
    connect(&refusing, &clsAddIn::Unload, [](int *Cancel) { *Cancel = 1; });
    gAddIns->Add(&refusing);
    QVERIFY(!main.close());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();

    gAddIns->Remove(QStringLiteral("R"));
    QVERIFY(main.close());
    QCOMPARE(saved(env->settingsFile()).value(QStringLiteral("Com")), QStringLiteral("5"));
}

void TestSettings::failedSaveKeepsThePreviousFile_data() {
    QTest::addColumn<QString>("how");
    QTest::addRow("disk full") << "size limit";
    QTest::addRow("folder without write permission") << "read-only";
}

void TestSettings::failedSaveKeepsThePreviousFile() {
    QFETCH(QString, how);
    const bool readOnly = how == QLatin1String("read-only");
    if (readOnly && geteuid() == 0) QSKIP("permissions do not stop root");

    Form_Velmora &main = start();
    main.SaveConfig();
    QFile file(env->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    main.Menu_Setup_Port(2)->trigger();
    main.Menu_Extras_61_ES_Tag = QStringLiteral("/a/command/long/enough/to/need/more/room");

    const QString folder = QFileInfo(file).absolutePath();
    rlimit limit{};
    if (readOnly) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        // Writes past a few bytes fail as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        rlimit tiny = limit;
        tiny.rlim_cur = 8;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    main.SaveConfig();
    if (readOnly)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    else
        setrlimit(RLIMIT_FSIZE, &limit);

    QCOMPARE(env->errors.calls.size(), 1);
    QVERIFY2(env->errors.contains(QStringLiteral("Form_Velmora"), QStringLiteral("SaveConfig"), 75),
             qPrintable(env->errors.describe()));
    QVERIFY(env->errors.calls.first().message.contains(env->settingsFile()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();
    // Once the store can be written again, the next save goes through.
    main.SaveConfig();
    QCOMPARE(saved(env->settingsFile()).value(QStringLiteral("Com")), QStringLiteral("2"));
    QCOMPARE(env->errors.calls.size(), 1);
}

void TestSettings::killedSaveLeavesOneWholeSet() {
    // The first complete set, as an earlier run left it.
    Form_Velmora &main = Form_Velmora::instance();
    applyRound(main, 0);
    main.SaveConfig();
    const QString file = env->settingsFile();
    QString why;
    QCOMPARE(roundInFile(file, why), 0);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    QProcessEnvironment childEnv = QProcessEnvironment::systemEnvironment();
    childEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(childEnv);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    constexpr int kKills = 100;
    int last = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        child.setArguments(
            {QStringLiteral("--save-loop"), env->settingsFolder(), QString::number(last + 1)});
        child.start();
        // Killed at a random moment of its saving, a few dozen saves at most.
        QVERIFY2(child.waitForReadyRead(20000), qPrintable(child.errorString()));
        QThread::usleep(random.bounded(20000u));
        child.kill(); // SIGKILL: no handler, no destructor, no flush runs
        QVERIFY(child.waitForFinished(10000));
        // A failed save ends the loop by itself, with its error on the output.
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const int n = roundInFile(file, why);
        QVERIFY2(
            n >= 0,
            qPrintable(QStringLiteral("after kill %1 (seed %2): %3").arg(kill).arg(seed).arg(why)));
        // The set the killed run had completed first, or one it completed after it.
        QVERIFY2(n > last, qPrintable(QStringLiteral("round %1 after %2").arg(n).arg(last)));
        last = n;
    }

    // Whatever a killed save left behind does not stand in the way of the next one.
    applyRound(main, last + 1);
    main.SaveConfig();
    QCOMPARE(roundInFile(file, why), last + 1);
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

void TestSettings::emptyLockFileDoesNotHoldUpTheSave() {
    // What a save killed right after creating its lock file leaves behind.
    QVERIFY(QDir().mkpath(env->settingsFolder() + QStringLiteral("/Velmora")));
    QFile lock(env->settingsFile() + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();

    Form_Velmora &main = Form_Velmora::instance();
    applyRound(main, 3);
    QElapsedTimer clock;
    clock.start();
    main.SaveConfig();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed()))); // not 30 s
    QString why;
    QCOMPARE(roundInFile(env->settingsFile(), why), 3);
    QVERIFY(!lock.exists());
    QVERIFY2(env->errors.calls.isEmpty(), qPrintable(env->errors.describe()));
}

// "@" stands for the test's folder; the program runs from "@/bin".
void TestSettings::programFileLocations_data() {
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("stateHome");
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("addIns");
    QTest::newRow("build tree") << false << "@/state"
                                << "@/data"
                                << "@/bin/debug.txt" << QStringList{"@/bin/AddIn"};
    QTest::newRow("installed") << true << "@/state"
                               << "@/data"
                               << "@/state/Velmora/debug.txt"
                               << QStringList{"@/lib/velmora/AddIn", "@/data/Velmora/AddIn"};
    QTest::newRow("installed, no XDG folders")
        << true << ""
        << ""
        << "@/home/.local/state/Velmora/debug.txt"
        << QStringList{"@/lib/velmora/AddIn", "@/home/.local/share/Velmora/AddIn"};
    QTest::newRow("installed, relative XDG folders")
        << true << "state"
        << "data"
        << "@/home/.local/state/Velmora/debug.txt"
        << QStringList{"@/lib/velmora/AddIn", "@/home/.local/share/Velmora/AddIn"};
}

void TestSettings::programFileLocations() {
    QFETCH(bool, installed);
    QFETCH(QString, stateHome);
    QFETCH(QString, dataHome);
    QFETCH(QString, log);
    QFETCH(QStringList, addIns);
    const QString root = env->folder();
    QVERIFY(QDir(root).mkpath(installed ? "bin/../lib/velmora/AddIn" : "bin"));
    setProgramFolder(root + "/bin");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("XDG_STATE_HOME", stateHome.replace('@', root).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome.replace('@', root).toLocal8Bit());
    const QStringList logs = ::programFileLocations(ProgramFile::TrafficLog);
    const QStringList folders = ::programFileLocations(ProgramFile::AddIns);
    qputenv("HOME", home);
    qunsetenv("XDG_STATE_HOME");
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(logs, QStringList{log.replace('@', root)});
    QCOMPARE(folders, addIns.replaceInStrings("@", root));
}

int main(int argc, char *argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--save-loop") == 0) return saveLoop(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
