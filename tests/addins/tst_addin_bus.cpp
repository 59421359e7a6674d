// SPDX-License-Identifier: GPL-3.0-or-later
// The add-in host on a private session bus, used by real clients in their own processes:
// velmora-ctl watching and a client with an event sink.
#include "addins/AddInService.h"
#include "addins/clsAddIns.h"
#include "support/WindowSuite.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

class TestAddInBus : public WindowSuite {
    Q_OBJECT

    Form_Velmora &serving() {
        startAddInService();
        if (!addInService()) qFatal("the add-in service did not start on the test bus");
        return connected();
    }

private Q_SLOTS:
    void init() {
        WindowSuite::init();
        gAddIns = std::make_unique<clsAddIns>();
    }

    // Clients in their own processes: "watch" hears reports, a client's event sink refuses the
    // end; each host object goes with its client.
    void clientsHearReportsAndVetoTheEnd() {
        Form_Velmora &main = serving();
        QSignalSpy refresh(gAddIns.get(), &clsAddIns::Refresh);
        QProcess watch, sink;
        watch.start(QStringLiteral(VELMORA_CTL), {"watch"});
        QTRY_COMPARE(gAddIns->Count(), 1L);
        sim->control("volume up 2");
        QTRY_VERIFY(watch.peek(4096).contains("report 202679\nvolume -39.0 dB\n"));
        watch.kill();
        QTRY_COMPARE(gAddIns->Count(), 0L);
        QCOMPARE(refresh.count(), 2);
        watch.waitForFinished();

        sink.start(QStringLiteral(VELMORA_SINK_CLIENT), {"1"});
        QTRY_VERIFY(sink.canReadLine()); // "ready"
        QCOMPARE(gAddIns->Count(), 1L);
        QVERIFY(!main.close());
        QVERIFY(main.isVisible());
        sink.kill();
        sink.waitForFinished();
        QTRY_COMPARE(gAddIns->Count(), 0L);
        QVERIFY(main.close());
    }
};

QTEST_MAIN(TestAddInBus)
#include "tst_addin_bus.moc"
