#include "backups.h"
#include "backupservice.h"
#include "database.h"
#include "programfolder.h"
#include "rawsql.h"
#include "showdata.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QTest>

namespace {

// Every row of every table of the database at `file`, in rowid order.
QStringList Rows(const QString& file)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dump"));
        db.setDatabaseName(file);
        if (!db.open())
            return {QStringLiteral("cannot open")};
        QSqlQuery tables(db);
        tables.exec(QStringLiteral("select name from sqlite_master where type='table' order by name"));
        while (tables.next()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("select * from \"%1\" order by rowid").arg(tables.value(0).toString()));
            while (q.next()) {
                QStringList fields{tables.value(0).toString()};
                for (int i = 0; i < q.record().count(); ++i)
                    fields << q.value(i).toString();
                rows << fields.join(QLatin1Char('|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dump"));
    return rows;
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

SnapshotInfo Taken(const QString& name, const QDateTime& at)
{
    SnapshotInfo info;
    info.name = name;
    info.taken = at;
    return info;
}

const QDateTime Noon(QDate(2026, 12, 9), QTime(12, 0));

} // namespace

class TestBackups : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgramFolder> m_folder;
    BackupPaths m_paths;
    QDateTime m_now = Noon;

    BackupService::Clock clock()
    {
        return [this] { return m_now; };
    }
    SnapshotResult take(const SnapshotHooks& hooks = {})
    {
        return TakeSnapshot(m_paths, m_now, QStringLiteral("test-snapshot"), hooks);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->openDatabase());
        m_paths = BackupPaths::InFolder(m_folder->path(QStringLiteral("Database")));
        m_now = Noon;
        for (int show = 1; show <= 3; ++show) {
            QVERIFY(AddShow(show, show));
            for (int tp = 1; tp <= 4; ++tp) {
                QVERIFY(AddTimePoint(show, show * 10 + tp, tp));
                for (int c = 1; c <= 2; ++c)
                    QVERIFY(AddShowCommand(show, show * 10 + tp, show * 100 + tp * 10 + c, c, c));
            }
        }
        Put(m_paths.showIni, "[Show1]\r\nName=Opening\r\nUrl=C:/media/a.mp4\r\n");
        Put(m_paths.systemIni, "[Port]\nPort=6000\n");
    }
    void cleanup() { m_folder.reset(); }

    // ---- taking snapshots ----------------------------------------------

    void snapshotHoldsTheLiveRowsAndFiles()
    {
        const SnapshotResult result = take();
        QVERIFY2(result.ok, qPrintable(result.failure));
        QCOMPARE(result.info.name, QStringLiteral("2026-12-09_120000"));
        const QDir folder(result.info.folder);
        QCOMPARE(Rows(folder.filePath("DB.mdb")), Rows(m_paths.databaseFile));
        QCOMPARE(Bytes(folder.filePath("Show.ini")), Bytes(m_paths.showIni));
        QCOMPARE(Bytes(folder.filePath("System.ini")), Bytes(m_paths.systemIni));
        QCOMPARE(result.info.counts, (SnapshotCounts{3, 12, 24}));
        QCOMPARE(result.info.files.size(), 3);
        for (const auto& [name, sha] : result.info.files)
            QCOMPARE(FileSha256(folder.filePath(name)), sha);

        const QVector<SnapshotInfo> listed = ListSnapshots(m_paths.backupsFolder);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0].counts, result.info.counts);
        QCOMPARE(listed[0].bytes, QFileInfo(folder.filePath("DB.mdb")).size()
                                      + Bytes(m_paths.showIni).size() + Bytes(m_paths.systemIni).size());
        // A second one in the same second gets a name of its own.
        QCOMPARE(take().info.name, QStringLiteral("2026-12-09_120000-2"));
    }

    void killedSnapshotIsNotListedAndIsCleanedUp()
    {
        QVERIFY(take().ok);
        m_now = m_now.addSecs(60);
        QVERIFY(!take({{}, [] { return false; }}).ok);
        // A folder that lost its manifest, and one whose file was cut short.
        QVERIFY(QDir(m_paths.backupsFolder).mkdir("2026-12-09_110000"));
        m_now = m_now.addSecs(60);
        const SnapshotResult cut = take();
        QVERIFY(cut.ok);
        QFile(QDir(cut.info.folder).filePath("DB.mdb")).resize(1024);

        const QVector<SnapshotInfo> listed = ListSnapshots(m_paths.backupsFolder);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0].name, QStringLiteral("2026-12-09_120000"));
        for (const auto& [name, sha] : listed[0].files)
            QCOMPARE(FileSha256(QDir(listed[0].folder).filePath(name)), sha);
        QCOMPARE(RemoveUnfinishedSnapshots(m_paths.backupsFolder), 3);
        QCOMPARE(QDir(m_paths.backupsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"2026-12-09_120000"});
    }

    void integrityFailureIsReportedNotListed()
    {
        SnapshotHooks damage;
        damage.afterDatabaseCopy = [](const QString& copy) {
            QFile f(copy);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() / 2);
            f.write(QByteArray(f.size() / 2, '\x5a'));
        };
        const SnapshotResult result = take(damage);
        QVERIFY(!result.ok);
        QVERIFY2(result.failure.contains("integrity") || result.failure.contains("malformed"),
                 qPrintable(result.failure));
        QVERIFY(ListSnapshots(m_paths.backupsFolder).isEmpty());
        QVERIFY(QDir(m_paths.backupsFolder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // ---- retention ------------------------------------------------------

    void retentionKeepsLatestAndOnePerDay_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("perDay");
        QTest::addColumn<QStringList>("pruned");
        // Daily for 40 days: the 30 newest days stay.
        QStringList old;
        for (int d = 30; d < 40; ++d)
            old << SnapshotName(Noon.addDays(-d));
        QTest::newRow("daily for 40 days") << 40 << 1 << old;
        // Three a day (at 12:00, 13:00, 14:00) for ten days: the newest 20,
        // and the newest of each older day.
        QStringList extra{SnapshotName(Noon.addDays(-6))};
        for (int d = 7; d < 10; ++d)
            extra << SnapshotName(Noon.addDays(-d).addSecs(3600)) << SnapshotName(Noon.addDays(-d));
        QTest::newRow("three a day for ten days") << 10 << 3 << extra;
        QTest::newRow("fewer than 20") << 2 << 5 << QStringList{};
    }
    void retentionKeepsLatestAndOnePerDay()
    {
        QFETCH(int, days);
        QFETCH(int, perDay);
        QFETCH(QStringList, pruned);
        QVector<SnapshotInfo> snapshots;
        for (int d = 0; d < days; ++d)
            for (int n = 0; n < perDay; ++n) {
                const QDateTime at = Noon.addDays(-d).addSecs(3600 * n);
                snapshots << Taken(SnapshotName(at), at);
            }
        QStringList got = SnapshotsToPrune(snapshots, Noon.addSecs(3 * 3600));
        got.sort();
        pruned.sort();
        QCOMPARE(got, pruned);
    }

    void pruningRemovesTheFolders()
    {
        for (int d = 0; d < 25; ++d) {
            m_now = Noon.addDays(-40 - d);
            QVERIFY(take().ok);
        }
        m_now = Noon;
        QVERIFY(take().ok);
        QCOMPARE(PruneSnapshots(m_paths.backupsFolder, m_now), 6);
        const QVector<SnapshotInfo> left = ListSnapshots(m_paths.backupsFolder);
        QCOMPARE(left.size(), 20);
        QCOMPARE(left.first().taken, Noon);
        QCOMPARE(left.last().taken, Noon.addDays(-58));
    }

    // ---- the service ----------------------------------------------------

    void burstOfEditsMakesOneSnapshot()
    {
        BackupService service(m_paths, clock());
        QSignalSpy taken(&service, &BackupService::snapshotTaken);
        QSignalSpy idle(&service, &BackupService::idle);
        const QStringList rowsBefore = Rows(m_paths.databaseFile);
        service.snapshotBeforeChange();
        // The change goes ahead at once; the snapshot still holds what it
        // removed.
        QVERIFY(RunSql("delete from CommandsForShow"));
        m_now = m_now.addSecs(10);
        service.snapshotBeforeChange();
        m_now = m_now.addSecs(19);
        service.snapshotBeforeChange();
        QVERIFY(idle.wait(10000));
        QCOMPARE(taken.size(), 1);
        QCOMPARE(Rows(QDir(taken[0][0].value<SnapshotInfo>().folder).filePath("DB.mdb")), rowsBefore);
        m_now = m_now.addSecs(2); // 31 s after the first
        service.snapshotBeforeChange();
        QVERIFY(idle.wait(10000));
        QCOMPARE(taken.size(), 2);
        QCOMPARE(service.snapshots().size(), 2);
    }

    void restoreReplacesTheFilesAfterSnapshottingThePresent()
    {
        const SnapshotResult before = take();
        QVERIFY(before.ok);
        const QStringList rowsBefore = Rows(m_paths.databaseFile);
        const QByteArray showIniBefore = Bytes(m_paths.showIni);

        QVERIFY(RunSql("delete from CommandsForShow where ShowID=2"));
        QVERIFY(RunSql("delete from TimePoint where ShowID=2"));
        QVERIFY(RunSql("delete from Show where ShowID=2"));
        QVERIFY(AddShow(9, 9));
        Put(m_paths.showIni, "[Show9]\nName=Later\n");
        const QStringList rowsEdited = Rows(m_paths.databaseFile);

        m_now = m_now.addSecs(600);
        BackupService service(m_paths, clock());
        QSignalSpy restored(&service, &BackupService::restored);
        QSignalSpy failed(&service, &BackupService::restoreFailed);
        service.restore(before.info);
        QVERIFY(restored.wait(10000));
        QCOMPARE(failed.size(), 0);

        QVERIFY(IsDatabaseOpen());
        QCOMPARE(Rows(m_paths.databaseFile), rowsBefore);
        QCOMPARE(SelectedCount("select count(*) from Show"), 3); // the program's connection sees it
        QCOMPARE(Bytes(m_paths.showIni), showIniBefore);
        const QVector<SnapshotInfo> listed = service.snapshots();
        QCOMPARE(listed.size(), 2);
        QCOMPARE(Rows(QDir(listed[0].folder).filePath("DB.mdb")), rowsEdited);
        QCOMPARE(QDir(m_folder->path("Database")).entryList(QDir::Hidden | QDir::Files).filter("restoring"),
                 QStringList{});
    }

    // A kill while the staged files were renamed into place: the next start
    // carries the rest through, so no file is left from another state. Staged
    // files whose commit never began are dropped, the live files untouched.
    void restoreBrokenOffIsFinishedAtTheNextStart()
    {
        const SnapshotResult before = take();
        QVERIFY(before.ok);
        const QStringList rowsBefore = Rows(m_paths.databaseFile);
        const QByteArray showIniBefore = Bytes(m_paths.showIni);
        QVERIFY(AddShow(9, 9));
        Put(m_paths.showIni, "[Show9]\nName=Later\n");
        CloseDatabase();

        QString failure;
        QVERIFY(StageRestore(before.info, m_paths, &failure));
        QVERIFY(!CompleteInterruptedRestore(m_paths)); // never committed: dropped
        QCOMPARE(Bytes(m_paths.showIni), QByteArray("[Show9]\nName=Later\n"));

        QVERIFY(StageRestore(before.info, m_paths, &failure));
        const QString marker = m_folder->path("Database/.restore-committing");
        Put(marker, "restore\n");
        const QString stagedDb = m_folder->path("Database/.DB.mdb.restoring");
        QVERIFY(QFile::exists(stagedDb));
        QVERIFY(QFile::remove(m_paths.databaseFile) && QFile::rename(stagedDb, m_paths.databaseFile));
        QVERIFY(CompleteInterruptedRestore(m_paths));
        QCOMPARE(Rows(m_paths.databaseFile), rowsBefore);
        QCOMPARE(Bytes(m_paths.showIni), showIniBefore);
        QVERIFY(!QFile::exists(marker));
        QVERIFY(!CompleteInterruptedRestore(m_paths));
    }

    void restoreOfADamagedSnapshotLeavesTheLiveFiles()
    {
        const SnapshotResult before = take();
        QVERIFY(before.ok);
        QVERIFY(AddShow(9, 9));
        const QStringList rowsNow = Rows(m_paths.databaseFile);
        Put(QDir(before.info.folder).filePath("Show.ini"), "[Show1]\r\nName=Openin?\r\nUrl=C:/media/a.mp4\r\n");

        BackupService service(m_paths, clock());
        QSignalSpy failed(&service, &BackupService::restoreFailed);
        service.restore(before.info);
        QVERIFY(failed.wait(10000));
        QVERIFY(failed.first().first().toString().contains("manifest"));
        QCOMPARE(Rows(m_paths.databaseFile), rowsNow);
        QVERIFY(IsDatabaseOpen());
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
