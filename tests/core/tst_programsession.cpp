#include "busdispatch.h"
#include "fakemediaplayer.h"
#include "fountainshow.h"
#include "inifile.h"
#include "loopbackbuslink.h"
#include "loopbacksession.h"
#include "programfolder.h"
#include "programsession.h"
#include "scriptedmessages.h"
#include "showdata.h"
#include "udpbuslink.h"

#include <QFile>
#include <QUdpSocket>
#include <QtTest>

// The program at work with no window and no application for one: start-up,
// a show switched on and off from the bus, its time point on the wire. The
// bus is a loopback pair; the test holds the end the gateways would be.
class TestProgramSession : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;
    std::unique_ptr<FakeMediaPlayer> fake;
    LoopbackBusLink* program = nullptr;
    std::unique_ptr<LoopbackBusLink> gateway;
    std::unique_ptr<ProgramSession> session;

    void writeSystemIni(const QString& body)
    {
        QFile f(folder->path(QStringLiteral("Database/System.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(body.toUtf8());
    }

    void makeSession(std::unique_ptr<BusLink> link = {})
    {
        session = link ? MakeTestSession(*fake, *boxes, std::move(link))
                       : MakeLoopbackSession(*fake, *boxes, gateway, &program);
    }

    // The gateway's view of a universal-switch command from a panel (subnet
    // 3, device 4) to the program (1.99).
    void switchFromBus(int switchNo, int status)
    {
        const quint8 payload[2] = {quint8(switchNo), quint8(status)};
        gateway->sendRaw(FrameDatagram({{127, 0, 0, 2}, 3, 3, 4}, BusReceive::UniversalSwitch, 1, 99, payload, 2));
    }

    // The next `count` datagrams to reach the gateway (waiting for them), as
    // "operation code:target device".
    QStringList arrivedAtGateway(int count)
    {
        // Fewer than expected show up in the caller's comparison.
        (void)QTest::qWaitFor([&] { return gateway->arrived().size() >= count; }, 5000);
        return TakeGatewayArrivals(*gateway);
    }

private Q_SLOTS:
    void init()
    {
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        boxes = std::make_unique<ScriptedMessages>();
        fake = std::make_unique<FakeMediaPlayer>();
        QVERIFY(PutFountainShow(*folder, "[IP]\nMUTE=0\nVOL=40\n"));
    }

    void cleanup()
    {
        session.reset();
        fake.reset();
        gateway.reset();
        program = nullptr;
        boxes.reset();
        folder.reset();
    }

    void startUpSnapshotIsRestoredAndTheListReadAfresh()
    {
        makeSession();
        QVERIFY(session->start());
        BackupService& backups = *session->backups();
        QSignalSpy idle(&backups, &BackupService::idle);
        QVERIFY(idle.wait(10000));
        const QVector<SnapshotInfo> taken = backups.snapshots();
        QCOMPARE(taken.size(), 1);
        QCOMPARE(taken[0].counts, (SnapshotCounts{1, 1, 1}));

        // The show is deleted and renamed in Show.ini; the restore brings
        // both back, and the list with them.
        QVERIFY(AddShow(8, 2));
        QVERIFY(RunSql(QStringLiteral("delete from Show where ShowID=7")));
        QVERIFY(session->settingsFiles().ShowIni->write(QStringLiteral("7"), QStringLiteral("ShowName"),
                                                         QStringLiteral("Gone")));
        session->showsEdited();
        QCOMPARE(session->showRows().size(), 1);
        QSignalSpy restored(session.get(), &ProgramSession::backupRestored);
        backups.restore(taken[0]);
        QVERIFY(restored.wait(10000));
        QCOMPARE(restored.at(0).at(0).toString(), taken[0].name);
        QCOMPARE(session->showRows().size(), 1);
        QCOMPARE(session->showRows().at(0).name, QStringLiteral("Fountain"));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show where ShowID=8")), 0);
        QCOMPARE(backups.snapshots().size(), 2); // the state before the restore
    }

    void aBusSwitchPlaysAShowAndItsTimePointGoesOut()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
        makeSession();
        QVERIFY(session->start());
        QCOMPARE(session->showRows().size(), 1);
        QCOMPARE(session->showRows().at(0).name, QStringLiteral("Fountain"));
        QCOMPARE(session->busLink().port(), quint16(6000));
        QCOMPARE(fake->volume(), 40);
        QVERIFY(session->showTimer().isActive());
        // The lookup lists were loaded, with the kind names of the language file.
        QCOMPARE(CommandTypeNameById(session->lookups(), 12), QStringLiteral("Security Alarm"));

        QSignalSpy current(session.get(), &ProgramSession::currentShowChanged);
        switchFromBus(5, 1);
        // The play set, and the answer to the panel.
        QCOMPARE(arrivedAtGateway(2), (QStringList{QStringLiteral("0031:50"), QStringLiteral("e01d:4")}));
        QCOMPARE(fake->url(), QStringLiteral("/media/fountain.mp4"));
        QCOMPARE(fake->playState(), int(MediaPlayer::Playing));
        QCOMPARE(current.count(), 1);
        QCOMPARE(current.at(0).at(0).toInt(), 0);

        // The show timer fires second 2's time point.
        fake->playTo(2.3);
        QCOMPARE(arrivedAtGateway(1), QStringList{QStringLiteral("0031:40")});

        // Switched off from the bus: the answer, and the stop set once the
        // command on the wire has had its shortest gap.
        switchFromBus(5, 0);
        QCOMPARE(arrivedAtGateway(2), (QStringList{QStringLiteral("e01d:4"), QStringLiteral("0031:60")}));
        QCOMPARE(fake->playState(), int(MediaPlayer::Stopped));
        QVERIFY(boxes->shown.isEmpty());

        // Ended: nothing is heard or sent any more, the volume is kept.
        fake->setVolume(25);
        session->end();
        QVERIFY(!session->showTimer().isActive());
        QVERIFY(!session->busLink().isOpen());
        switchFromBus(5, 1);
        QTest::qWait(50);
        QVERIFY(arrivedAtGateway(0).isEmpty());
        QCOMPARE(IniFile(folder->path(QStringLiteral("Database/System.ini"))).read(QStringLiteral("IP"), QStringLiteral("VOL")),
                 QStringLiteral("25"));
    }

    void theWindowAndTheBusSwitchShowsTheSameWay()
    {
        makeSession();
        QVERIFY(session->start());
        session->switchShowOn(0);
        QCOMPARE(fake->playState(), int(MediaPlayer::Playing));
        QCOMPARE(arrivedAtGateway(1), QStringList{QStringLiteral("0031:50")});
        fake->pause();
        // The current show again: resumed, not started over.
        fake->calls.clear();
        switchFromBus(5, 1);
        QTRY_COMPARE(fake->playState(), int(MediaPlayer::Playing));
        QVERIFY(!fake->calls.join(u' ').contains(QStringLiteral("setUrl")));
        // Out of the list's range: nothing.
        session->switchShowOn(3);
        QCOMPARE(session->currentShowIndex(), 0);
    }

    void aPortHeldByAnotherProgramEndsStartUp()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
        writeSystemIni(QStringLiteral("[Port]\nPort=%1\n[ip]\nip=127.0.0.1\n").arg(holder.localPort()));
        makeSession(std::make_unique<UdpBusLink>());
        QVERIFY(!session->start());
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Fail to initialize UDP socket!")});
        QVERIFY(session->hasEnded());
        QVERIFY(!session->showTimer().isActive());
    }
};

QTEST_GUILESS_MAIN(TestProgramSession)
#include "tst_programsession.moc"
