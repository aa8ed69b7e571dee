#include "commandsets.h"
#include "fakemediaplayer.h"
#include "programfolder.h"
#include "showdata.h"

#include <QtTest>

class TestCommandSets : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<FakeMediaPlayer> player;
    std::unique_ptr<RecordingSequencer> bus;

    // The player reports a state as the main window's handler sees it.
    void report(int state)
    {
        player->setStateQuietly(state);
        HandlePlayStateChange(*player, *bus->sequencer, state);
    }

private Q_SLOTS:
    void init()
    {
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        QVERIFY(folder->openDatabase());
        player = std::make_unique<FakeMediaPlayer>();
        bus = std::make_unique<RecordingSequencer>();

        // Devices mark the set: 3x play, 2x pause, 1x stop; rows stored out of order.
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 1, 2, 32, QStringLiteral("500")));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 2, 1, 31, QString()));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 3, 3, 33, QStringLiteral("-7")));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 1, 1, 21));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 2, 2, 22, QStringLiteral("120")));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForStop"), 1, 1, 11));
    }
    void cleanup()
    {
        bus.reset();
        player.reset();
        folder.reset();
    }

    void eachStateSendsItsOwnSetInOrderWithItsGaps_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QVector<int>>("devices");
        QTest::addColumn<QVector<int>>("gaps");
        QTest::newRow("stopped") << int(MediaPlayer::Stopped) << QVector<int>{11} << QVector<int>{50};
        QTest::newRow("paused") << int(MediaPlayer::Paused) << QVector<int>{21, 22} << QVector<int>{50, 120};
        QTest::newRow("playing") << int(MediaPlayer::Playing) << QVector<int>{31, 32, 33}
                                 << QVector<int>{50, 500, 50};
    }
    void eachStateSendsItsOwnSetInOrderWithItsGaps()
    {
        QFETCH(int, state);
        QFETCH(QVector<int>, devices);
        QFETCH(QVector<int>, gaps);
        report(state);
        QCOMPARE(bus->devices(), devices.mid(0, 1)); // the first goes out at once
        bus->timer->runOut();
        QCOMPARE(bus->devices(), devices);
        QCOMPARE(bus->timer->requested, gaps);
        const auto& first = bus->sent.first();
        QCOMPARE(first.subnet, quint8(1));
        QCOMPARE(first.kind, quint8(4));
        QCOMPARE(first.first, quint16(5));
        QCOMPARE(first.second, quint16(100));
        QCOMPARE(first.third, quint16(3));
        QCOMPARE(player->fullScreen(), state == MediaPlayer::Playing);
    }

    void aStopEndsALongPlaySetAndItsHoldIsLogged()
    {
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 4, 4, 34, QStringLiteral("600000")));
        QTest::ignoreMessage(QtWarningMsg, "play set delays the show by 600.6 s");
        report(MediaPlayer::Playing);
        bus->timer->advance(700); // all four out, the last one's ten minutes running
        QCOMPARE(bus->devices(), (QVector<int>{31, 32, 33, 34}));
        report(MediaPlayer::Stopped);
        bus->timer->advance(50);
        QCOMPARE(bus->devices(), (QVector<int>{31, 32, 33, 34, 11}));
        bus->timer->runOut();
        QVERIFY(!player->fullScreen()); // the play set never finished
    }

    void otherStatesSendNothing()
    {
        for (int state : {0, 4, 5, 6, 7, 8, 9, 10, 11, -1})
            report(state);
        QVERIFY(bus->sent.isEmpty());
        QVERIFY(!bus->sequencer->isBusy());
        QVERIFY(player->calls.isEmpty()); // no full screen either
        QVERIFY(!SendCommandSet(*bus->sequencer, 4));
    }

    void exitDuringAListStopsItAfterTheCurrentCommand()
    {
        report(MediaPlayer::Playing);
        bus->timer->advance(50);
        QCOMPARE(bus->devices(), (QVector<int>{31, 32}));
        bus->sequencer->stop(); // as the session's end does
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{31, 32}));
        QVERIFY(!bus->sequencer->isBusy());
    }

    void pauseAndResumeDuringAShow()
    {
        // Wired as the main window wires it: every reported state goes to the handler.
        connect(player.get(), &MediaPlayer::playStateChanged, this,
                [this](int state) { HandlePlayStateChange(*player, *bus->sequencer, state); });
        player->setUrl(QStringLiteral("/media/a.mp4"));
        bus->timer->runOut();
        QVERIFY(player->fullScreen());
        player->setFullScreen(false); // the operator leaves full screen
        player->pause();
        bus->timer->runOut();
        player->play();
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{31, 32, 33, 21, 22, 31, 32, 33}));
        QVERIFY(player->fullScreen()); // playing again returns to full screen
        player->stop();
        bus->timer->runOut();
        QCOMPARE(bus->devices().last(), 11);

        // Already full screen: it is not switched again.
        player->calls.clear();
        player->play();
        bus->timer->runOut();
        QCOMPARE(player->calls.filter(QStringLiteral("setFullScreen")), QStringList{});
    }

    void setsAreReadAfreshAndMayBeEmpty()
    {
        QVERIFY(RunSql(QStringLiteral("delete from CommandsForPause")));
        report(MediaPlayer::Paused);
        QVERIFY(bus->sent.isEmpty());
        QVERIFY(!bus->sequencer->isBusy()); // an empty set takes no time

        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 5, 1, 25));
        report(MediaPlayer::Paused);
        QCOMPARE(bus->devices(), QVector<int>{25});
    }

    void fullScreenComesOnceThePlaySetHasGoneOut()
    {
        // Play set: 50, 500 and 50 ms gaps; the video stays in the window
        // until the last gap is over.
        report(MediaPlayer::Playing);
        QVERIFY(!player->fullScreen());
        bus->timer->advance(50 + 500);
        QCOMPARE(bus->devices(), (QVector<int>{31, 32, 33}));
        QVERIFY(!player->fullScreen());
        bus->timer->advance(50);
        QVERIFY(player->fullScreen());

        // Exit while the set is still going out: no full screen afterwards.
        player->setFullScreen(false);
        report(MediaPlayer::Paused);
        report(MediaPlayer::Playing);
        bus->timer->advance(50);
        bus->sequencer->stop();
        bus->timer->runOut();
        QVERIFY(!player->fullScreen());
        QVERIFY(!bus->sequencer->isBusy());
    }

    void unreadableSetStillGoesFullScreen()
    {
        CloseDatabase();
        report(MediaPlayer::Playing);
        QVERIFY(bus->sent.isEmpty());
        QVERIFY(player->fullScreen());
    }
};

QTEST_GUILESS_MAIN(TestCommandSets)
#include "tst_commandsets.moc"
