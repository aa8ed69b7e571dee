#include "database.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "scriptedmessages.h"
#include "textops.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetPublicVariables(); }

    void missingFileIsReportedAndNotCreated()
    {
        ScriptedMessages boxes;
        QTemporaryDir dir;
        const QString missing = dir.path() + QStringLiteral("/Database/DB.mdb");
        QVERIFY(!OpenDatabase(missing));
        QVERIFY(!IsDatabaseOpen());
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("DB.mdb")));

        // With no connection every statement fails quietly and reads are
        // reported, never crash.
        QVERIFY(!ExecuteStatement(DbQuery::General, QStringLiteral("delete from Show")));
        QVERIFY(!OpenRows(DbQuery::Nested, QStringLiteral("select * from Show")));
        boxes.clear();
        QVERIFY(!pblIsExistData(DbQuery::General, QStringLiteral("select * from Show")));
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("Show"), QStringLiteral("ShowID")), QString());
        QCOMPARE(boxes.shown.size(), 2);
    }

    void fileThatIsNoDatabaseIsReported()
    {
        ScriptedMessages boxes;
        QTemporaryDir dir;
        const QString bogus = dir.path() + QStringLiteral("/DB.mdb");
        QFile f(bogus);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(!OpenDatabase(bogus));
        QVERIFY(!IsDatabaseOpen());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(!boxes.shown[0].text.isEmpty());
    }

    void fileWithoutTheShowTablesIsRefusedAndLeftAsItWas()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QTemporaryDir dir;
        // An empty file would read as a database without tables.
        const QString empty = dir.path() + QStringLiteral("/DB.mdb");
        QFile f(empty);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(!OpenDatabase(empty));
        QVERIFY(!IsDatabaseOpen());
        QCOMPARE(QFileInfo(empty).size(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("DB.mdb")});
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("CommandsForShow")));
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("DB.mdb")));

        // A show database that lost one table names that table.
        QVERIFY(folder.openDatabase());
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("drop table TimePoint")));
        CloseDatabase();
        boxes.clear();
        QVERIFY(!folder.openDatabase());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("TimePoint")));
        QVERIFY(!boxes.shown[0].text.contains(QStringLiteral("CommandsForShow")));
    }

    void openingAnotherFileSwitchesToIt()
    {
        ScriptedMessages boxes;
        TestProgramFolder first;
        TestProgramFolder second;
        QVERIFY(second.openDatabase());
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into Show(ShowID,SequenceNo) values(9,1)")));
        QVERIFY(first.openDatabase());
        QVERIFY(!pblIsExistData(DbQuery::General, QStringLiteral("select * from Show")));
        QVERIFY(first.openDatabase()); // the same file again stays open
        QVERIFY(second.openDatabase());
        QVERIFY(pblIsExistData(DbQuery::General, QStringLiteral("select * from Show")));
        QVERIFY(boxes.shown.isEmpty());
    }

    void pathWithBlanksAndHashOpens()
    {
        TestProgramFolder folder;
        QVERIFY(folder.isValid());
        QTemporaryDir dir;
        const QString odd = dir.path() + QStringLiteral("/my shows #1 %20");
        QVERIFY(QDir().mkpath(odd));
        QVERIFY(QFile::copy(folder.path(QStringLiteral("Database/DB.mdb")), odd + QStringLiteral("/DB.mdb")));
        QVERIFY(OpenDatabase(odd + QStringLiteral("/DB.mdb")));
        QVERIFY(pblIsExistData(DbQuery::General, QStringLiteral("select * from Define_Command_Type")));
        CloseDatabase();
    }

    void nextIndexFollowsMaxPlusOne()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        const QString show = QStringLiteral("Show");
        const QString id = QStringLiteral("ShowID");
        QCOMPARE(GetNextIndex(DbQuery::General, show, id), QStringLiteral("1"));
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into Show(ShowID,SequenceNo) values(3,1)")));
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into Show(ShowID,SequenceNo) values(7,2)")));
        QCOMPARE(GetNextIndex(DbQuery::General, show, id), QStringLiteral("8"));
        // Gaps stay: deleting 3 changes nothing, deleting the highest frees it.
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("delete from Show where ShowID=3")));
        QCOMPARE(GetNextIndex(DbQuery::General, show, id), QStringLiteral("8"));
        QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("delete from Show where ShowID=7")));
        QCOMPARE(GetNextIndex(DbQuery::General, show, id), QStringLiteral("1"));

        // Where clauses narrow the set; an empty selection starts at 1.
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(1,4,10)")));
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("TimePoint"), QStringLiteral("TimePointID"),
                              QStringLiteral(" where ShowID=1")),
                 QStringLiteral("5"));
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("TimePoint"), QStringLiteral("TimePointID"),
                              QStringLiteral(" where ShowID=2")),
                 QStringLiteral("1"));
        QVERIFY(boxes.shown.isEmpty());

        // A failing read is not an empty table.
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("NoSuchTable"), id), QString());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.endsWith(QStringLiteral("(GetSearchResultFrmDB)")));
    }

    void searchResultReadsFirstRowTrimmed()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        const QString max = QStringLiteral("select Max(ShowID) as MaxIndex  from Show");
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, max, QStringLiteral("MaxIndex")), QString());
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint,Remark) "
                                                "values(1,1,5,'  intro  ')")));
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint,Remark) "
                                                "values(1,2,9,'later')")));
        const QString rows = QStringLiteral("select * from TimePoint where ShowID=1 order by SecondOfTimePoint");
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, rows, QStringLiteral("remark")), QStringLiteral("intro"));
        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, rows, QStringLiteral("SecondOfTimePoint"),
                                      QStringLiteral("REMARK")),
                 QStringLiteral("5-intro"));
        QVERIFY(boxes.shown.isEmpty());

        QCOMPARE(GetSearchResultFrmDB(DbQuery::General, QStringLiteral("select * from Nowhere"), QStringLiteral("x")),
                 QString());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.endsWith(QStringLiteral("(GetSearchResultFrmDB)")));
        QVERIFY(boxes.shown[0].text.size() > QStringLiteral("(GetSearchResultFrmDB)").size());
    }

    void existenceCheckAndItsFailure()
    {
        ScriptedMessages boxes;
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(pblIsExistData(DbQuery::General, QStringLiteral("select * from Define_Curtain_Status")));
        QVERIFY(!pblIsExistData(DbQuery::General, QStringLiteral("select * from Show")));
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!pblIsExistData(DbQuery::General, QStringLiteral("select * from Missing")));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.endsWith(QStringLiteral("(pblIsExistData)")));
        QVERIFY(boxes.shown[0].text.size() > QStringLiteral("(pblIsExistData)").size());
    }

    void namesMatchWithoutLetterCase()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) "
                                                "values(1,1,0,0)")));
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("update show set SequenceNo=4 where ShowID=1")));
        QVERIFY(ExecuteStatement(DbQuery::General,
                                 QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SubNetID) "
                                                "values(1,1,1,9)")));
        QVERIFY(OpenRows(DbQuery::General, QStringLiteral("select * from SHOW")));
        QSqlQuery& q = QueryObject(DbQuery::General);
        QVERIFY(q.next());
        QCOMPARE(FieldInt(q, QStringLiteral("sequenceno")), 4);
        QVERIFY(OpenRows(DbQuery::General, QStringLiteral("select * from CommandsForShow")));
        QVERIFY(q.next());
        QCOMPARE(FieldInt(q, QStringLiteral("SubNetID")), 9);
        QCOMPARE(FieldInt(q, QStringLiteral("SubnetID")), 9);
        // Empty columns read as 0 and as empty text.
        QCOMPARE(FieldInt(q, QStringLiteral("DelayMS")), 0);
        QCOMPARE(FieldText(q, QStringLiteral("DelayMS")), QString());
        QCOMPARE(FieldText(q, QStringLiteral("Remark")), QString());
        QVERIFY(!HasField(q, QStringLiteral("NoColumn")));
        QCOMPARE(FieldInt(q, QStringLiteral("NoColumn")), 0);
    }

    void readsNestAcrossTheThreeQueries()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (int tp = 1; tp <= 3; ++tp) {
            QVERIFY(ExecuteStatement(DbQuery::General,
                                     QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(1,%1,%2)")
                                         .arg(tp)
                                         .arg(tp * 10)));
            for (int c = 1; c <= tp; ++c)
                QVERIFY(ExecuteStatement(DbQuery::Command,
                                         QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo) "
                                                        "values(1,%1,%2,%2)")
                                             .arg(tp)
                                             .arg(c)));
        }
        QVERIFY(OpenRows(DbQuery::General, QStringLiteral("select * from TimePoint where ShowID=1 order by SecondOfTimePoint")));
        QSqlQuery& outer = QueryObject(DbQuery::General);
        QSqlQuery& inner = QueryObject(DbQuery::Nested);
        QList<int> counts;
        while (outer.next()) {
            const int tp = FieldInt(outer, QStringLiteral("TimePointID"));
            QVERIFY(OpenRows(DbQuery::Nested,
                             QStringLiteral("select * from CommandsForShow where ShowID=1 and TimePointID=%1").arg(tp)));
            int n = 0;
            while (inner.next())
                ++n;
            // A write on the third query while both reads are open.
            QVERIFY(ExecuteStatement(DbQuery::Command,
                                     QStringLiteral("update TimePoint set Remark='seen' where TimePointID=%1").arg(tp)));
            counts << n;
        }
        QCOMPARE(counts, (QList<int>{1, 2, 3}));
        QVERIFY(!pblIsExistData(DbQuery::General, QStringLiteral("select * from TimePoint where Remark is null")));
    }

    void transactionRollsBackUnlessCommitted()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        const QString any = QStringLiteral("select * from CommandsForPlay");
        {
            DbTransaction tx;
            QVERIFY(tx.isActive());
            QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into CommandsForPlay(CommandID) values(1)")));
            QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into CommandsForPlay(CommandID) values(2)")));
            // The second insert of the same identifier fails; the caller
            // leaves without committing.
            QVERIFY(!ExecuteStatement(DbQuery::General, QStringLiteral("insert into CommandsForPlay(CommandID) values(2)")));
        }
        QVERIFY(!pblIsExistData(DbQuery::General, any));
        {
            DbTransaction tx;
            QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into CommandsForPlay(CommandID) values(5)")));
            tx.rollback();
            QVERIFY(!tx.isActive());
        }
        QVERIFY(!pblIsExistData(DbQuery::General, any));
        {
            DbTransaction tx;
            QVERIFY(ExecuteStatement(DbQuery::General, QStringLiteral("insert into CommandsForPlay(CommandID) values(6)")));
            QVERIFY(tx.commit());
            QVERIFY(!tx.isActive());
        }
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("CommandsForPlay"), QStringLiteral("CommandID")),
                 QStringLiteral("7"));
        // A new transaction can start after the earlier ones ended.
        DbTransaction again;
        QVERIFY(again.isActive());
    }

    void executeInOrderStopsAtFirstFailure()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(!ExecuteInOrder(DbQuery::General, {QStringLiteral("insert into Show(ShowID) values(1)"),
                                                   QStringLiteral("insert into Nowhere(x) values(1)"),
                                                   QStringLiteral("insert into Show(ShowID) values(2)")}));
        QCOMPARE(GetNextIndex(DbQuery::General, QStringLiteral("Show"), QStringLiteral("ShowID")), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
