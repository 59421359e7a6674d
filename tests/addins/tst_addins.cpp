// The add-in host: the registry's rules and broadcasts, the host object's members, the manager
// window kept current, and the add-in folder loaded from plug-ins built by the tests.
#include "addins/AddInLoaderList.h"
#include "addins/Form_AddIns.h"
#include "addins/clsAddIn.h"
#include "addins/clsAddIns.h"
#include "addins/modFindAddIn.h"
#include "app/Form_Velmora.h"
#include "app/Globals.h"
#include "support/SentCommands.h"
#include "support/SimulatedReceiver.h"
#include "support/TestEnvironment.h"
#include "ui/Form_Mini.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
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
} // namespace

class TestAddIns : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void registrationIsUniqueByID();
    void messagesReachEveryAddInWithTheSender();
    void terminateSparesTheCallerAndKeepsForeignAddIns();
    void failingAddInDoesNotStopTheBroadcast();
    void membersNeedRegistration();
    void windowMembersActOnTheMiniWindowInMiniMode();
    void managerWindowFollowsTheRegistry();
    void guidInStorageOrder();
    void loaderResults();
    void classChoice_data();
    void classChoice();
    void folderAddInsLoadAtStart();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatedReceiver> sim;
};

void TestAddIns::init() {
    env = std::make_unique<TestEnvironment>();
    gAddIns = std::make_unique<clsAddIns>();
}

void TestAddIns::cleanup() {
    env.reset();
    sim.reset();
}

void TestAddIns::registrationIsUniqueByID() {
    QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
    clsAddIn a(QStringLiteral("A")), again(QStringLiteral("A"));
    a.AddInRegister();
    a.AddInRegister();
    QCOMPARE(gAddIns->Count(), 1L);
    QVERIFY(a.bRegistered());
    gAddIns->Add(&again); // the same ID replaces the entry
    QCOMPARE(gAddIns->Count(), 1L);
    QCOMPARE(gAddIns->Item(1), &again);
    QVERIFY(!a.bRegistered());
    QCOMPARE(refresh.count(), 3); // added, removed, added
    {
        clsAddIn b(QStringLiteral("B"));
        b.AddInRegister();
        QCOMPARE(gAddIns->Count(), 2L);
    } // a host object that goes leaves the registry
    QCOMPARE(gAddIns->Count(), 1L);
    QCOMPARE(refresh.count(), 5);
}

void TestAddIns::messagesReachEveryAddInWithTheSender() {
    Heard heard;
    clsAddIn a(QStringLiteral("A")), b(QStringLiteral("B")), c(QStringLiteral("C"));
    for (clsAddIn *x : {&a, &b, &c}) {
        x->AddInRegister();
        heard.listen(*x);
    }
    a.AddInMessage(5);
    // The most recently registered hears first; the sender hears too.
    QCOMPARE(heard.events,
             (QStringList{"C:Msg 5 A '' 0 ''", "B:Msg 5 A '' 0 ''", "A:Msg 5 A '' 0 ''"}));
    heard.events.clear();
    b.AddInMessage(7, QStringLiteral("C"), 3, QStringLiteral("x"));
    QCOMPARE(heard.events.size(), 3);
    QCOMPARE(heard.events.first(), QStringLiteral("C:Msg 7 B 'C' 3 'x'"));
}

void TestAddIns::terminateSparesTheCallerAndKeepsForeignAddIns() {
    Heard heard;
    clsAddIn a(QStringLiteral("A")), b(QStringLiteral("B")), c(QStringLiteral("C")),
        foreign(QStringLiteral("F"));
    b.fHostLoaded = c.fHostLoaded = true;
    for (clsAddIn *x : {&a, &b, &foreign, &c}) {
        x->AddInRegister();
        heard.listen(*x);
    }
    a.AddInTerminate(QStringLiteral("A")); // its own ID: nothing
    a.AddInTerminate(QStringLiteral("nobody"));
    QVERIFY(heard.events.isEmpty());
    a.AddInTerminate(QString());
    QCOMPARE(heard.events, (QStringList{"C:Terminate", "F:Terminate", "B:Terminate"}));
    QCOMPARE(gAddIns->Count(), 2L);
    QCOMPARE(gAddIns->Item(1), &a);
    QCOMPARE(gAddIns->Item(2), &foreign);
    heard.events.clear();
    a.AddInTerminate(QStringLiteral("F"));
    QCOMPARE(heard.events, QStringList{"F:Terminate"});
    QCOMPARE(gAddIns->Count(), 2L); // another program's add-in leaves by itself
}

void TestAddIns::failingAddInDoesNotStopTheBroadcast() {
    clsAddIn first(QStringLiteral("1")), failing(QStringLiteral("2"));
    QStringList got;
    connect(&first, &clsAddIn::ReceivedCommand, [&](const QString &s) { got << s; });
    connect(&failing, &clsAddIn::ReceivedCommand,
            [](const QString &) { throw RuntimeError(ErrNr::Overflow, QStringLiteral("boom")); });
    first.AddInRegister();
    failing.AddInRegister();
    gAddIns->SemdIncommingCommand(QStringLiteral("002001"));
    QCOMPARE(got, QStringList{"002001"});
    QCOMPARE(env->errors.calls.size(), 1);
    QVERIFY(env->errors.contains(QStringLiteral("clsAddIns"),
                                 QStringLiteral("SemdIncommingCommand"), ErrNr::Overflow));
}

void TestAddIns::membersNeedRegistration() {
    sim = std::make_unique<SimulatedReceiver>();
    clsAddIn a(QStringLiteral("A"));
    QString line1 = QStringLiteral("kept"), line2 = QStringLiteral("kept");
    a.AddInRegister(); // loads the main window without showing it
    Form_Velmora::destroyNow();
    a.GetText(line1, line2); // no main window: nothing to copy
    QCOMPARE(line1, QStringLiteral("kept"));
    a.AddInUnRegister();
    Form_Velmora &main = sim->connectMainWindow();
    a.SendCommand(QStringLiteral("07A16"));
    a.GetText(line1, line2);
    QCOMPARE(line1, QStringLiteral("kept"));
    QVERIFY(!a.Connected());
    QCOMPARE(a.Version(), stAppVersion); // these need no registration

    a.AddInRegister();
    QVERIFY(a.Connected());
    a.SendCommand(QStringLiteral("07A16"));
    QTRY_COMPARE(main.Line1->text(), QStringLiteral("INPUT TUNER"));
    a.GetText(line1, line2);
    QCOMPARE(line1, QStringLiteral("INPUT TUNER"));
    // Connect on an open connection switches the receiver on, whatever it is asked.
    bool powerOn = false;
    a.Connect(&powerOn);
    QVariant block;
    a.ReadSettings(&block);
    QVERIFY(block.toString().startsWith(QLatin1Char('\x12')));
    QCOMPARE(commandsIn(sim->takeReceived()), (QStringList{"07A16", "07A1D"}));
    a.Disconnect();
    QVERIFY(!a.Connected());
    QVERIFY(env->errors.calls.isEmpty());
}

void TestAddIns::windowMembersActOnTheMiniWindowInMiniMode() {
    clsAddIn a(QStringLiteral("A"));
    a.AddInRegister();
    Form_Velmora &main = Form_Velmora::instance();
    QVERIFY(!a.Visible());
    a.Show();
    QVERIFY(main.isVisible());
    QCOMPARE(a.WindowState(), 0L);
    a.Hide();
    QVERIFY(!main.isVisible());
    bMiniMode = true;
    a.Show();
    QVERIFY(Form_Mini::instance().isVisible());
    QVERIFY(a.Visible());
    QVERIFY(!main.isVisible());
    a.Hide();
    QVERIFY(!Form_Mini::instance().isVisible());
}

void TestAddIns::managerWindowFollowsTheRegistry() {
    clsAddIn a(QStringLiteral("A")), b(QStringLiteral("B"));
    a.setAddInName(QStringLiteral("Tray"));
    a.setAddInVersion(QStringLiteral("1.2"));
    a.setAddInCopyright(QStringLiteral("(c) V"));
    a.AddInRegister();
    Form_Velmora::instance().Menu_AddIn->trigger();
    Form_AddIns *manager = Form_AddIns::existing();
    QVERIFY(manager && manager->isVisible());
    QCOMPARE(manager->windowTitle(), QStringLiteral("AddIn"));
    QCOMPARE(manager->lstAddIns->count(), 1);
    QVERIFY(manager->lstAddIns->item(0)->text().startsWith(QStringLiteral("Tray; 1.2; (c) V; ")));
    b.AddInRegister(); // appears without the user doing anything
    QCOMPARE(manager->lstAddIns->count(), 2);
    QVERIFY(manager->lstAddIns->item(1)->text().startsWith(QStringLiteral("; ; ; ")));
    a.AddInUnRegister();
    QCOMPARE(manager->lstAddIns->count(), 1);
    manager->cmdOk->click();
    QTRY_VERIFY(!Form_AddIns::existing());
    b.AddInUnRegister(); // no window left to refresh
}

void TestAddIns::guidInStorageOrder() {
    QByteArray bytes;
    for (int i = 0; i < 16; ++i)
        bytes += char(i * 17);
    QCOMPARE(guidText(bytes), QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF"));
    const QString id = CreateGUID();
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                .match(id)
                .hasMatch());
    QVERIFY(id != CreateGUID());
}

void TestAddIns::loaderResults() {
    QCOMPARE(LoadAddIn(nullptr), -1L);
    QObject notAnAddIn; // lacks the loader calls
    QCOMPARE(LoadAddIn(&notAnAddIn), ErrNr::NoSuchMember);
    QCOMPARE(CreateAddInObject(QString()), nullptr);
    QCOMPARE(CreateAddInObject(QStringLiteral("NoLib.NoClass")), nullptr);
    QCOMPARE(gAddIns->Count(), 0L);
}

void TestAddIns::classChoice_data() {
    QTest::addColumn<QStringList>("classes");
    QTest::addColumn<QString>("chosen");
    QTest::addRow("one class") << QStringList{"Utility"} << "Utility";
    QTest::addRow("AddIn in a name, any case")
        << QStringList{"Utility", "Myaddin", "OtherAddIn"} << "Myaddin";
    QTest::addRow("else the last") << QStringList{"Utility", "Tools"} << "Tools";
    QTest::addRow("none") << QStringList{} << "";
}

void TestAddIns::classChoice() {
    QFETCH(QStringList, classes);
    QFETCH(QString, chosen);
    QCOMPARE(chooseAddInClass(classes), chosen);
}

void TestAddIns::folderAddInsLoadAtStart() {
    const QDir plugins(QStringLiteral(VELMORA_TEST_PLUGINS));
    QVERIFY(QDir(env->folder()).mkdir(QStringLiteral("AddIn")));
    const QString folder = env->file(QStringLiteral("AddIn"));
    for (const QString &name : plugins.entryList({QStringLiteral("*.so")}, QDir::Files))
        QVERIFY(QFile::copy(plugins.filePath(name), folder + QLatin1Char('/') + name));
    QFile garbage(folder + QStringLiteral("/c_garbage.so"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a library");
    garbage.close();

    Form_Velmora::instance().Load();
    QStringList names;
    QStringList ids;
    for (long i = 1; i <= gAddIns->Count(); ++i) {
        clsAddIn *host = gAddIns->Item(i);
        names << host->AddInName();
        ids << host->AddInID();
        QVERIFY(host->fHostLoaded && host->bRegistered());
        // The add-in object was handed its host object.
        QCOMPARE(host->parent()->property("host").value<QObject *>(), host);
    }
    // Folder order; "Nothing" gave no texts and was let go.
    QCOMPARE(names, (QStringList{"MyAddIn", "NameOnly", "Tools", "Utility"}));
    QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 4);
    QCOMPARE(gAddInLoaders->Count(), 4L);
    QCOMPARE(env->errors.calls.size(), 1);
    QVERIFY(env->errors.contains(QStringLiteral("modFindAddIn"), QStringLiteral("FindAddIns"),
                                 ErrNr::DllLoad));
}

QTEST_MAIN(TestAddIns)
#include "tst_addins.moc"
