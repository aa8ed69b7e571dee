#include "backupservice.h"

#include "database.h"

#include <QFileInfo>
#include <QThread>

BackupService::BackupService(BackupPaths paths, Clock clock, QObject* parent)
    : QObject(parent), m_paths(std::move(paths)), m_clock(std::move(clock))
{
    m_daily.setInterval(DailyMS);
    connect(&m_daily, &QTimer::timeout, this, &BackupService::snapshotNow);
}

BackupService::~BackupService()
{
    m_queue.clear();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QDateTime BackupService::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QVector<SnapshotInfo> BackupService::snapshots() const
{
    return ListSnapshots(m_paths.backupsFolder);
}

void BackupService::snapshotNow()
{
    enqueue({});
}

// What the next statement changes must not be in the snapshot: the
// database is copied into memory here, from the program's own connection,
// before the change can run.
std::shared_ptr<const DatabaseImage> BackupService::imageOfOpenDatabase() const
{
    const QString live = OpenDatabaseFile();
    if (live.isEmpty() || QFileInfo(live) != QFileInfo(m_paths.databaseFile))
        return {};
    QString failure;
    return DatabaseImage::OfOpenDatabase(&failure);
}

void BackupService::snapshotBeforeChange()
{
    const QDateTime at = now();
    if (m_lastBurstSnapshot.isValid() && m_lastBurstSnapshot.secsTo(at) < BurstSeconds
        && m_lastBurstSnapshot <= at)
        return;
    m_lastBurstSnapshot = at;
    enqueue({false, {}, imageOfOpenDatabase()});
}

void BackupService::startDaily()
{
    m_daily.start();
}

void BackupService::restore(const SnapshotInfo& snapshot)
{
    enqueue({true, snapshot, {}});
}

bool BackupService::isBusy() const
{
    return m_thread || !m_queue.isEmpty();
}

void BackupService::enqueue(Job job)
{
    m_queue.append(std::move(job));
    if (!m_thread)
        startNext();
}

void BackupService::startNext()
{
    if (m_queue.isEmpty()) {
        Q_EMIT idle();
        return;
    }
    m_running = m_queue.takeFirst();
    m_outcome = std::make_shared<Outcome>();
    const QString connection = QStringLiteral("TavolanBackup-%1").arg(++m_jobNumber);
    m_thread = QThread::create([outcome = m_outcome, job = m_running, paths = m_paths, at = now(), connection] {
        RemoveUnfinishedSnapshots(paths.backupsFolder);
        outcome->taken = TakeSnapshot(paths, at, connection, {}, job.image);
        if (outcome->taken.ok)
            PruneSnapshots(paths.backupsFolder, at);
        // Without a snapshot of the present state nothing is restored.
        if (job.restore && outcome->taken.ok)
            outcome->staged = StageRestore(job.snapshot, paths, &outcome->stageFailure);
    });
    connect(m_thread, &QThread::finished, this, &BackupService::finishJob, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

void BackupService::finishJob()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Job job = std::move(m_running);
    job.image.reset();
    const std::shared_ptr<Outcome> outcome = std::move(m_outcome);

    if (outcome->taken.ok)
        Q_EMIT snapshotTaken(outcome->taken.info);
    else
        Q_EMIT snapshotFailed(outcome->taken.failure);

    if (job.restore) {
        if (!outcome->taken.ok) {
            Q_EMIT restoreFailed(QStringLiteral("No snapshot of the present shows could be taken, so nothing "
                                                "was restored: ")
                                 + outcome->taken.failure);
        } else if (!outcome->staged) {
            Q_EMIT restoreFailed(outcome->stageFailure);
        } else {
            // The files change under the program's connection only while it
            // is closed; the renames take a moment.
            const bool wasOpen = IsDatabaseOpen();
            CloseDatabase();
            QString failure;
            const bool committed = CommitRestore(m_paths, &failure);
            QString openFailure;
            if (wasOpen || committed)
                OpenDatabase(m_paths.databaseFile, &openFailure);
            if (committed)
                Q_EMIT restored(job.snapshot);
            else
                Q_EMIT restoreFailed(failure);
        }
    }
    startNext();
}
