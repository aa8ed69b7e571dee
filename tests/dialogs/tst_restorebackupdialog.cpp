#include "backupservice.h"
#include "programfolder.h"
#include "rawsql.h"
#include "restorebackupdialog.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

class TestRestoreBackupDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsTellTimeShowsAndSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("size");
        QTest::newRow("tiny") << qint64(100) << "1 KB";
        QTest::newRow("kilobytes") << qint64(812 * 1024) << "812 KB";
        QTest::newRow("megabytes") << qint64(16.2 * 1024 * 1024) << "16.2 MB";
    }
    void rowsTellTimeShowsAndSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, size);
        SnapshotInfo info;
        info.taken = QDateTime(QDate(2026, 12, 9), QTime(2, 15));
        info.counts.shows = 50;
        info.bytes = bytes;
        const BackupListRow row = DescribeSnapshot(info);
        QCOMPARE(row.taken, QStringLiteral("2026-12-09 02:15:00"));
        QCOMPARE(row.shows, QStringLiteral("50"));
        QCOMPARE(row.size, size);
    }

    void restoreAsksThenReplacesTheShows()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(AddShow(1, 1));
        BackupService backups(BackupPaths::InFolder(folder.path(QStringLiteral("Database"))));
        QSignalSpy idle(&backups, &BackupService::idle);
        backups.snapshotNow();
        QVERIFY(idle.wait(10000));
        QVERIFY(RunSql(QStringLiteral("delete from Show")));

        ScriptedMessages boxes;
        RestoreBackupDialog dialog(boxes, backups);
        QCOMPARE(dialog.lstBackups->topLevelItemCount(), 1);
        dialog.btnRestore->click(); // answered No
        QVERIFY(!backups.isBusy());
        QVERIFY(boxes.texts().last().contains(QStringLiteral("present ones are kept in a snapshot first")));

        boxes.answerNext(MessageAnswer::Yes);
        QSignalSpy restored(&backups, &BackupService::restored);
        dialog.btnRestore->click();
        QVERIFY(!dialog.btnClose->isEnabled());
        QVERIFY(restored.wait(10000));
        QVERIFY(dialog.restored());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show")), 1);
        QCOMPARE(backups.snapshots().size(), 2);
        QCOMPARE(boxes.shown.last().kind, ScriptedMessages::Shown::Notice);
    }
};

QTEST_MAIN(TestRestoreBackupDialog)
#include "tst_restorebackupdialog.moc"
