#include "fakemediaplayer.h"
#include "programfolder.h"
#include "settingsfiles.h"
#include "showdata.h"
#include "showrunner.h"

#include <QtTest>

// Choosing and loading shows, with a real database and Show.ini.
class TestShowChoice : public QObject {
    Q_OBJECT

    SettingsFiles settings;

    LoadedShows loaded;
    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<FakeMediaPlayer> player;
    std::unique_ptr<RecordingSequencer> bus;
    std::unique_ptr<ShowRunner> runner;

    const TShow& show(int index) const { return loaded.shows.at(index); }

    void listShows(std::initializer_list<int> ids)
    {
        auto& list = loaded.shows;
        list.clear();
        for (int id : ids) {
            TShow s;
            s.ShowID = id;
            list.append(s);
        }
    }

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        loaded = {};
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        QVERIFY(folder->openDatabase());
        OpenShowIni(settings, folder->path(QStringLiteral("Database/Show.ini")));
        player = std::make_unique<FakeMediaPlayer>();
        bus = std::make_unique<RecordingSequencer>();
        runner = std::make_unique<ShowRunner>(loaded, *player, *bus->sequencer, settings);

        // Show 1 and show 2 share one media file; show 3 has its own.
        for (int id : {1, 2, 3})
            QVERIFY(AddShow(id, id));
        WriteShowIni(settings, 1, QStringLiteral("Opening"), QStringLiteral("/media/a.mp4"));
        WriteShowIni(settings, 2, QStringLiteral("Opening, late"), QStringLiteral("/media/a.mp4"));
        WriteShowIni(settings, 3, QStringLiteral("Finale"), QStringLiteral("/media/b.mp4"));
        // Show 1: second 10 (commands out of SequenceNo order in the table), second 4.
        QVERIFY(AddTimePoint(1, 1, 10));
        QVERIFY(AddTimePoint(1, 2, 4));
        QVERIFY(AddShowCommand(1, 1, 1, 2, 12, QStringLiteral("500")));
        QVERIFY(AddShowCommand(1, 1, 2, 1, 11, QString()));
        QVERIFY(AddShowCommand(1, 2, 1, 1, 40));
        // Show 2: second 10 too, its own commands.
        QVERIFY(AddTimePoint(2, 1, 10));
        QVERIFY(AddShowCommand(2, 1, 1, 1, 21));
        listShows({1, 2, 3});
    }
    void cleanup()
    {
        runner.reset();
        bus.reset();
        player.reset();
        settings = SettingsFiles();
        folder.reset();
    }

    void loadShowReadsTimePointsAndCommandsInOrder()
    {
        QVERIFY(AddShowCommand(3, 9, 1, 1, 0)); // another show's commands stay out
        QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,"
                                      "SubnetID,DeviceID,CommandTypeID,FirstParameter,SecondParameter,"
                                      "ThirdParameter,DelayMS) values(1,2,2,2,257,258,260,65541,70000,2,-3)")));
        QVERIFY(LoadShow(loaded, 1));
        const auto& points = show(0).TimePoints;
        QCOMPARE(points.size(), 2);
        QCOMPARE(points[0].SecondOfTimePoint, 4);
        QCOMPARE(points[0].TimePointID, 2);
        QCOMPARE(points[1].SecondOfTimePoint, 10);
        QCOMPARE(points[1].Commands.size(), 2);
        QCOMPARE(points[1].Commands[0].DeviceID, quint8(11));
        QCOMPARE(points[1].Commands[0].DelayMS, 0); // empty column
        QCOMPARE(points[1].Commands[1].DeviceID, quint8(12));
        QCOMPARE(points[1].Commands[1].DelayMS, 500);
        // Numbers are kept in the record's widths (their low bits).
        const TControlObject& wide = points[0].Commands[1];
        QCOMPARE(wide.SubnetID, quint8(1));
        QCOMPARE(wide.DeviceID, quint8(2));
        QCOMPARE(wide.CommandTypeID, quint8(4));
        QCOMPARE(wide.FirstParameter, quint16(5));
        QCOMPARE(wide.SecondParameter, quint16(70000 - 65536));
        QCOMPARE(wide.DelayMS, -3);

        // A later load replaces what the show held.
        QVERIFY(RunSql(QStringLiteral("delete from TimePoint where TimePointID=2")));
        QVERIFY(LoadShow(loaded, 1));
        QCOMPARE(show(0).TimePoints.size(), 1);
        QVERIFY(!LoadShow(loaded, 99));
    }

    void choosingANewShowLoadsAndStartsIt()
    {
        runner->chooseShow(QStringLiteral("3"));
        QCOMPARE(player->calls, (QStringList{QStringLiteral("setUrl:/media/b.mp4"), QStringLiteral("play")}));
        QCOMPARE(loaded.currentIndex, 2);
        QCOMPARE(loaded.currentId, 3);

        runner->chooseShow(QStringLiteral("1"));
        QCOMPARE(player->url(), QStringLiteral("/media/a.mp4"));
        QCOMPARE(loaded.currentIndex, 0);
        QCOMPARE(loaded.currentId, 1);
        QCOMPARE(show(0).TimePoints.size(), 2);

        player->playTo(10.2);
        runner->tick();
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{11, 12}));
    }

    void choosingTheLoadedShowAgainResumesWithoutReloading()
    {
        runner->chooseShow(QStringLiteral("1"));
        QVERIFY(RunSql(QStringLiteral("delete from CommandsForShow where ShowID=1")));

        player->calls.clear();
        runner->chooseShow(QStringLiteral("1")); // playing: nothing to do
        QVERIFY(player->calls.isEmpty());

        player->pause();
        player->calls.clear();
        runner->chooseShow(QStringLiteral("1"));
        QCOMPARE(player->calls, QStringList{QStringLiteral("play")});
        QCOMPARE(player->playState(), int(MediaPlayer::Playing));
        QCOMPARE(show(0).TimePoints[1].Commands.size(), 2); // not reloaded
    }

    void anotherShowOnTheSameMediaBringsItsOwnTimePoints()
    {
        runner->chooseShow(QStringLiteral("1"));
        player->calls.clear();

        runner->chooseShow(QStringLiteral("2"));
        QCOMPARE(loaded.currentIndex, 1);
        QCOMPARE(loaded.currentId, 2);
        QVERIFY(player->calls.isEmpty()); // it plays on; the media stays
        player->playTo(10.0);
        runner->tick();
        bus->timer->runOut();
        QCOMPARE(bus->devices(), QVector<int>{21}); // show 2's commands, not show 1's

        // Paused, a switch back to show 1 reloads it and resumes playback.
        player->pause();
        player->calls.clear();
        runner->chooseShow(QStringLiteral("1"));
        QCOMPARE(loaded.currentId, 1);
        QCOMPARE(player->calls, QStringList{QStringLiteral("play")});
        QCOMPARE(show(0).TimePoints.size(), 2);
    }

    void otherMediaEndsWhatTheShowBeforeHadQueued()
    {
        runner->chooseShow(QStringLiteral("1"));
        player->playTo(10.0);
        runner->tick(); // 11 goes out, 12 waits its turn
        bus->sequencer->enqueue({RunnerData::cmd(99)}); // a preview
        QCOMPARE(bus->devices(), QVector<int>{11});

        runner->chooseShow(QStringLiteral("3"));
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{11, 99}));
    }

    void choosingNothingDoesNothing()
    {
        for (const QString& text : {QString(), QStringLiteral(" "), QStringLiteral("abc")}) {
            runner->chooseShow(text);
            QVERIFY(player->calls.isEmpty());
            QCOMPARE(loaded.currentIndex, -1);
            QCOMPARE(loaded.currentId, -1);
        }
    }
};

QTEST_GUILESS_MAIN(TestShowChoice)
#include "tst_showchoice.moc"
