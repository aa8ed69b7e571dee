#include "fakemediaplayer.h"
#include "programfolder.h"
#include "settingsfiles.h"
#include "showdata.h"
#include "showrunner.h"

#include <QtTest>

namespace {
using RunnerData::cmd;
using RunnerData::point;

// One show in the list, chosen, with the given time points.
void chooseInMemory(LoadedShows& loaded, QVector<TTimePoint> points)
{
    TShow show;
    show.ShowID = 1;
    show.TimePoints = std::move(points);
    loaded.shows = {show};
    loaded.currentIndex = 0;
    loaded.currentId = 1;
}
} // namespace

class TestShowRunner : public QObject {
    Q_OBJECT

    SettingsFiles settings;

    LoadedShows loaded;
    std::unique_ptr<FakeMediaPlayer> player;
    std::unique_ptr<RecordingSequencer> bus;
    std::unique_ptr<ShowRunner> runner;

    // A tick at the position; returns the devices it sent to, letting the
    // whole list (and its last gap) go out.
    QVector<int> tickAt(double position)
    {
        player->playTo(position);
        const int before = bus->sent.size();
        runner->tick();
        bus->timer->runOut();
        return bus->devices().mid(before);
    }

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        loaded = {};
        player = std::make_unique<FakeMediaPlayer>();
        player->setUrlQuietly(QStringLiteral("/media/show.mp4"));
        player->setStateQuietly(MediaPlayer::Playing);
        bus = std::make_unique<RecordingSequencer>();
        runner = std::make_unique<ShowRunner>(loaded, *player, *bus->sequencer, settings);
    }
    void cleanup()
    {
        runner.reset();
        bus.reset();
        player.reset();
        settings = SettingsFiles();
    }

    void firesOnEveryTickWithinItsWholeSecond_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<bool>("fires");
        QTest::newRow("9.9") << 9.9 << false;
        QTest::newRow("10.0") << 10.0 << true;
        QTest::newRow("10.5") << 10.5 << true;
        QTest::newRow("10.999") << 10.999 << true;
        QTest::newRow("11.0") << 11.0 << false;
    }
    void firesOnEveryTickWithinItsWholeSecond()
    {
        QFETCH(double, position);
        QFETCH(bool, fires);
        chooseInMemory(loaded, {point(5, {cmd(5)}), point(10, {cmd(10)}), point(12, {cmd(12)})});
        QCOMPARE(tickAt(position), fires ? QVector<int>{10} : QVector<int>{});
        // No memory of having fired: the next tick in the same second fires again.
        QCOMPARE(tickAt(position), fires ? QVector<int>{10} : QVector<int>{});
    }

    void aSeekMovesTheFiringWithIt()
    {
        chooseInMemory(loaded, {point(5, {cmd(5)}), point(40, {cmd(40)})});
        player->setDuration(60.0);
        player->playTo(5.3);
        // Seeking forward skips what lies between; back, it fires again.
        player->setCurrentPosition(40.5);
        runner->tick();
        bus->timer->runOut();
        QCOMPARE(bus->devices(), QVector<int>{40});
        player->setCurrentPosition(5.0);
        runner->tick();
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{40, 5}));
        player->setCurrentPosition(-1.0); // before the start is the start
        QCOMPARE(player->currentPosition(), 0.0);
        QCOMPARE(player->playState(), int(MediaPlayer::Playing));
        QCOMPARE(player->calls.filter(QStringLiteral("seek:")).size(), 3);
    }

    void sameSecondTimePointsFireTogetherInArrayOrder()
    {
        chooseInMemory(loaded, {point(3, {cmd(1, 0), cmd(2, 500)}), point(3, {cmd(3)}), point(4, {cmd(4)})});
        player->playTo(3.2);
        runner->tick();
        QCOMPARE(bus->devices(), QVector<int>{1}); // one list, paced by the sequencer
        QCOMPARE(bus->sequencer->pendingLists(), 1);
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{1, 2, 3}));
        QCOMPARE(bus->timer->requested, (QVector<int>{50, 500, 50}));
    }

    void aTimePointWithoutCommandsEndsTheTick()
    {
        chooseInMemory(loaded, {point(3, {}), point(3, {cmd(3)})});
        QCOMPARE(tickAt(3.0), QVector<int>{});
        // Only matching time points count: an empty one at another second does not.
        chooseInMemory(loaded, {point(2, {}), point(3, {cmd(3)}), point(3, {}), point(3, {cmd(4)})});
        QCOMPARE(tickAt(3.0), QVector<int>{3});
    }

    void secondZeroAndSeeking()
    {
        chooseInMemory(loaded, {point(0, {cmd(7)}), point(20, {cmd(20)})});
        QCOMPARE(tickAt(0.0), QVector<int>{7}); // right after playback starts
        QCOMPARE(tickAt(0.3), QVector<int>{7});
        QCOMPARE(tickAt(21.0), QVector<int>{}); // a seek past 20 skips it
        QCOMPARE(tickAt(20.4), QVector<int>{20}); // seeking back fires it again
    }

    void doesNothingWithoutAPlayingChosenShow()
    {
        QCOMPARE(tickAt(10.0), QVector<int>{}); // no show chosen

        chooseInMemory(loaded, {point(10, {cmd(10)})});
        loaded.currentIndex = -1;
        QCOMPARE(tickAt(10.0), QVector<int>{});
        loaded.currentIndex = 5; // beyond the list
        QCOMPARE(tickAt(10.0), QVector<int>{});
        loaded.currentIndex = 0;

        for (int state : {int(MediaPlayer::Paused), int(MediaPlayer::Stopped), int(MediaPlayer::Buffering),
                          int(MediaPlayer::ScanForward)}) {
            player->setStateQuietly(state);
            QCOMPARE(tickAt(10.0), QVector<int>{});
        }
        player->setStateQuietly(MediaPlayer::Playing);
        QCOMPARE(tickAt(10.0), QVector<int>{10});
        runner->end(); // the program is ending
        QCOMPARE(tickAt(10.0), QVector<int>{});
    }

    void ticksAreHeldBackWhileTheSequencerSends()
    {
        chooseInMemory(loaded, {point(1, {cmd(1, 500)}), point(2, {cmd(2)})});
        player->playTo(1.0);
        runner->tick();
        QCOMPARE(bus->devices(), QVector<int>{1});
        // The 500 ms wait after the command holds back the ticks of the rest
        // of second 1 and the start of second 2.
        for (double position : {1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0, 2.1, 2.2, 2.3, 2.4}) {
            bus->timer->advance(qMin<int>(100, bus->timer->remaining()));
            if (!bus->sequencer->isBusy())
                break;
            player->playTo(position);
            runner->tick();
        }
        QCOMPARE(bus->devices(), QVector<int>{1});
        QVERIFY(!bus->sequencer->isBusy());
        // Once it is free, the next tick within second 2 fires.
        QCOMPARE(tickAt(2.5), QVector<int>{2});

        // A long play set holds back the runner in the same way, so a time
        // point in the first second of the media is passed over.
        chooseInMemory(loaded, {point(0, {cmd(9)})});
        QVector<TControlObject> playSet(30, cmd(30));
        bus->sequencer->enqueue(playSet);
        for (int tick = 0; tick < 14; ++tick) {
            player->playTo(tick * 0.1);
            runner->tick();
            bus->timer->advance(100);
        }
        QVERIFY(!bus->devices().contains(9));
    }
};

QTEST_GUILESS_MAIN(TestShowRunner)
#include "tst_showrunner.moc"
