#include "database.h"
#include "programfolder.h"
#include "rawsql.h"
#include "showmodel.h"

#include <QtTest>

namespace {

TControlObject command(int id, int seq, int kind, int delay)
{
    TControlObject c;
    c.CommandID = id;
    c.SequenceNo = seq;
    c.SubnetID = 1;
    c.DeviceID = 9;
    c.CommandTypeID = static_cast<quint8>(kind);
    c.FirstParameter = 300;
    c.DelayMS = delay;
    return c;
}

bool putTimePoint(int showId, int timePointId, int second, const QString& remark = QStringLiteral("NULL"))
{
    return RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint,Remark) "
                                 "values(%1,%2,%3,%4)")
                      .arg(showId)
                      .arg(timePointId)
                      .arg(second)
                      .arg(remark));
}

bool putCommand(int showId, int timePointId, const TControlObject& c)
{
    return RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubnetID,"
                                 "DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                                 "values(%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11)")
                      .arg(showId)
                      .arg(timePointId)
                      .arg(c.CommandID)
                      .arg(c.SequenceNo)
                      .arg(c.SubnetID)
                      .arg(c.DeviceID)
                      .arg(c.CommandTypeID)
                      .arg(c.FirstParameter)
                      .arg(c.SecondParameter)
                      .arg(c.ThirdParameter)
                      .arg(c.DelayMS));
}

} // namespace

class TestShowModel : public QObject {
    Q_OBJECT
private Q_SLOTS:

    void loadsTimePointsAndCommandsInOrder()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo) values(4,1)")));
        QVERIFY(putTimePoint(4, 1, 30));
        QVERIFY(putTimePoint(4, 2, 10, QStringLiteral("'start'")));
        QVERIFY(putTimePoint(4, 3, 20));
        QVERIFY(putCommand(4, 2, command(1, 2, 0, 100)));
        QVERIFY(putCommand(4, 2, command(2, 1, 4, 0)));
        QVERIFY(putCommand(4, 1, command(1, 1, 2, 5)));
        // Another show's rows stay out.
        QVERIFY(putTimePoint(5, 1, 10));
        QVERIFY(putCommand(5, 1, command(1, 1, 0, 0)));

        TShow show;
        show.ShowID = 4;
        show.TimePoints.resize(7); // replaced, not added to
        QVERIFY(LoadShowTimePoints(show));
        QCOMPARE(show.TimePoints.size(), 3);
        QCOMPARE(show.TimePoints[0].TimePointID, 2);
        QCOMPARE(show.TimePoints[0].SecondOfTimePoint, 10);
        QCOMPARE(show.TimePoints[0].Remark, QStringLiteral("start"));
        QCOMPARE(show.TimePoints[0].Commands.size(), 2);
        QCOMPARE(show.TimePoints[0].Commands[0].CommandID, 2);
        QCOMPARE(int(show.TimePoints[0].Commands[0].CommandTypeID), 4);
        QCOMPARE(int(show.TimePoints[0].Commands[0].FirstParameter), 300);
        QCOMPARE(show.TimePoints[0].Commands[1].DelayMS, 100);
        QCOMPARE(show.TimePoints[1].TimePointID, 3);
        QVERIFY(show.TimePoints[1].Commands.isEmpty());
        QCOMPARE(show.TimePoints[2].Commands.size(), 1);

        // A show without time points loads empty.
        TShow other;
        other.ShowID = 99;
        QVERIFY(LoadShowTimePoints(other));
        QVERIFY(other.TimePoints.isEmpty());
    }

    void loadKeepsTheOrderOfTheStatementsPerTimePoint()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        // Rows stored out of identity order, with equal seconds and equal
        // sequence numbers, so that storage order and identity order differ.
        const int points[][2] = {{5, 10}, {2, 10}, {9, 5}, {1, 10}, {3, 7}, {8, 5}};
        for (const auto& p : points)
            QVERIFY(putTimePoint(3, p[0], p[1], p[0] == 9 ? QStringLiteral("'nine'") : QStringLiteral("NULL")));
        const int commands[][3] = {{5, 4, 1}, {5, 2, 1}, {5, 9, 0}, {5, 1, 1}, {2, 7, 3}, {2, 3, 3},
                                   {9, 2, 2}, {9, 1, 2}, {1, 6, 0}, {8, 5, 5}, {4, 1, 1}};
        int delay = 1;
        for (const auto& c : commands)
            QVERIFY(putCommand(3, c[0], command(c[1], c[2], 4, delay++)));

        // What the reads per time point give.
        const auto line = [](const QSqlQuery& q, const char* first, const char* second) {
            return QStringLiteral("%1:%2:%3")
                .arg(FieldInt(q, QString::fromLatin1(first)))
                .arg(FieldInt(q, QString::fromLatin1(second)))
                .arg(FieldText(q, QStringLiteral("Remark")));
        };
        QStringList expected;
        QSqlQuery pointRows = StandaloneQuery();
        QVERIFY(pointRows.exec(QStringLiteral("select * from TimePoint where ShowID=3 order by SecondOfTimePoint")));
        while (pointRows.next()) {
            expected << line(pointRows, "TimePointID", "SecondOfTimePoint");
            QSqlQuery rows = StandaloneQuery();
            QVERIFY(rows.exec(QStringLiteral("select * from CommandsForShow where ShowID=3 and TimePointID=%1 "
                                             "order by SequenceNo")
                                  .arg(FieldInt(pointRows, QStringLiteral("TimePointID")))));
            while (rows.next())
                expected << line(rows, "CommandID", "DelayMS");
        }

        TShow show;
        show.ShowID = 3;
        QVERIFY(LoadShowTimePoints(show));
        QStringList loaded;
        for (const TTimePoint& p : show.TimePoints) {
            loaded << QStringLiteral("%1:%2:%3").arg(p.TimePointID).arg(p.SecondOfTimePoint).arg(p.Remark);
            for (const TControlObject& c : p.Commands)
                loaded << QStringLiteral("%1:%2:%3").arg(c.CommandID).arg(c.DelayMS).arg(c.Remark);
        }
        QCOMPARE(loaded, expected);
        QCOMPARE(show.TimePoints.size(), 6);
    }

    void failureKeepsWhatWasRead()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(putTimePoint(1, 1, 10));
        QVERIFY(putTimePoint(1, 2, 20));
        QVERIFY(RunSql(QStringLiteral("drop table CommandsForShow")));
        TShow show;
        show.ShowID = 1;
        QVERIFY(!LoadShowTimePoints(show));
        QCOMPARE(show.TimePoints.size(), 1);
        QCOMPARE(show.TimePoints[0].SecondOfTimePoint, 10);

        // Unreadable time points leave the previous load in place.
        CloseDatabase();
        QVERIFY(!LoadShowTimePoints(show));
        QCOMPARE(show.TimePoints.size(), 1);
    }

    void findShowByIdInTheShowList()
    {
        LoadedShows loaded;
        loaded.shows.resize(2);
        loaded.shows[0].ShowID = 3;
        loaded.shows[1].ShowID = 8;
        QCOMPARE(loaded.find(8), &loaded.shows[1]);
        QCOMPARE(loaded.find(5), nullptr);
        QCOMPARE(loaded.current(), nullptr);
        loaded.currentIndex = 1;
        QCOMPARE(loaded.current(), &loaded.shows[1]);
        loaded.currentIndex = 2; // beyond the list
        QCOMPARE(loaded.current(), nullptr);
    }
};

QTEST_MAIN(TestShowModel)
#include "tst_showmodel.moc"
