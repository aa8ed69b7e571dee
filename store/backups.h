#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

struct sqlite3;

// Snapshots of the show database with Show.ini and System.ini, kept in
// Database/Backups/ as one folder per snapshot named by the time it was
// taken ("2026-12-09_021500"). A snapshot is made under a hidden temporary
// name and only renamed to its own once every file is on the disk, the
// database copy passed PRAGMA integrity_check and manifest.json (program
// version, row counts, a SHA-256 per file) was written: a folder without a
// valid manifest is what a killed run leaves, is never listed and is
// removed by the next snapshot.
//
// Everything here is plain file and SQL work without a window. Only
// DatabaseImage::OfOpenDatabase uses the program's connection (and so its
// thread); the rest may run on any thread, on connections of its own.

// Where the files a snapshot holds live, and where snapshots go.
struct BackupPaths {
    QString databaseFile;  // Database/DB.mdb
    QString showIni;       // Database/Show.ini
    QString systemIni;     // Database/System.ini
    QString backupsFolder; // Database/Backups

    // The three files and Backups/ inside a Database folder.
    static BackupPaths InFolder(const QString& databaseFolder);
};

struct SnapshotCounts {
    int shows = 0;
    int timePoints = 0;
    int commands = 0;
    bool operator==(const SnapshotCounts&) const = default;
};

// A finished snapshot as its manifest describes it.
struct SnapshotInfo {
    QString folder; // absolute path of the snapshot folder
    QString name;   // the folder's name
    QDateTime taken;
    QString version;
    SnapshotCounts counts;
    qint64 bytes = 0; // the files together
    // File name -> SHA-256 (hex) of each file the snapshot holds.
    QVector<QPair<QString, QString>> files;
};

struct SnapshotResult {
    bool ok = false;
    QString failure; // why not, for the operator
    SnapshotInfo info;
};

// A copy of the show database in memory, taken page by page with SQLite's
// online backup. Taking it from the program's own connection is quick (a
// few milliseconds for a large database) and ordered with the program's own
// writes: what the next statement deletes is still in the copy. The copy is
// then written out on another thread.
class DatabaseImage {
public:
    ~DatabaseImage();
    DatabaseImage(const DatabaseImage&) = delete;
    DatabaseImage& operator=(const DatabaseImage&) = delete;

    // From the program's open connection, on the thread that uses it; null
    // (with *failure) when it is not open or could not be read.
    static std::shared_ptr<DatabaseImage> OfOpenDatabase(QString* failure);
    // From a connection of its own to the file.
    static std::shared_ptr<DatabaseImage> OfFile(const QString& path, QString* failure);
    // Writes the copy to a new file (which must not exist) and puts it on
    // the disk.
    bool writeTo(const QString& path, QString* failure) const;

private:
    DatabaseImage() = default;
    static std::shared_ptr<DatabaseImage> copyOf(sqlite3* source, QString* failure);
    sqlite3* m_db = nullptr;
};

// Test seams; the program hands none.
struct SnapshotHooks {
    // Called with the database copy before it is checked.
    std::function<void(const QString& databaseCopy)> afterDatabaseCopy;
    // Called before the manifest is written; returning false abandons the
    // snapshot there, as a killed run would (the temporary folder stays).
    std::function<bool()> beforeManifest;
};

// The folder name of a snapshot taken at this time.
QString SnapshotName(const QDateTime& taken);

// Takes a snapshot of the image (read from the database file when null) and
// the settings files as they are now, named by `now`. `connectionName` must
// be unique to the calling thread's use; the connection the copy is checked
// on is removed again before returning.
SnapshotResult TakeSnapshot(const BackupPaths& paths, const QDateTime& now, const QString& connectionName,
                            const SnapshotHooks& hooks = {}, std::shared_ptr<const DatabaseImage> image = {});

// The finished snapshots, newest first. Folders without a valid manifest
// (or missing a file it names, or of another size) are left out.
QVector<SnapshotInfo> ListSnapshots(const QString& backupsFolder);

// Removes what killed runs left: temporary folders and folders without a
// valid manifest. Returns how many were removed.
int RemoveUnfinishedSnapshots(const QString& backupsFolder);

// What is kept: the newest 20, and the newest of each of the last 30 days
// (today included). Returns the names of the others, to be removed.
QStringList SnapshotsToPrune(const QVector<SnapshotInfo>& snapshots, const QDateTime& now);
inline constexpr int KeptLatestSnapshots = 20;
inline constexpr int KeptDailySnapshotDays = 30;
// Removes them; returns how many were removed.
int PruneSnapshots(const QString& backupsFolder, const QDateTime& now);

// Restoring is done in two steps. Staging copies each file of the snapshot
// beside the file it replaces (under a temporary name), checks it against
// the manifest's SHA-256 and puts it on the disk; it may run on any thread.
// Committing renames the staged files into place; the caller closes the
// database before and opens it again after. A staged file that fails its
// check leaves the live files untouched.
bool StageRestore(const SnapshotInfo& snapshot, const BackupPaths& paths, QString* failure);
bool CommitRestore(const BackupPaths& paths, QString* failure);
// Removes staged files that were not committed.
void DiscardStagedRestore(const BackupPaths& paths);
// At start-up, before the database is opened: a commit that a kill or a
// power cut broke off (its marker is still there) is carried through, so
// the three files come from the same snapshot; staged files of a restore
// that never began its commit are removed. True when a commit was finished.
bool CompleteInterruptedRestore(const BackupPaths& paths);

// SHA-256 of a file as lower-case hex; empty when it cannot be read.
QString FileSha256(const QString& path);
