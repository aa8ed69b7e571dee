#pragma once

#include "backups.h"
#include "snapshotrequester.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QThread;

// Takes the program's snapshots and restores them. The copying and hashing
// run on a thread of their own, one job at a time, on a database connection
// of their own. Only a snapshot asked for before a change copies the
// database's pages into memory on the service's thread, from the program's
// own connection (some 20 ms for a 16 MB database), so that it holds the
// shows as they were before the change that asked. What came of each job is reported by signal on the thread
// the service lives on. Only putting restored files in place (closing and
// opening the database around a few renames) happens on that thread.
class BackupService : public QObject, public SnapshotRequester {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    static constexpr int BurstSeconds = 30;
    static constexpr int DailyMS = 24 * 60 * 60 * 1000;

    // The clock defaults to the wall clock.
    explicit BackupService(BackupPaths paths, Clock clock = {}, QObject* parent = nullptr);
    // Waits for a job at work to end.
    ~BackupService() override;

    const BackupPaths& paths() const { return m_paths; }
    // The finished snapshots, newest first (read from their manifests).
    QVector<SnapshotInfo> snapshots() const;

    // A snapshot whatever the time since the last one (start-up, daily).
    void snapshotNow();
    void snapshotBeforeChange() override;
    // Starts the once-a-day snapshot while the program runs.
    void startDaily();
    QTimer& dailyTimer() { return m_daily; }

    // A snapshot of the present state is taken first; then the snapshot's
    // files replace the live ones and restored() tells the program to read
    // them afresh. restoreFailed() leaves the live files as they were.
    void restore(const SnapshotInfo& snapshot);

    // Whether a job is at work or waiting.
    bool isBusy() const;

Q_SIGNALS:
    void snapshotTaken(const SnapshotInfo& info);
    void snapshotFailed(const QString& text);
    void restored(const SnapshotInfo& info);
    void restoreFailed(const QString& text);
    // Every job asked for has ended.
    void idle();

private:
    struct Job {
        bool restore = false;
        SnapshotInfo snapshot; // what to restore
        // The database as it was when a snapshot before a change was asked
        // for; otherwise (or when the program's connection is not open on
        // it) the worker reads the file on a connection of its own.
        std::shared_ptr<const DatabaseImage> image;
    };
    struct Outcome {
        SnapshotResult taken;
        bool staged = false;
        QString stageFailure;
    };
    void enqueue(Job job);
    void startNext();
    void finishJob();
    QDateTime now() const;
    std::shared_ptr<const DatabaseImage> imageOfOpenDatabase() const;

    BackupPaths m_paths;
    Clock m_clock;
    QTimer m_daily;
    QVector<Job> m_queue;
    QThread* m_thread = nullptr;
    Job m_running;
    std::shared_ptr<Outcome> m_outcome;
    QDateTime m_lastBurstSnapshot;
    int m_jobNumber = 0;
};
