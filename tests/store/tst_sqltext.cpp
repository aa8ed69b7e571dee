#include "database.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "rawsql.h"
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

// The named field of the first row the statement selects, as stored; empty
// without a row.
QString firstText(const QString& statement, const QString& field)
{
    if (!OpenRows(DbQuery::General, statement))
        return QStringLiteral("<failed>");
    QSqlQuery& q = QueryObject(DbQuery::General);
    const QString text = q.next() ? FieldText(q, field) : QString();
    q.finish();
    return text;
}

// Runs the statements in their order; false at the first that fails.
bool runAll(const QStringList& statements)
{
    for (const QString& statement : statements) {
        if (!RunSql(statement))
            return false;
    }
    return true;
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

        QVERIFY(RunSql(SqlInsertShow(1, 2, 1, 200)));
        QVERIFY(RunSql(SqlInsertShow(2, 1, 0, 0)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{2, 1}));
        QVERIFY(RunSql(SqlUpdateShow(1, 0, 0, 0)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{1, 2}));
        QCOMPARE(firstText(SqlSelectShow(2), QStringLiteral("SequenceNo")), QStringLiteral("1"));
        QCOMPARE(firstText(SqlSelectMaxShowSequenceNo(), QStringLiteral("MaxIndex")), QStringLiteral("1"));
        QCOMPARE(firstText(SqlSelectMaxShowId(), QStringLiteral("MaxIndex")), QStringLiteral("2"));

        QVERIFY(RunSql(SqlInsertTimePoint(1, 1, 20)));
        QVERIFY(RunSql(SqlInsertTimePoint(1, 2, 5)));
        QCOMPARE(ids(SqlSelectTimePointAtSecond(1, 20), QStringLiteral("TimePointID")), (QList<int>{1}));
        QCOMPARE(ids(SqlSelectTimePointAtSecond(2, 20), QStringLiteral("TimePointID")), QList<int>{});
        QCOMPARE(ids(SqlSelectTimePoints(1), QStringLiteral("TimePointID")), (QList<int>{2, 1}));
        QCOMPARE(ids(SqlSelectTimePointsForPlaying(1), QStringLiteral("TimePointID")), (QList<int>{2, 1}));
        QCOMPARE(firstText(SqlSelectMaxTimePointId(1), QStringLiteral("MaxIndex")), QStringLiteral("2"));
        QCOMPARE(firstText(SqlSelectMaxTimePointId(2), QStringLiteral("MaxIndex")), QString());

        // A remark with quotes is stored and read back as typed.
        const QString remark = QStringLiteral("it's the 'big' one");
        QVERIFY(RunSql(SqlUpdateTimePoint(1, 1, 21, remark)));
        QCOMPARE(firstText(SqlSelectTimePoint(1, 1), QStringLiteral("SecondOfTimePoint")), QStringLiteral("21"));
        QCOMPARE(firstText(SqlSelectTimePoint(1, 1), QStringLiteral("Remark")), remark);

        // Blank commands read back as kind 3 with empty remark and delay.
        QVERIFY(RunSql(SqlInsertBlankTimePointCommand(1, 1, 1)));
        QVERIFY(OpenRows(DbQuery::Command, SqlSelectTimePointCommands(1, 1)));
        QSqlQuery& q = QueryObject(DbQuery::Command);
        QVERIFY(q.next());
        QCOMPARE(FieldInt(q, QStringLiteral("CommandTypeID")), 3);
        QCOMPARE(FieldInt(q, QStringLiteral("SequenceNo")), 1);
        QCOMPARE(FieldText(q, QStringLiteral("Remark")), QString());
        QCOMPARE(FieldText(q, QStringLiteral("DelayMS")), QString());
        QVERIFY(!q.next());

        const TControlObject pasted = command(2, 7, QStringLiteral("o'clock"), 4, 3, 100, 125, 500);
        QVERIFY(RunSql(SqlInsertTimePointCommand(1, 1, pasted)));
        TControlObject edited = pasted;
        edited.SequenceNo = 0;
        edited.Remark = QStringLiteral("'quoted'");
        edited.DelayMS = 600000;
        QVERIFY(RunSql(SqlUpdateTimePointCommand(1, 1, edited)));
        QCOMPARE(ids(SqlSelectTimePointCommandsForPlaying(1, 1), QStringLiteral("CommandID")), (QList<int>{2, 1}));
        QCOMPARE(firstText(SqlSelectTimePointCommands(1, 1), QStringLiteral("Remark")), QStringLiteral("'quoted'"));
        QCOMPARE(firstText(SqlSelectTimePointCommands(1, 1), QStringLiteral("DelayMS")), QStringLiteral("600000"));
        QCOMPARE(firstText(SqlSelectMaxTimePointCommandId(1, 1), QStringLiteral("MaxIndex")), QStringLiteral("2"));
        QCOMPARE(firstText(SqlSelectMaxTimePointCommandId(1, 2), QStringLiteral("MaxIndex")), QString());
        QVERIFY(RunSql(SqlDeleteTimePointCommand(1, 1, 2)));
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 1), QStringLiteral("CommandID")), (QList<int>{1}));

        // Deleting a time point takes its commands only.
        QVERIFY(RunSql(SqlInsertBlankTimePointCommand(1, 2, 1)));
        QVERIFY(runAll(SqlDeleteTimePoint(1, 1)));
        QCOMPARE(ids(SqlSelectTimePoints(1), QStringLiteral("TimePointID")), (QList<int>{2}));
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 1), QStringLiteral("CommandID")), QList<int>{});
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 2), QStringLiteral("CommandID")), (QList<int>{1}));

        // Deleting a show takes its time points and commands, not others'.
        QVERIFY(RunSql(SqlInsertTimePoint(2, 1, 3)));
        QVERIFY(RunSql(SqlInsertBlankTimePointCommand(2, 1, 1)));
        QVERIFY(runAll(SqlDeleteShow(1)));
        QCOMPARE(ids(SqlSelectShows(), QStringLiteral("ShowID")), (QList<int>{2}));
        QCOMPARE(ids(SqlSelectTimePoint(1, 2), QStringLiteral("TimePointID")), QList<int>{});
        QCOMPARE(ids(SqlSelectTimePointCommands(1, 2), QStringLiteral("CommandID")), QList<int>{});
        QCOMPARE(ids(SqlSelectTimePointCommands(2, 1), QStringLiteral("CommandID")), (QList<int>{1}));
        QVERIFY(boxes.shown.isEmpty());
    }

    void commandSetsRunOnEveryTable()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (CommandSetCode set : {CommandsForPlaySet, CommandsForPauseSet, CommandsForStopSet}) {
            const QString table = CommandTableName(set);
            QVERIFY(RunSql(SqlInsertBlankCommandSetCommand(table, 1)));
            QVERIFY(RunSql(SqlInsertCommandSetCommand(table, command(2, 0, QStringLiteral("a'b"), 2, 9, 1, 0, 0))));
            QCOMPARE(ids(SqlSelectCommandSetForList(set), QStringLiteral("CommandID")), (QList<int>{2, 1}));
            QCOMPARE(firstText(SqlSelectMaxCommandSetId(table), QStringLiteral("MaxIndex")), QStringLiteral("2"));
            TControlObject edited = command(1, 5, QString(), 0, 1, 2, 0, 0);
            QVERIFY(RunSql(SqlUpdateCommandSetCommand(table, edited)));
            QCOMPARE(ids(SqlSelectCommandSet(table), QStringLiteral("CommandID")), (QList<int>{2, 1}));
            QCOMPARE(firstText(SqlSelectCommandSet(table), QStringLiteral("Remark")), QStringLiteral("a'b"));
            QVERIFY(RunSql(SqlDeleteCommandSetCommand(table, 2)));
            QCOMPARE(ids(SqlSelectCommandSet(table), QStringLiteral("CommandID")), (QList<int>{1}));
        }
        for (const QString& lookup : {SqlSelectUniversalSwitchStatuses(), SqlSelectCommandTypes(),
                                      SqlSelectSecurityAlarmTypes(), SqlSelectSecurityModes(), SqlSelectCurtainStatuses()}) {
            const QList<int> rows = ids(lookup, QStringLiteral("ID"));
            QVERIFY2(!rows.isEmpty() && rows != QList<int>{-1}, qPrintable(lookup));
        }
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestSqlText)
#include "tst_sqltext.moc"
