#include "programfolder.h"
#include "settingsfiles.h"
#include "showdata.h"
#include "showlist.h"

#include <QtTest>

namespace {
TTimePoint markedPoint(int second)
{
    TTimePoint p;
    p.SecondOfTimePoint = second;
    return p;
}

QVector<int> idsOf(const QVector<TShow>& shows)
{
    QVector<int> ids;
    for (const TShow& s : shows)
        ids.append(s.ShowID);
    return ids;
}
} // namespace

class TestShowList : public QObject {
    Q_OBJECT

    SettingsFiles settings;

    LoadedShows loaded;
    std::unique_ptr<TestProgramFolder> folder;

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        loaded = {};
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        QVERIFY(folder->openDatabase());
        OpenShowIni(settings, folder->path(QStringLiteral("Database/Show.ini")));
    }
    void cleanup()
    {
        settings = SettingsFiles();
        folder.reset();
    }

    void rowsFollowSequenceNoWithNamesAndPathsFromShowIni()
    {
        QVERIFY(AddShow(4, 20, 1, 300));
        QVERIFY(AddShow(7, 10, 0, 0));
        QVERIFY(AddShow(9, 30, 1, 5));
        WriteShowIni(settings, 4, QStringLiteral("Evening"), QStringLiteral("/media/evening.mp4"));
        WriteShowIni(settings, 7, QStringLiteral("Morning, it's early"), QStringLiteral("/media/morning.mp4"));
        // Show 9 has no Show.ini section: empty name and path.

        const ShowListReload reload = ReloadShowList(settings, loaded);
        QVERIFY(reload.ok);
        QCOMPARE(reload.rows.size(), 3);
        QCOMPARE(reload.rows[0].name, QStringLiteral("Morning, it's early"));
        QCOMPARE(reload.rows[0].showId, QStringLiteral("7"));
        QCOMPARE(reload.rows[1].showId, QStringLiteral("4"));
        QCOMPARE(reload.rows[2].name, QString());

        const auto& list = loaded.shows;
        QCOMPARE(idsOf(list), (QVector<int>{7, 4, 9}));
        QCOMPARE(list[1].URL, QStringLiteral("/media/evening.mp4"));
        QCOMPARE(list[1].ActivedUniversalSwitch, quint8(1));
        QCOMPARE(list[1].UniversalSwitchID, quint8(300 - 256)); // kept as a byte
        QCOMPARE(list[2].URL, QString());
    }

    void loadedTimePointsStayWithTheirOwnShow()
    {
        for (int id : {1, 2, 3})
            QVERIFY(AddShow(id, id));
        QVERIFY(ReloadShowList(settings, loaded).ok);
        loaded.shows[0].TimePoints = {markedPoint(101)};
        loaded.shows[1].TimePoints = {markedPoint(102)};
        loaded.currentIndex = 1;
        loaded.currentId = 2;

        // Show 1 is deleted, show 3 moves to the front and a new show 4 comes last.
        QVERIFY(RunSql(QStringLiteral("delete from Show where ShowID=1")));
        QVERIFY(RunSql(QStringLiteral("update Show set SequenceNo=0 where ShowID=3")));
        QVERIFY(AddShow(4, 9));
        QVERIFY(ReloadShowList(settings, loaded).ok);
        QCOMPARE(idsOf(loaded.shows), (QVector<int>{3, 2, 4}));
        // Show 3 now stands where show 1's time points were; it must not inherit them.
        QVERIFY(loaded.shows[0].TimePoints.isEmpty());
        QCOMPARE(loaded.shows[1].TimePoints.size(), 1);
        QCOMPARE(loaded.shows[1].TimePoints[0].SecondOfTimePoint, 102);
        QVERIFY(loaded.shows[2].TimePoints.isEmpty());
        QCOMPARE(loaded.currentIndex, 1);

        // Moving the chosen show carries its time points and its choice along.
        QVERIFY(RunSql(QStringLiteral("update Show set SequenceNo=50 where ShowID=2")));
        QVERIFY(ReloadShowList(settings, loaded).ok);
        QCOMPARE(idsOf(loaded.shows), (QVector<int>{3, 4, 2}));
        QCOMPARE(loaded.shows[2].TimePoints[0].SecondOfTimePoint, 102);
        QVERIFY(loaded.shows[1].TimePoints.isEmpty());
        QCOMPARE(loaded.currentIndex, 2);

        // Deleting the chosen show leaves none chosen.
        QVERIFY(RunSql(QStringLiteral("delete from Show where ShowID=2")));
        QVERIFY(ReloadShowList(settings, loaded).ok);
        QCOMPARE(loaded.currentIndex, -1);
    }

    void anUnreadableTableChangesNothing()
    {
        QVERIFY(AddShow(1, 1));
        QVERIFY(ReloadShowList(settings, loaded).ok);
        CloseDatabase();
        const ShowListReload reload = ReloadShowList(settings, loaded);
        QVERIFY(!reload.ok);
        QCOMPARE(loaded.shows.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestShowList)
#include "tst_showlist.moc"
