// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host: registry, broadcasts, host object, manager window and the add-in folder.
#include "addins/AddInLoaderList.h"
#include "addins/Form_AddIns.h"
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "addins/modFindAddIn.h"
#include "base/ProgramFolder.h"
#include "support/WindowSuite.h"

#include <velmora/AddInHost.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMetaEnum>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {
// What an add-in heard, in the order all of them heard it.
struct Heard {
    QStringList events;
    void listen(clsAddIn &a) {
        const QString id = a.AddInID();
        QObject::connect(&a, &clsAddIn::Terminate, [this, id] { events << id + ":Terminate"; });
        QObject::connect(&a,
                         qOverload<long, const QString &, const QString &, long, const QString &>(
                             &clsAddIn::AddInMessage),
                         [this, id](long msg, const QString &sender, const QString &receiver,
                                    long p1, const QString &p2) {
                             events << QStringLiteral("%1:Msg %2 %3 '%4' %5 '%6'")
                                           .arg(id)
                                           .arg(msg)
                                           .arg(sender, receiver)
                                           .arg(p1)
                                           .arg(p2);
                         });
    }
};

// "target=source" copies a test plug-in into a folder; "target=" writes a file that is no library.
void placeFiles(const QStringList &files, const QString &folder) {
    QVERIFY(QDir().mkpath(folder));
    const QDir plugins(QStringLiteral(VELMORA_TEST_PLUGINS));
    for (const QString &file : files) {
        const QString target = folder + QLatin1Char('/') + file.section(QLatin1Char('='), 0, 0);
        const QString source = file.section(QLatin1Char('='), 1);
        if (!source.isEmpty()) {
            QVERIFY(QFile::copy(plugins.filePath(source), target));
            continue;
        }
        QFile garbage(target);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("not a library");
    }
}

// The names of the registered add-ins, oldest first.
QStringList registeredNames() {
    QStringList names;
    for (long i = 1; i <= gAddIns->Count(); ++i)
        names << gAddIns->Item(i)->AddInName();
    return names;
}
} // namespace

class TestAddIns : public WindowSuite {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        WindowSuite::init();
        gAddIns = std::make_unique<clsAddIns>(&Form_Com::instance());
    }

    void registrationIsUniqueByID() {
        QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
        clsAddIn a("A"), again("A");
        a.AddInRegister();
        a.AddInRegister();
        gAddIns->Add(&again); // the same ID replaces the entry
        QCOMPARE(gAddIns->Count(), 1L);
        QCOMPARE(gAddIns->Item(1), &again);
        QVERIFY(!a.bRegistered());
        QCOMPARE(refresh.count(), 3);                     // added, removed, added
        std::make_unique<clsAddIn>("B")->AddInRegister(); // a host object that goes leaves
        QCOMPARE(gAddIns->Count(), 1L);
        QCOMPARE(refresh.count(), 5);
    }

    void broadcastsReachTheNewestFirst() {
        Heard heard;
        clsAddIn a("A"), b("B"), foreign("F"), c("C");
        b.fHostLoaded = c.fHostLoaded = true;
        for (clsAddIn *x : {&a, &b, &foreign, &c}) {
            x->AddInRegister();
            heard.listen(*x);
        }
        // A message reaches every add-in with its sender, the sender too.
        a.AddInMessage(5);
        QCOMPARE(heard.events, (QStringList{"C:Msg 5 A '' 0 ''", "F:Msg 5 A '' 0 ''",
                                            "B:Msg 5 A '' 0 ''", "A:Msg 5 A '' 0 ''"}));
        heard.events.clear();
        b.AddInMessage(7, "C", 3, "x");
        QCOMPARE(heard.events.first(), "C:Msg 7 B 'C' 3 'x'");
        heard.events.clear();
        // Terminate spares the caller and leaves the add-ins of other programs registered.
        a.AddInTerminate("A"); // its own ID: nothing
        a.AddInTerminate("nobody");
        QVERIFY(heard.events.isEmpty());
        a.AddInTerminate(QString());
        QCOMPARE(heard.events, (QStringList{"C:Terminate", "F:Terminate", "B:Terminate"}));
        QCOMPARE(gAddIns->Item(2), &foreign);
        heard.events.clear();
        a.AddInTerminate("F");
        QCOMPARE(heard.events, QStringList{"F:Terminate"});
        QCOMPARE(gAddIns->Count(), 2L); // another program's add-in leaves by itself
    }

    void failingAddInDoesNotStopTheBroadcast() {
        clsAddIn first("1"), failing("2");
        QStringList got;
        connect(&first, &clsAddIn::ReceivedCommand, [&](const QString &s) { got << s; });
        connect(&failing, &clsAddIn::ReceivedCommand,
                [](const QString &) { throw RuntimeError(ErrNr::Overflow, "boom"); });
        first.AddInRegister();
        failing.AddInRegister();
        gAddIns->SemdIncommingCommand("002001");
        QCOMPARE(got, QStringList{"002001"});
        QCOMPARE(env->errors.calls.size(), 1);
        QVERIFY(env->errors.contains("clsAddIns", QStringLiteral("SemdIncommingCommand"),
                                     ErrNr::Overflow));
    }

    // The media player's commands as a plug-in reads them off the host object's meta-object:
    // VelmoraWinamp_<name>=<value>.
    void winampCommandsByName() {
        const QMetaObject &meta = clsAddIn::staticMetaObject;
        const QMetaEnum commands = meta.enumerator(meta.indexOfEnumerator("enumVelmoraWinamp"));
        for (const QString &command :
             QStringLiteral("QUIT=40001 OPEN_FILE_TO_PLAY=40029 TIME_REMAINING=40037 "
                            "TIME_ELAPSED=40038 OPTIONS_PLEDIT=40040 HELP_ABOUT=40041 "
                            "POPUPMENU=40043 JMP_STARTPOS=40045 PAUSE=40046 STOP=40047 "
                            "NEXTSONG=40048 VOLUMEUP=40058 VOLUMEDOWN=40059 FFWDSS=40060 "
                            "REW5S=40061 OPENLOCATION=40155 DOUBLESIZE=40165 OPENDIRECTORY=40187 "
                            "SHOWFILEINFO=40188 PREFERENCES=40191 VISUALISATION=40192 "
                            "JMP_TO_TIME=40193 PLAYLIST_JMP_TO_FILE=40194 PREVSONG=40198")
                 .split(' '))
            QCOMPARE(commands.keyToValue(qPrintable("VelmoraWinamp_" + command.section('=', 0, 0))),
                     command.section('=', 1).toInt());
        QCOMPARE(commands.keyCount(), 24);
    }

    // A plug-in calls the host object through the add-in headers (velmora/AddInHost.h), which
    // reach every member by name: a name that drifted from the host object fails the test.
    void membersThroughTheAddInHeaders() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("invokeMethod|connect")));
        sim = std::make_unique<SimulatedReceiver>();
        clsAddIn a("A");
        const Velmora::Host host(&a);
        QObject listener;
        for (const char *event : Velmora::Event::All)
            QVERIFY(
                QObject::disconnect(QObject::connect(&a, event, &listener, SLOT(deleteLater()))));
        host.setAddInName("Name");
        host.setAddInVersion("1.2");
        host.setAddInCopyright("(c)");
        QCOMPARE(QStringList({host.AddInName(), host.AddInVersion(), host.AddInCopyright()}),
                 QStringList({"Name", "1.2", "(c)"}));
        QCOMPARE(host.AddInID(), "A");
        QCOMPARE(host.AddInCreateDate(), a.AddInCreateDate());
        // Unregistered: the members that need registration do nothing.
        QString line1 = QStringLiteral("kept"), line2 = QStringLiteral("kept");
        QString modelID, model, version, answer;
        QCOMPARE(host.GetInformation(modelID, model, version, answer), 0L);
        QCOMPARE(host.WinampGetStatus(), 0L);
        host.Show();
        host.Hide();
        host.About();
        host.Disconnect();
        host.ReadSettings();
        host.Connect();
        host.AddInTerminate("B");
        host.Quit();
        QVERIFY(!host.Visible() && host.WindowState() == 0);
        QVERIFY(modelID.isEmpty());
        host.AddInRegister(); // loads the main window without showing it
        Form_Velmora::destroyNow();
        host.GetText(line1, line2); // no main window: nothing to copy
        QCOMPARE(line1, "kept");
        host.AddInUnRegister();
        Form_Velmora &main = sim->connectMainWindow();
        host.SendCommand("07A16");
        host.GetText(line1, line2);
        QCOMPARE(line1, "kept");
        QVERIFY(!host.Connected());
        QCOMPARE(host.Version(), stAppVersion); // these need no registration
        QCOMPARE(host.WinampSendCommand(VelmoraWinamp_PAUSE), 0L);

        host.AddInRegister();
        QVERIFY(host.Connected());
        host.SendCommand("\00207A16"); // frame bytes never reach the line
        QVERIFY(env->errors.contains("clsAddIn", "SendCommand", ErrNr::InvalidProcedureCall));
        host.SendCommand("07A16");
        QTRY_COMPARE(main.Line1->text(), "INPUT TUNER");
        host.GetText(line1, line2);
        QCOMPARE(line1, "INPUT TUNER");
        host.GetInformation(modelID, model, version, answer);
        QCOMPARE(modelID, "R0088");
        // Connect on an open connection switches the receiver on, whatever it is asked.
        bool powerOn = false;
        host.Connect(&powerOn);
        QVariant block;
        host.ReadSettings(&block);
        QVERIFY(block.toString().startsWith(QLatin1Char('\x12')));
        QCOMPARE(commandsIn(sim->takeReceived()), (QStringList{"07A16", "07A1D"}));
        Heard heard;
        heard.listen(a);
        host.AddInMessage(7, "B", 3, "x");
        host.AddInMessage(8);
        QCOMPARE(heard.events, (QStringList{"A:Msg 7 A 'B' 3 'x'", "A:Msg 8 A '' 0 ''"}));
        host.Disconnect();
        QVERIFY(!host.Connected());
        QCOMPARE(env->errors.calls.size(), 1); // the refused command's
    }

    void managerWindowFollowsTheRegistry() {
        clsAddIn a("A"), b("B");
        a.setAddInName("Tray");
        a.setAddInVersion("1.2");
        a.setAddInCopyright("(c) V");
        a.AddInRegister();
        Form_Velmora::instance().Menu_AddIn->trigger();
        Form_AddIns *manager = Form_AddIns::existing();
        QVERIFY(manager && manager->isVisible());
        QVERIFY(manager->lstAddIns->item(0)->text().startsWith("Tray; 1.2; (c) V; "));
        b.AddInRegister(); // appears without the user doing anything
        QCOMPARE(manager->lstAddIns->count(), 2);
        QVERIFY(manager->lstAddIns->item(1)->text().startsWith("; ; ; "));
        a.AddInUnRegister();
        QCOMPARE(manager->lstAddIns->count(), 1);
        manager->cmdOk->click();
        QTRY_VERIFY(!Form_AddIns::existing());
        b.AddInUnRegister(); // no window left to refresh
    }

    // Enter on a line opens the settings of an add-in the program loaded, when it has any.
    void managerOpensAnAddInsSettings_data() {
        columns<QString, bool, int>("addIn", "hostLoaded", "calls");
        row("with Settings()", "Tools", true, 1);
        row("without", "NameOnly", true, 0);
        row("of another program", "Tools", false, 0);
    }
    void managerOpensAnAddInsSettings() {
        QFETCH(QString, addIn);
        QFETCH(bool, hostLoaded);
        QFETCH(int, calls);
        placeFiles({"b.so=b_nameonly.so", "d.so=d_tools.so"}, env->file("AddIn"));
        Form_Velmora::instance().Load();
        const int line = registeredNames().indexOf(addIn);
        clsAddIn *host = gAddIns->Item(line + 1);
        host->fHostLoaded = hostLoaded;
        Form_Velmora::instance().Menu_AddIn->trigger();
        QListWidget *list = Form_AddIns::existing()->lstAddIns;
        list->setCurrentRow(line);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(host->parent()->property("settings").toInt(), calls);
        QCOMPARE(!list->item(line)->toolTip().isEmpty(), calls > 0);
    }

    void loaderResultsAndIdentifiers() {
        QCOMPARE(LoadAddIn(nullptr), -1L);
        QObject notAnAddIn; // lacks the loader calls
        QCOMPARE(LoadAddIn(&notAnAddIn), ErrNr::NoSuchMember);
        QCOMPARE(CreateAddInObject("NoLib.NoClass"), nullptr);
        QCOMPARE(chooseAddInClass({}), QString()); // a library that names no class
        // Identifiers: the bytes in storage order, a new one each time.
        QByteArray bytes;
        for (int i = 0; i < 16; ++i)
            bytes += char(i * 17);
        QCOMPARE(guidText(bytes), "00112233-4455-6677-8899-AABBCCDDEEFF");
        QVERIFY(CreateGUID() != CreateGUID());
    }

    void folderAddInsLoadAtStart() {
        const QDir plugins(QStringLiteral(VELMORA_TEST_PLUGINS));
        QVERIFY(QDir(env->folder()).mkdir("AddIn"));
        const QString folder = env->file("AddIn");
        for (const QString &name : plugins.entryList({"*.so"}, QDir::Files))
            QVERIFY(QFile::copy(plugins.filePath(name), folder + QLatin1Char('/') + name));
        placeFiles({"c_garbage.so="}, folder); // and a Qt plug-in of another kind, passed over

        Form_Velmora::instance().Load();
        QStringList names, ids;
        for (long i = 1; i <= gAddIns->Count(); ++i) {
            clsAddIn *host = gAddIns->Item(i);
            names << host->AddInName();
            ids << host->AddInID();
            QVERIFY(host->fHostLoaded && host->bRegistered());
            // The add-in object was handed its host object.
            QCOMPARE(host->parent()->property("host").value<QObject *>(), host);
        }
        // Folder order; of each library the only class, else the first with "AddIn" in its name
        // in any case, else the last. "Nothing" gave no texts and was let go.
        QCOMPARE(names, (QStringList{"Myaddin", "NameOnly", "Tools", "Utility"}));
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 4);
        QCOMPARE(gAddInLoaders->Count(), 4L);
        QCOMPARE(env->errors.calls.size(), 1);
        QVERIFY(env->errors.contains("modFindAddIn", "FindAddIns", ErrNr::DllLoad));
    }

    // An installed program reads the installed add-in folder and then the user's; of one file
    // name only the user's copy counts.
    void userCopyWins() {
        const QString root = env->folder();
        placeFiles({"x.so=e_one.so", "y.so=b_nameonly.so"}, root + "/lib/velmora/AddIn");
        placeFiles({"x.so=d_tools.so"}, root + "/data/Velmora/AddIn");
        QVERIFY(QDir(root).mkdir("bin"));
        setProgramFolder(root + QStringLiteral("/bin"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
        Form_Velmora::instance().Load();
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(registeredNames(), (QStringList{"NameOnly", "Tools"}));
        VERIFY_NO_ERROR_BOX();
    }
};

QTEST_MAIN(TestAddIns)
#include "tst_addins.moc"
