#include "database.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "scriptedmessages.h"
#include "sqltext.h"

#include <QtTest>

namespace {

TControlObject command(int id, int seq, const QString& remark, int kind, int p1, int p2, int p3, int delay)
{
    TControlObject c;
    c.CommandID = id;
    c.SequenceNo = seq;
    c.Remark = remark;
    c.SubnetID = 1;
    c.DeviceID = 254;
    c.CommandTypeID = static_cast<quint8>(kind);
    c.FirstParameter = static_cast<quint16>(p1);
    c.SecondParameter = static_cast<quint16>(p2);
    c.ThirdParameter = static_cast<quint16>(p3);
    c.DelayMS = delay;
    return c;
}

QList<int> ids(const QString& statement, const QString& field)
{
    QList<int> out;
    if (!OpenRows(DbQuery::General, statement))
        return {-1};
    QSqlQuery& q = QueryObject(DbQuery::General);
    while (q.next())
        out << FieldInt(q, field);
    q.finish();
    return out;
}

} // namespace

class TestSqlText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetPublicVariables(); }

    // The texts whose blanks differ between near-identical statements.
    void blanksAreKeptWhereTheyDiffer()
    {
        QCOMPARE(SqlSelectCommandSetForList(CommandsForPlaySet),
                 QStringLiteral("select * from CommandsForPlay  order by SequenceNo "));
        QCOMPARE(SqlSelectCommandSetForList(CommandsForPauseSet),
                 QStringLiteral("select * from CommandsForPause order by SequenceNo "));
        QCOMPARE(SqlSelectCommandSetForList(CommandsForStopSet),
                 QStringLiteral("select * from CommandsForStop order by SequenceNo "));
        QCOMPARE(SqlSelectCommandSet(CommandTableName(CommandsForPlaySet)),
                 QStringLiteral("select * from CommandsForPlay order by SequenceNo "));
        QCOMPARE(SqlSelectSecurityModes(), QStringLiteral("select * from Define_Security_Mode  order by ID"));
        QCOMPARE(SqlSelectTimePoints(5), QStringLiteral("select * from TimePoint where ShowID=5 order by SecondOfTimePoint"));
        QCOMPARE(SqlSelectTimePointsForPlaying(5),
                 QStringLiteral("select * from TimePoint where ShowID=5 order by SecondOfTimePoint "));
        QCOMPARE(SqlSelectTimePointCommands(5, 2),
                 QStringLiteral("select * from CommandsForShow where ShowID=5 and TimePointID=2 order by SequenceNo "));
        QCOMPARE(SqlSelectTimePointCommandsForPlaying(5, 2),
                 QStringLiteral("select * from CommandsForShow where ShowID=5 and TimePointID=2 order by SequenceNo"));
        QCOMPARE(SqlSelectMaxShowId(), QStringLiteral("select Max(ShowID) as MaxIndex  from Show"));
        QCOMPARE(SqlSelectMaxTimePointId(3),
                 QStringLiteral("select Max(TimePointID) as MaxIndex  from TimePoint  where ShowID=3"));
        QCOMPARE(SqlSelectMaxTimePointCommandId(3, 4),
                 QStringLiteral("select Max(CommandID) as MaxIndex  from CommandsForShow  where ShowID=3 and TimePointID=4"));
        QCOMPARE(SqlUpdateTimePoint(1, 2, 30, QStringLiteral("x")),
                 QStringLiteral("update TimePoint set SecondOfTimePoint=30 , Remark='x' where ShowID=1 and TimePointID=2"));
        QCOMPARE(SqlUpdateCommandSetCommand(QStringLiteral("CommandsForStop"),
                                            command(4, 2, QStringLiteral("r"), 12, 1, 256, 0, 50)),
                 QStringLiteral("update CommandsForStop set CommandTypeID=12 ,SequenceNo=2 ,Remark='r',SubNetID=1,"
                                "DeviceID=254,FirstParameter=1,SecondParameter=256,ThirdParameter=0,DelayMS=50 "
                                "where CommandID=4"));
        QCOMPARE(SqlInsertBlankCommandSetCommand(QStringLiteral("CommandsForPause"), 9),
                 QStringLiteral("insert into CommandsForPause(CommandID,SequenceNo,SubNetID,DeviceID,CommandTypeID,"
                                "FirstParameter,SecondParameter,ThirdParameter) values(9,9,0,0,3,0,0,0)"));
    }

    // Every statement runs on the shipped schema and does what it says.
    void showLifecycleRunsOnTheShippedDatabase()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());

        QCOMPARE(NextShowId(), QStringLiteral("1"));
        QCOMPARE(NextShowSequenceNo(), QStringLiteral("1"));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertShow(1, 2, 1, 200)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertShow(2, 1, 0, 0)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{2, 1}));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlUpdateShow(1, 0, 0, 0)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{1, 2}));
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectShow(2), QStringLiteral("SequenceNo")),
                 QStringLiteral("1"));
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectMaxShowSequenceNo(), QStringLiteral("MaxIndex")),
                 QStringLiteral("1"));
        QCOMPARE(NextShowId(), QStringLiteral("3"));

        QCOMPARE(NextTimePointId(1), QStringLiteral("1"));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(1, 1, 20)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(1, 2, 5)));
        QVERIFY(pblIsExistData(DbQuery::General, SqlSelectTimePointAtSecond(1, 20)));
        QVERIFY(!pblIsExistData(DbQuery::General, SqlSelectTimePointAtSecond(2, 20)));
        QCOMPARE(ids(SqlSelectTimePoints(1), QStringLiteral("TimePointID")), (QList<int>{2, 1}));
        QCOMPARE(ids(SqlSelectTimePointsForPlaying(1), QStringLiteral("TimePointID")), (QList<int>{2, 1}));
        QCOMPARE(NextTimePointId(1), QStringLiteral("3"));
        QCOMPARE(NextTimePointId(2), QStringLiteral("1"));

        // A remark with quotes is stored and read back as typed.
        const QString remark = QStringLiteral("it's the 'big' one");
        QVERIFY(ExecuteStatement(DbQuery::General, SqlUpdateTimePoint(1, 1, 21, remark)));
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectTimePoint(1, 1), QStringLiteral("SecondOfTimePoint"),
                                      QStringLiteral("Remark")),
                 QStringLiteral("21-") + remark);

        // Blank commands read back as kind 3 with empty remark and delay.
        QCOMPARE(NextTimePointCommandId(1, 1), QStringLiteral("1"));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertBlankTimePointCommand(1, 1, 1)));
        QVERIFY(OpenRows(DbQuery::Command, SqlSelectTimePointCommands(1, 1)));
        QSqlQuery& q = QueryObject(DbQuery::Command);
        QVERIFY(q.next());
        QCOMPARE(FieldInt(q, QStringLiteral("CommandTypeID")), 3);
        QCOMPARE(FieldInt(q, QStringLiteral("SequenceNo")), 1);
        QCOMPARE(FieldText(q, QStringLiteral("Remark")), QString());
        QCOMPARE(FieldText(q, QStringLiteral("DelayMS")), QString());
        QVERIFY(!q.next());

        const TControlObject pasted = command(2, 7, QStringLiteral("o'clock"), 4, 3, 100, 125, 500);
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePointCommand(1, 1, pasted)));
        TControlObject edited = pasted;
        edited.SequenceNo = 0;
        edited.Remark = QStringLiteral("'quoted'");
        edited.DelayMS = 600000;
        QVERIFY(ExecuteStatement(DbQuery::General, SqlUpdateTimePointCommand(1, 1, edited)));
        QCOMPARE(ids(SqlSelectTimePointCommandsForPlaying(1, 1), QStringLiteral("CommandID")), (QList<int>{2, 1}));
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectTimePointCommands(1, 1), QStringLiteral("Remark"),
                                      QStringLiteral("DelayMS")),
                 QStringLiteral("'quoted'-600000"));
        QCOMPARE(NextTimePointCommandId(1, 1), QStringLiteral("3"));
        QCOMPARE(NextTimePointCommandId(1, 2), QStringLiteral("1"));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlDeleteTimePointCommand(1, 1, 2)));
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 1), QStringLiteral("CommandID")), (QList<int>{1}));

        // Deleting a time point takes its commands only.
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertBlankTimePointCommand(1, 2, 1)));
        QVERIFY(ExecuteInOrder(DbQuery::General, SqlDeleteTimePoint(1, 1)));
        QCOMPARE(ids(SqlSelectTimePoints(1), QStringLiteral("TimePointID")), (QList<int>{2}));
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 1), QStringLiteral("CommandID")), QList<int>{});
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 2), QStringLiteral("CommandID")), (QList<int>{1}));

        // Deleting a show takes its time points and commands, not others'.
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertTimePoint(2, 1, 3)));
        QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertBlankTimePointCommand(2, 1, 1)));
        QVERIFY(ExecuteInOrder(DbQuery::General, SqlDeleteShow(1)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{2}));
        QVERIFY(!pblIsExistData(DbQuery::General, SqlSelectTimePoint(1, 2)));
        QVERIFY(!pblIsExistData(DbQuery::General, SqlSelectTimePointCommands(1, 2)));
        QVERIFY(pblIsExistData(DbQuery::General, SqlSelectTimePointCommands(2, 1)));
        QVERIFY(boxes.shown.isEmpty());
    }

    void commandSetsRunOnEveryTable()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (CommandSetCode set : {CommandsForPlaySet, CommandsForPauseSet, CommandsForStopSet}) {
            const QString table = CommandTableName(set);
            QCOMPARE(NextCommandSetId(table), QStringLiteral("1"));
            QVERIFY(ExecuteStatement(DbQuery::General, SqlInsertBlankCommandSetCommand(table, 1)));
            QVERIFY(ExecuteStatement(DbQuery::General,
                                     SqlInsertCommandSetCommand(table, command(2, 0, QStringLiteral("a'b"), 2, 9, 1, 0, 0))));
            QCOMPARE(ids(SqlSelectCommandSetForList(set), QStringLiteral("CommandID")), (QList<int>{2, 1}));
            QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectMaxCommandSetId(table), QStringLiteral("MaxIndex")),
                     QStringLiteral("2"));
            TControlObject edited = command(1, 5, QString(), 0, 1, 2, 0, 0);
            QVERIFY(ExecuteStatement(DbQuery::General, SqlUpdateCommandSetCommand(table, edited)));
            QCOMPARE(ids(SqlSelectCommandSet(table), QStringLiteral("CommandID")), (QList<int>{2, 1}));
            QCOMPARE(GetSearchResultFrmDB(DbQuery::General, SqlSelectCommandSet(table), QStringLiteral("Remark")),
                     QStringLiteral("a'b"));
            QVERIFY(ExecuteStatement(DbQuery::General, SqlDeleteCommandSetCommand(table, 2)));
            QCOMPARE(ids(SqlSelectCommandSet(table), QStringLiteral("CommandID")), (QList<int>{1}));
            QCOMPARE(NextCommandSetId(table), QStringLiteral("2"));
        }
        for (const QString& lookup : {SqlSelectUniversalSwitchStatuses(), SqlSelectCommandTypes(),
                                      SqlSelectSecurityAlarmTypes(), SqlSelectSecurityModes(), SqlSelectCurtainStatuses()})
            QVERIFY2(pblIsExistData(DbQuery::General, lookup), qPrintable(lookup));
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestSqlText)
#include "tst_sqltext.moc"
