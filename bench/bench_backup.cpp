// Snapshots of a large show database, run by hand inside a loopback-only
// network namespace (it sends nothing, but runs like the others):
//   unshare -rn sh -c 'ip link set lo up && exec build/benchbin/bench_backup [runs]'
//
// The database holds 50 shows of 600 time points of 10 commands each
// (300,000 command rows), with Show.ini and System.ini beside it. Each run
// (5 by default) asks the backup service for a snapshot from the event loop,
// as the program does, first as at start-up and once a day (the worker
// thread reads the file), then as before a delete or paste (the database is
// copied into memory on the event loop first), while a 1 ms timer measures the longest gap between
// its ticks: the time the window would not answer. Reported per run: the
// time from the request to the finished, checked snapshot, the time the
// request itself took on the event loop (the in-memory copy), and the
// longest gap; beside them a bare copy of the same database file with
// QFile::copy and fsync, the baseline.

#include "backupservice.h"
#include "benchsupport.h"
#include "database.h"
#include "largedatabase.h"
#include "programfolder.h"
#include "rawsql.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

double copyWithSync(const QString& from, const QString& to)
{
    QFile::remove(to);
    QElapsedTimer clock;
    clock.start();
    if (!QFile::copy(from, to))
        return -1;
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
    return clock.nsecsElapsed() / 1e6;
}

struct Run {
    double totalMs = 0;
    double requestMs = 0;
    double longestGapMs = 0;
    bool ok = false;
};

// One snapshot asked for from the running event loop.
Run snapshotOnce(BackupService& service, bool beforeChange)
{
    Run run;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        run.longestGapMs = std::max(run.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    const auto done = QObject::connect(&service, &BackupService::idle, [&] {
        run.totalMs = clock.nsecsElapsed() / 1e6;
        QCoreApplication::exit(0);
    });
    const auto taken = QObject::connect(&service, &BackupService::snapshotTaken, [&] { run.ok = true; });
    const auto failed = QObject::connect(&service, &BackupService::snapshotFailed, [](const QString& why) {
        std::fprintf(stderr, "snapshot failed: %s\n", qPrintable(why));
    });
    QTimer::singleShot(50, [&] {
        clock.start();
        if (beforeChange)
            service.snapshotBeforeChange();
        else
            service.snapshotNow();
        run.requestMs = clock.nsecsElapsed() / 1e6;
    });
    sinceTick.start();
    ticker.start();
    QCoreApplication::exec();
    ticker.stop();
    QObject::disconnect(done);
    QObject::disconnect(taken);
    QObject::disconnect(failed);
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TestProgramFolder folder;
    if (const int refused = PrepareLargeDatabaseBench(folder))
        return refused;
    const QString database = folder.path(QStringLiteral("Database/DB.mdb"));
    std::printf("database: %.1f MB, %d shows, %d time points, %d commands\n",
                QFileInfo(database).size() / 1048576.0, SelectedCount(QStringLiteral("select count(*) from Show")),
                SelectedCount(QStringLiteral("select count(*) from TimePoint")),
                SelectedCount(QStringLiteral("select count(*) from CommandsForShow")));

    // Each snapshot before a change is a minute after the last one, so that
    // none is left out as part of a burst.
    qint64 later = 0;
    BackupService service(BackupPaths::InFolder(folder.path(QStringLiteral("Database"))),
                          [&later] { return QDateTime::currentDateTime().addSecs(later); });
    std::printf("%-14s %4s %12s %12s %14s %16s\n", "kind", "run", "snapshot ms", "request ms", "longest gap ms",
                "file copy ms");
    for (const bool beforeChange : {false, true}) {
        for (int i = 1; i <= runs; ++i) {
            later += 60;
            const Run run = snapshotOnce(service, beforeChange);
            const double copy = copyWithSync(database, folder.path(QStringLiteral("copy.mdb")));
            std::printf("%-14s %4d %12.1f %12.1f %14.1f %16.1f%s\n", beforeChange ? "before change" : "scheduled", i,
                        run.totalMs, run.requestMs, run.longestGapMs, copy, run.ok ? "" : "  (failed)");
        }
    }
    const QVector<SnapshotInfo> kept = service.snapshots();
    std::printf("snapshots kept: %lld, each %.1f MB\n", static_cast<long long>(kept.size()),
                kept.isEmpty() ? 0.0 : kept.first().bytes / 1048576.0);
    return 0;
}
