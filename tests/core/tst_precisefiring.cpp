#include "fakemediaplayer.h"
#include "manualpacingtimer.h"
#include "settingsfiles.h"
#include "showdata.h"
#include "showrunner.h"

#include <QtTest>

#include <algorithm>

namespace {
using RunnerData::cmd;
using RunnerData::point;

using Sends = QVector<QPair<int, qint64>>; // device, clock ms
} // namespace

// The runner in both firing modes on a fake player and hand-stepped timers:
// the media position, the runner's clock and the sequencer's clock all move
// one millisecond at a time, with a tick every 100 ms.
class TestPreciseFiring : public QObject {
    Q_OBJECT

    SettingsFiles settings;

    LoadedShows loaded;
    std::unique_ptr<FakeMediaPlayer> player;
    std::unique_ptr<RecordingSequencer> bus;
    ManualPacingTimer* firing = nullptr;
    std::unique_ptr<ShowRunner> runner;
    qint64 mediaMS = 0;
    int sinceTick = 0;

    void setUp(QVector<TTimePoint> points, FiringSettings::Mode mode, int offsetMS = 0)
    {
        TShow show;
        show.ShowID = 1;
        show.TimePoints = std::move(points);
        loaded.shows = {show};
        loaded.currentIndex = 0;
        loaded.currentId = 1;
        FiringSettings s;
        s.mode = mode;
        s.offsetMS = offsetMS;
        runner->setFiringSettings(s);
        // Loaded and stopped at the start, then started.
        player->setUrlQuietly(QStringLiteral("/media/show.mp4"));
        player->changeState(MediaPlayer::Stopped);
        player->play();
        firing->advance(0); // the event loop runs what the start queued
    }

    // Moves on by ms of clock; the media moves with it while playing.
    void run(int ms)
    {
        for (int i = 0; i < ms; ++i) {
            if (player->playState() == MediaPlayer::Playing)
                player->playTo(double(++mediaMS) / 1000.0);
            bus->timer->advance(1); // sends are stamped with its clock
            firing->advance(1);
            if (++sinceTick == 100) {
                sinceTick = 0;
                runner->tick();
            }
        }
    }
    void playUntil(double seconds) { run(int(qRound64(seconds * 1000.0) - mediaMS)); }
    void seek(double seconds)
    {
        player->setCurrentPosition(seconds);
        mediaMS = qRound64(seconds * 1000.0);
    }

    Sends sends() const
    {
        Sends out;
        for (const auto& s : bus->sent)
            out.append({s.device, s.at});
        return out;
    }

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        loaded = {};
        player = std::make_unique<FakeMediaPlayer>();
        bus = std::make_unique<RecordingSequencer>();
        auto timer = std::make_unique<ManualPacingTimer>();
        firing = timer.get();
        runner = std::make_unique<ShowRunner>(loaded, *player, *bus->sequencer, settings, std::move(timer),
                                              [this] { return firing->now(); });
        mediaMS = 0;
        sinceTick = 0;
    }
    void cleanup()
    {
        runner.reset();
        bus.reset();
        player.reset();
        settings = SettingsFiles();
    }

    void preciseFiresOnceAtEachCrossing()
    {
        setUp({point(0, {cmd(100)}), point(2, {cmd(2)}), point(2, {cmd(3)}), point(5, {cmd(5)}), point(7, {})},
              FiringSettings::Precise);
        playUntil(8.5);
        // Same-second time points go out together, the second after the
        // first's 50 ms gap; every crossing to the millisecond.
        QCOMPARE(sends(), (Sends{{100, 0}, {2, 2000}, {3, 2050}, {5, 5000}}));
    }

    void tickModeIsUnchangedWithoutSettings()
    {
        // Settings files without the section give the tick mode, no offset.
        QTemporaryDir dir;
        IniFile ini(dir.filePath(QStringLiteral("System.ini")));
        QCOMPARE(ReadFiringSettings(ini), FiringSettings());
        QCOMPARE(runner->firingSettings(), FiringSettings());

        setUp({point(2, {cmd(2)})}, FiringSettings::Tick);
        playUntil(3.5);
        // A tick every 100 ms within second 2 fires it: ten times, the
        // first at the first tick after the crossing.
        QCOMPARE(sends().size(), 10);
        QCOMPARE(sends().first(), (QPair<int, qint64>{2, 2000}));
        QCOMPARE(sends().last(), (QPair<int, qint64>{2, 2900}));
    }

    void seeksStopAndPause()
    {
        setUp({point(1, {cmd(1)}), point(2, {cmd(2)}), point(5, {cmd(5)}), point(8, {cmd(8)})},
              FiringSettings::Precise);
        playUntil(2.5);
        QCOMPARE(bus->devices(), (QVector<int>{1, 2}));

        // Back to 1.5: second 2 is armed again, second 1 is not.
        seek(1.5);
        playUntil(3.0);
        QCOMPARE(bus->devices(), (QVector<int>{1, 2, 2}));

        // Forward over 5: it does not fire; 8 does, once.
        seek(6.0);
        playUntil(9.0);
        QCOMPARE(bus->devices(), (QVector<int>{1, 2, 2, 8}));

        // Back while paused: nothing while held, 5 and 8 once playing.
        seek(4.5);
        player->pause();
        run(3000);
        QCOMPARE(bus->devices(), (QVector<int>{1, 2, 2, 8}));
        player->play();
        const qint64 resumed = firing->now();
        playUntil(8.2);
        QCOMPARE(bus->devices(), (QVector<int>{1, 2, 2, 8, 5, 8}));
        QCOMPARE(sends().at(4).second, resumed + 500); // at 5.0 exactly

        // A stop starts over from the beginning.
        player->stop();
        mediaMS = 0;
        player->playTo(0.0);
        run(500);
        player->play();
        playUntil(2.2);
        QCOMPARE(bus->devices().mid(6), (QVector<int>{1, 2}));
    }

    void offsetFiresEarlierInBothModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("offset");
        QTest::addColumn<qint64>("firstAt");
        QTest::newRow("precise +300") << int(FiringSettings::Precise) << 300 << qint64(1700);
        QTest::newRow("precise -250") << int(FiringSettings::Precise) << -250 << qint64(2250);
        QTest::newRow("tick +300") << int(FiringSettings::Tick) << 300 << qint64(1700);
        QTest::newRow("tick -250") << int(FiringSettings::Tick) << -250 << qint64(2300);
    }
    void offsetFiresEarlierInBothModes()
    {
        QFETCH(int, mode);
        QFETCH(int, offset);
        QFETCH(qint64, firstAt);
        setUp({point(2, {cmd(2)})}, FiringSettings::Mode(mode), offset);
        playUntil(4.0);
        QVERIFY(!sends().isEmpty());
        QCOMPARE(sends().first().second, firstAt);
        if (mode == FiringSettings::Precise)
            QCOMPARE(sends().size(), 1);
    }

    void anOffsetBeyondTheStartFiresAtOnce_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("offset");
        QTest::addColumn<Sends>("expected"); // each device's first send
        // What an offset puts before the start goes at once (in tick mode
        // at the first tick, 100 ms in), the next in line 50 ms behind it;
        // a time point before second 0 never fires.
        const int tick = FiringSettings::Tick, precise = FiringSettings::Precise;
        QTest::newRow("tick +500") << tick << 500 << Sends{{9, 100}, {1, 500}};
        QTest::newRow("tick +999") << tick << 999 << Sends{{9, 100}, {1, 150}};
        QTest::newRow("tick +2000") << tick << 2000 << Sends{{9, 100}, {1, 150}};
        QTest::newRow("tick -2000") << tick << -2000 << Sends{{9, 2000}, {1, 3000}};
        QTest::newRow("precise +500") << precise << 500 << Sends{{9, 0}, {1, 500}};
        QTest::newRow("precise +999") << precise << 999 << Sends{{9, 0}, {1, 50}};
        QTest::newRow("precise +2000") << precise << 2000 << Sends{{9, 0}, {1, 50}};
        QTest::newRow("precise -2000") << precise << -2000 << Sends{{9, 2000}, {1, 3000}};
    }
    void anOffsetBeyondTheStartFiresAtOnce()
    {
        QFETCH(int, mode);
        QFETCH(int, offset);
        QFETCH(Sends, expected);
        setUp({point(-1, {cmd(99)}), point(0, {cmd(9)}), point(1, {cmd(1)})}, FiringSettings::Mode(mode), offset);
        playUntil(3.5);
        Sends first;
        for (const auto& send : sends())
            if (std::none_of(first.begin(), first.end(), [&](const auto& f) { return f.first == send.first; }))
                first.append(send);
        QCOMPARE(first, expected);
    }

    void aStopDropsWhatTheShowStillHadQueued_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("tick") << int(FiringSettings::Tick);
        QTest::newRow("precise") << int(FiringSettings::Precise);
    }
    void aStopDropsWhatTheShowStillHadQueued()
    {
        QFETCH(int, mode);
        // 100 one-command time points a second: far more than the bus takes.
        QVector<TTimePoint> points;
        for (int second = 0; second < 10; ++second)
            for (int i = 0; i < 100; ++i)
                points.append(point(second, {cmd(second + 1)}));
        setUp(points, FiringSettings::Mode(mode));
        playUntil(6.0);
        QVERIFY(bus->sequencer->isBusy());
        const int sent = bus->sent.size();
        player->stop();
        run(2000);
        QCOMPARE(bus->sent.size(), sent);
        QVERIFY(!bus->sequencer->isBusy());
    }

    void betweenTicksTheClockCarriesThePosition()
    {
        // A player that reports its position only just before each tick: the
        // timer set at the tick fires at the crossing (1970 ms with 30 ms
        // early), when the last report still says 1900.
        setUp({point(2, {cmd(2)})}, FiringSettings::Precise, 30);
        for (int ms = 1; ms <= 2500; ++ms) {
            bus->timer->advance(1);
            firing->advance(1);
            if (ms % 100 == 0) {
                player->playTo(ms / 1000.0);
                runner->tick();
            }
        }
        QCOMPARE(sends(), (Sends{{2, 1970}}));
    }

    void aBusySequencerQueuesTheNextList()
    {
        // Second 1's list holds the bus for 3 s; second 2 waits behind it,
        // second 3 behind that. Nothing dropped, nothing twice.
        setUp({point(1, {cmd(1, 3000)}), point(2, {cmd(2)}), point(3, {cmd(3)})}, FiringSettings::Precise);
        playUntil(3.5);
        QCOMPARE(bus->devices(), (QVector<int>{1}));
        QCOMPARE(bus->sequencer->pendingLists(), 3);
        playUntil(8.0);
        QCOMPARE(sends(), (Sends{{1, 1000}, {2, 4000}, {3, 4050}}));
    }

    void enteringPreciseModeDoesNotRepeatTheCurrentSecond()
    {
        setUp({point(2, {cmd(2)}), point(3, {cmd(3)})}, FiringSettings::Tick);
        playUntil(2.15);
        QCOMPARE(bus->devices(), (QVector<int>{2, 2}));
        FiringSettings precise;
        precise.mode = FiringSettings::Precise;
        runner->setFiringSettings(precise);
        playUntil(4.0);
        QCOMPARE(bus->devices(), (QVector<int>{2, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestPreciseFiring)
#include "tst_precisefiring.moc"
