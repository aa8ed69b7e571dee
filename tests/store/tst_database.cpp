#include "database.h"
#include "programfolder.h"
#include "rawsql.h"
#include "textops.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:

    void missingFileIsReportedAndNotCreated()
    {
        QTemporaryDir dir;
        const QString missing = dir.path() + QStringLiteral("/Database/DB.mdb");
        QString failure;
        QVERIFY(!OpenDatabase(missing, &failure));
        QVERIFY(!IsDatabaseOpen());
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(failure.startsWith(QStringLiteral("The show database was not found: ")));
        QVERIFY(failure.contains(QStringLiteral("DB.mdb")));

        // With no connection every statement fails, never crashes.
        QSqlQuery own = StandaloneQuery();
        QVERIFY(!own.exec(QStringLiteral("select * from Show")));
        QVERIFY(!own.next());
        QVERIFY(!own.exec(QStringLiteral("delete from Show")));
    }

    void fileThatIsNoDatabaseIsReported()
    {
        QTemporaryDir dir;
        const QString bogus = dir.path() + QStringLiteral("/DB.mdb");
        QFile f(bogus);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QString failure;
        QVERIFY(!OpenDatabase(bogus, &failure));
        QVERIFY(!IsDatabaseOpen());
        QVERIFY(!failure.isEmpty());
    }

    void fileWithoutTheShowTablesIsRefusedAndLeftAsItWas()
    {
        TestProgramFolder folder;
        QTemporaryDir dir;
        // An empty file would read as a database without tables.
        const QString empty = dir.path() + QStringLiteral("/DB.mdb");
        QFile f(empty);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString failure;
        QVERIFY(!OpenDatabase(empty, &failure));
        QVERIFY(!IsDatabaseOpen());
        QCOMPARE(QFileInfo(empty).size(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("DB.mdb")});
        QVERIFY(failure.contains(QStringLiteral("CommandsForShow")));
        QVERIFY(failure.contains(QStringLiteral("DB.mdb")));

        // A show database that lost one table names that table.
        QVERIFY(folder.openDatabase());
        QVERIFY(RunSql(QStringLiteral("drop table TimePoint")));
        CloseDatabase();
        QVERIFY(!folder.openDatabase(&failure));
        QVERIFY(failure.contains(QStringLiteral("TimePoint")));
        QVERIFY(!failure.contains(QStringLiteral("CommandsForShow")));
    }

    void openingAnotherFileSwitchesToIt()
    {
        TestProgramFolder first;
        TestProgramFolder second;
        QVERIFY(second.openDatabase());
        QVERIFY(RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo) values(9,1)")));
        const QString shows = QStringLiteral("select count(*) from Show");
        QVERIFY(first.openDatabase());
        QCOMPARE(SelectedCount(shows), 0);
        QVERIFY(first.openDatabase()); // the same file again stays open
        QCOMPARE(SelectedCount(shows), 0);
        QVERIFY(second.openDatabase());
        QCOMPARE(SelectedCount(shows), 1);
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
        QVERIFY(SelectedCount(QStringLiteral("select count(*) from Define_Command_Type")) > 0);
        CloseDatabase();
    }

    void namesMatchWithoutLetterCase()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) "
                                      "values(1,1,0,0)")));
        QVERIFY(RunSql(QStringLiteral("update show set SequenceNo=4 where ShowID=1")));
        QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SubNetID) "
                                      "values(1,1,1,9)")));
        QSqlQuery q = StandaloneQuery();
        QVERIFY(q.exec(QStringLiteral("select * from SHOW")));
        QVERIFY(q.next());
        QCOMPARE(FieldInt(q, QStringLiteral("sequenceno")), 4);
        QVERIFY(q.exec(QStringLiteral("select * from CommandsForShow")));
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

    void readsOnQueriesOfTheirOwnNest()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (int tp = 1; tp <= 3; ++tp) {
            QVERIFY(RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(1,%1,%2)")
                               .arg(tp)
                               .arg(tp * 10)));
            for (int c = 1; c <= tp; ++c)
                QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo) "
                                              "values(1,%1,%2,%2)")
                                   .arg(tp)
                                   .arg(c)));
        }
        QSqlQuery outer = StandaloneQuery();
        QSqlQuery inner = StandaloneQuery();
        QVERIFY(outer.exec(QStringLiteral("select * from TimePoint where ShowID=1 order by SecondOfTimePoint")));
        QList<int> counts;
        while (outer.next()) {
            const int tp = FieldInt(outer, QStringLiteral("TimePointID"));
            QVERIFY(inner.exec(
                QStringLiteral("select * from CommandsForShow where ShowID=1 and TimePointID=%1").arg(tp)));
            int n = 0;
            while (inner.next())
                ++n;
            // A write on a query of its own while both reads are open.
            QVERIFY(RunSql(QStringLiteral("update TimePoint set Remark='seen' where TimePointID=%1").arg(tp)));
            counts << n;
        }
        QCOMPARE(counts, (QList<int>{1, 2, 3}));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where Remark is null")), 0);
    }

    void transactionRollsBackUnlessCommitted()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        const QString count = QStringLiteral("select count(*) from CommandsForPlay");
        {
            DbTransaction tx;
            QVERIFY(tx.isActive());
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForPlay(CommandID) values(1)")));
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForPlay(CommandID) values(2)")));
            // The second insert of the same identifier fails; the caller
            // leaves without committing.
            QVERIFY(!RunSql(QStringLiteral("insert into CommandsForPlay(CommandID) values(2)")));
        }
        QCOMPARE(SelectedCount(count), 0);
        {
            DbTransaction tx;
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForPlay(CommandID) values(5)")));
            tx.rollback();
            QVERIFY(!tx.isActive());
        }
        QCOMPARE(SelectedCount(count), 0);
        {
            DbTransaction tx;
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForPlay(CommandID) values(6)")));
            QVERIFY(tx.commit());
            QVERIFY(!tx.isActive());
        }
        QCOMPARE(SelectedCount(count), 1);
        QCOMPARE(SelectedCount(QStringLiteral("select CommandID from CommandsForPlay")), 6);
        // A new transaction can start after the earlier ones ended.
        DbTransaction again;
        QVERIFY(again.isActive());
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
