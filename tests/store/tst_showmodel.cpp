#include "database.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "scriptedmessages.h"
#include "showmodel.h"
#include "sqltext.h"

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

} // namespace

class TestShowModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetPublicVariables(); }

    void loadsTimePointsAndCommandsInOrder()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertShow(4, 1, 0, 0)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(4, 1, 30)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(4, 2, 10)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(4, 3, 20)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlUpdateTimePoint(4, 2, 10, QStringLiteral("start"))));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePointCommand(4, 2, command(1, 2, 0, 100))));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePointCommand(4, 2, command(2, 1, 4, 0))));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePointCommand(4, 1, command(1, 1, 2, 5))));
        // Another show's rows stay out.
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(5, 1, 10)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePointCommand(5, 1, command(1, 1, 0, 0))));

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
        QVERIFY(boxes.shown.isEmpty());

        // A show without time points loads empty.
        TShow other;
        other.ShowID = 99;
        QVERIFY(LoadShowTimePoints(other));
        QVERIFY(other.TimePoints.isEmpty());
    }

    void failureKeepsWhatWasRead()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(1, 1, 10)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(1, 2, 20)));
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("drop table CommandsForShow")));
        TShow show;
        show.ShowID = 1;
        QVERIFY(!LoadShowTimePoints(show));
        QCOMPARE(show.TimePoints.size(), 1);
        QCOMPARE(show.TimePoints[0].SecondOfTimePoint, 10);
        QVERIFY(boxes.shown.isEmpty());

        // Unreadable time points leave the previous load in place.
        CloseDatabase();
        QVERIFY(!LoadShowTimePoints(show));
        QCOMPARE(show.TimePoints.size(), 1);
    }

    void findShowByIdInTheShowList()
    {
        mPublicVariable().ShowList.resize(2);
        mPublicVariable().ShowList[0].ShowID = 3;
        mPublicVariable().ShowList[1].ShowID = 8;
        QCOMPARE(FindShow(8), &mPublicVariable().ShowList[1]);
        QCOMPARE(FindShow(5), nullptr);
    }
};

QTEST_MAIN(TestShowModel)
#include "tst_showmodel.moc"
