#include "backups.h"

#include "database.h"
#include "version.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlDriver>
#include <QUrl>

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace {

const QString manifestName = QStringLiteral("manifest.json");
const QString partialPrefix = QStringLiteral(".partial-");
const QString stagedSuffix = QStringLiteral(".restoring");
const QString nameFormat = QStringLiteral("yyyy-MM-dd_HHmmss");

bool syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A rename reaches the disk once the folder holding it is synced.
bool syncFolder(const QString& path)
{
    return syncFile(path);
}

bool copyAndSync(const QString& from, const QString& to, QString* failure)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        *failure = QStringLiteral("Could not copy %1 to %2").arg(QDir::toNativeSeparators(from),
                                                                QDir::toNativeSeparators(to));
        return false;
    }
    QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner);
    if (!syncFile(to)) {
        *failure = QStringLiteral("Could not write %1 to the disk").arg(QDir::toNativeSeparators(to));
        return false;
    }
    return true;
}

QString sqlFailure(const QSqlQuery& query, const QString& what)
{
    const QString reason = query.lastError().text().trimmed();
    return reason.isEmpty() ? what : what + QStringLiteral(": ") + reason;
}

// Runs `work` on a fresh connection to `file`, removed again afterwards.
template <typename Work>
bool withConnection(const QString& file, const QString& connectionName, bool readOnly, QString* failure,
                    Work work)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded)
                           + (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            *failure = QStringLiteral("Could not open %1: %2")
                           .arg(QDir::toNativeSeparators(file), db.lastError().text().trimmed());
        } else {
            ok = work(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

int countRows(QSqlDatabase& db, const QString& table, QString* failure)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from \"%1\"").arg(table)) || !query.next()) {
        *failure = sqlFailure(query, QStringLiteral("Could not count the rows of ") + table);
        return -1;
    }
    return query.value(0).toInt();
}

// Reads and checks a snapshot folder's manifest against the files beside it.
bool readManifest(const QString& folder, SnapshotInfo* info)
{
    QFile file(QDir(folder).filePath(manifestName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    SnapshotInfo out;
    out.folder = QFileInfo(folder).absoluteFilePath();
    out.name = QFileInfo(folder).fileName();
    out.taken = QDateTime::fromString(root.value(QStringLiteral("taken")).toString(), Qt::ISODate);
    out.version = root.value(QStringLiteral("version")).toString();
    out.counts.shows = root.value(QStringLiteral("shows")).toInt(-1);
    out.counts.timePoints = root.value(QStringLiteral("timePoints")).toInt(-1);
    out.counts.commands = root.value(QStringLiteral("commands")).toInt(-1);
    if (!out.taken.isValid() || out.version.isEmpty() || out.counts.shows < 0 || out.counts.timePoints < 0
        || out.counts.commands < 0)
        return false;
    bool hasDatabase = false;
    for (const QJsonValue& entry : root.value(QStringLiteral("files")).toArray()) {
        const QJsonObject f = entry.toObject();
        const QString name = f.value(QStringLiteral("name")).toString();
        const QString sha = f.value(QStringLiteral("sha256")).toString();
        const qint64 size = f.value(QStringLiteral("size")).toInteger(-1);
        // Only plain names: a manifest never points outside its folder.
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
            || name.startsWith(QLatin1Char('.')) || sha.size() != 64 || size < 0)
            return false;
        const QFileInfo present(QDir(folder).filePath(name));
        if (!present.isFile() || present.size() != size)
            return false;
        hasDatabase = hasDatabase || name == QStringLiteral("DB.mdb");
        out.files.append({name, sha});
        out.bytes += size;
    }
    if (!hasDatabase)
        return false;
    *info = out;
    return true;
}

bool writeManifest(const QString& folder, const SnapshotInfo& info, QString* failure)
{
    QJsonArray files;
    for (const auto& [name, sha] : info.files) {
        files.append(QJsonObject{{QStringLiteral("name"), name},
                                 {QStringLiteral("sha256"), sha},
                                 {QStringLiteral("size"), QFileInfo(QDir(folder).filePath(name)).size()}});
    }
    const QJsonObject root{{QStringLiteral("version"), info.version},
                           {QStringLiteral("taken"), info.taken.toString(Qt::ISODate)},
                           {QStringLiteral("shows"), info.counts.shows},
                           {QStringLiteral("timePoints"), info.counts.timePoints},
                           {QStringLiteral("commands"), info.counts.commands},
                           {QStringLiteral("files"), files}};
    const QString path = QDir(folder).filePath(manifestName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(QJsonDocument(root).toJson()) < 0 || !file.flush()) {
        *failure = QStringLiteral("Could not write ") + QDir::toNativeSeparators(path);
        return false;
    }
    const bool synced = ::fsync(file.handle()) == 0;
    file.close();
    if (!synced)
        *failure = QStringLiteral("Could not write %1 to the disk").arg(QDir::toNativeSeparators(path));
    return synced;
}

QString stagedPath(const QString& target)
{
    const QFileInfo info(target);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + stagedSuffix);
}

// Snapshot file name -> the live file it stands for.
QVector<QPair<QString, QString>> liveFiles(const BackupPaths& paths)
{
    return {{QStringLiteral("DB.mdb"), paths.databaseFile},
            {QStringLiteral("Show.ini"), paths.showIni},
            {QStringLiteral("System.ini"), paths.systemIni}};
}

} // namespace

BackupPaths BackupPaths::InFolder(const QString& databaseFolder)
{
    const QDir dir(databaseFolder);
    return {dir.filePath(QStringLiteral("DB.mdb")), dir.filePath(QStringLiteral("Show.ini")),
            dir.filePath(QStringLiteral("System.ini")), dir.filePath(QStringLiteral("Backups"))};
}

QString SnapshotName(const QDateTime& taken)
{
    return taken.toString(nameFormat);
}

QString FileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

DatabaseImage::~DatabaseImage()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

std::shared_ptr<DatabaseImage> DatabaseImage::copyOf(sqlite3* source, QString* failure)
{
    std::shared_ptr<DatabaseImage> image(new DatabaseImage);
    if (sqlite3_open_v2(":memory:", &image->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        *failure = QStringLiteral("Could not make room for the database copy");
        return {};
    }
    sqlite3_backup* backup = sqlite3_backup_init(image->m_db, "main", source, "main");
    if (!backup) {
        *failure = QStringLiteral("Could not copy the show database: ") + QString::fromUtf8(sqlite3_errmsg(image->m_db));
        return {};
    }
    const int step = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE) {
        *failure = QStringLiteral("Could not copy the show database: ") + QString::fromUtf8(sqlite3_errstr(step));
        return {};
    }
    return image;
}

std::shared_ptr<DatabaseImage> DatabaseImage::OfOpenDatabase(QString* failure)
{
    const QSqlDatabase db = ShowDatabaseConnection();
    const QVariant handle = db.isValid() && db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        *failure = QStringLiteral("The show database is not open");
        return {};
    }
    sqlite3* source = *static_cast<sqlite3* const*>(handle.constData());
    if (!source) {
        *failure = QStringLiteral("The show database is not open");
        return {};
    }
    return copyOf(source, failure);
}

std::shared_ptr<DatabaseImage> DatabaseImage::OfFile(const QString& path, QString* failure)
{
    sqlite3* source = nullptr;
    if (!QFileInfo(path).isFile()
        || sqlite3_open_v2(QFile::encodeName(path).constData(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        if (source)
            sqlite3_close_v2(source);
        *failure = QStringLiteral("Could not open ") + QDir::toNativeSeparators(path);
        return {};
    }
    sqlite3_busy_timeout(source, 5000);
    std::shared_ptr<DatabaseImage> image = copyOf(source, failure);
    sqlite3_close_v2(source);
    return image;
}

bool DatabaseImage::writeTo(const QString& path, QString* failure) const
{
    sqlite3* target = nullptr;
    bool written = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &target,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK) {
        if (sqlite3_backup* backup = sqlite3_backup_init(target, "main", m_db, "main")) {
            written = sqlite3_backup_step(backup, -1) == SQLITE_DONE;
            written = sqlite3_backup_finish(backup) == SQLITE_OK && written;
        }
    }
    if (!written)
        *failure = QStringLiteral("Could not write the database copy: ")
                   + QString::fromUtf8(target ? sqlite3_errmsg(target) : "out of memory");
    if (target)
        sqlite3_close_v2(target);
    return written && syncFile(path);
}

SnapshotResult TakeSnapshot(const BackupPaths& paths, const QDateTime& now, const QString& connectionName,
                            const SnapshotHooks& hooks, std::shared_ptr<const DatabaseImage> image)
{
    SnapshotResult result;
    QDir backups(paths.backupsFolder);
    if (!backups.mkpath(QStringLiteral("."))) {
        result.failure = QStringLiteral("Could not make the folder ")
                         + QDir::toNativeSeparators(paths.backupsFolder);
        return result;
    }
    // Two snapshots within one second get -2, -3, ... after the time.
    QString name = SnapshotName(now);
    for (int n = 2; backups.exists(name) || backups.exists(partialPrefix + name); ++n)
        name = SnapshotName(now) + QStringLiteral("-%1").arg(n);
    const QString partial = backups.filePath(partialPrefix + name);
    const QString finished = backups.filePath(name);
    QDir(partial).removeRecursively();
    if (!backups.mkdir(partialPrefix + name)) {
        result.failure = QStringLiteral("Could not make the folder ") + QDir::toNativeSeparators(partial);
        return result;
    }
    auto abandon = [&](const QString& why) {
        QDir(partial).removeRecursively();
        result.failure = why;
        return result;
    };

    // The image is one consistent reading of the database; without one, it
    // is read from the file here, on a connection of its own.
    const QString databaseCopy = QDir(partial).filePath(QStringLiteral("DB.mdb"));
    QString failure;
    if (!image)
        image = DatabaseImage::OfFile(paths.databaseFile, &failure);
    if (!image)
        return abandon(failure);
    if (!image->writeTo(databaseCopy, &failure))
        return abandon(failure.isEmpty() ? QStringLiteral("Could not write the database copy to the disk") : failure);
    for (const auto& [fileName, live] : liveFiles(paths)) {
        if (fileName == QStringLiteral("DB.mdb") || !QFileInfo(live).isFile())
            continue;
        if (!copyAndSync(live, QDir(partial).filePath(fileName), &failure))
            return abandon(failure);
    }
    if (hooks.afterDatabaseCopy)
        hooks.afterDatabaseCopy(databaseCopy);

    // The copy is opened afresh and checked; its own rows are counted.
    SnapshotInfo info;
    const bool checked = withConnection(databaseCopy, connectionName, true, &failure, [&](QSqlDatabase& db) {
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA integrity_check"))) {
            failure = sqlFailure(check, QStringLiteral("The database copy failed its integrity check"));
            return false;
        }
        QStringList problems;
        while (check.next())
            problems << check.value(0).toString();
        if (problems != QStringList{QStringLiteral("ok")}) {
            failure = QStringLiteral("The database copy failed its integrity check: ")
                      + problems.mid(0, 3).join(QStringLiteral("; "));
            return false;
        }
        info.counts.shows = countRows(db, QStringLiteral("Show"), &failure);
        info.counts.timePoints = countRows(db, QStringLiteral("TimePoint"), &failure);
        info.counts.commands = countRows(db, QStringLiteral("CommandsForShow"), &failure);
        return info.counts.shows >= 0 && info.counts.timePoints >= 0 && info.counts.commands >= 0;
    });
    if (!checked)
        return abandon(failure);

    info.taken = now;
    info.version = QString::fromLatin1(TavolanVersion);
    for (const auto& [fileName, live] : liveFiles(paths)) {
        const QString copy = QDir(partial).filePath(fileName);
        if (!QFileInfo(copy).isFile())
            continue;
        const QString sha = FileSha256(copy);
        if (sha.isEmpty())
            return abandon(QStringLiteral("Could not read ") + QDir::toNativeSeparators(copy));
        info.files.append({fileName, sha});
    }
    if (hooks.beforeManifest && !hooks.beforeManifest()) {
        result.failure = QStringLiteral("The snapshot was interrupted");
        return result;
    }
    if (!writeManifest(partial, info, &failure) || !syncFolder(partial))
        return abandon(failure.isEmpty() ? QStringLiteral("Could not write the snapshot to the disk") : failure);
    if (!QDir().rename(partial, finished))
        return abandon(QStringLiteral("Could not name the snapshot ") + QDir::toNativeSeparators(finished));
    syncFolder(paths.backupsFolder);

    if (!readManifest(finished, &result.info)) {
        QDir(finished).removeRecursively();
        result.failure = QStringLiteral("The snapshot could not be read back");
        return result;
    }
    result.ok = true;
    return result;
}

QVector<SnapshotInfo> ListSnapshots(const QString& backupsFolder)
{
    QVector<SnapshotInfo> out;
    const QDir dir(backupsFolder);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        SnapshotInfo info;
        if (readManifest(dir.filePath(name), &info))
            out.append(info);
    }
    std::sort(out.begin(), out.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.name > b.name;
    });
    return out;
}

int RemoveUnfinishedSnapshots(const QString& backupsFolder)
{
    int removed = 0;
    const QDir dir(backupsFolder);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        SnapshotInfo info;
        if (!name.startsWith(partialPrefix) && readManifest(dir.filePath(name), &info))
            continue;
        if (QDir(dir.filePath(name)).removeRecursively())
            ++removed;
    }
    return removed;
}

QStringList SnapshotsToPrune(const QVector<SnapshotInfo>& snapshots, const QDateTime& now)
{
    QVector<SnapshotInfo> sorted = snapshots;
    std::sort(sorted.begin(), sorted.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
        return a.taken != b.taken ? a.taken > b.taken : a.name > b.name;
    });
    QSet<QDate> dayKept;
    QStringList prune;
    const QDate today = now.date();
    for (int i = 0; i < sorted.size(); ++i) {
        const QDate day = sorted[i].taken.date();
        const qint64 age = day.daysTo(today);
        bool keep = i < KeptLatestSnapshots;
        if (age >= 0 && age < KeptDailySnapshotDays && !dayKept.contains(day)) {
            dayKept.insert(day); // the newest of its day
            keep = true;
        }
        if (!keep)
            prune << sorted[i].name;
    }
    return prune;
}

int PruneSnapshots(const QString& backupsFolder, const QDateTime& now)
{
    int removed = 0;
    for (const QString& name : SnapshotsToPrune(ListSnapshots(backupsFolder), now)) {
        const QString folder = QDir(backupsFolder).filePath(name);
        // The manifest goes first, so that a removal cut short leaves a
        // folder that is no longer listed and is cleaned up later.
        QFile::remove(QDir(folder).filePath(manifestName));
        if (QDir(folder).removeRecursively())
            ++removed;
    }
    return removed;
}

bool StageRestore(const SnapshotInfo& snapshot, const BackupPaths& paths, QString* failure)
{
    DiscardStagedRestore(paths);
    for (const auto& [fileName, live] : liveFiles(paths)) {
        const auto entry = std::find_if(snapshot.files.begin(), snapshot.files.end(),
                                        [&](const auto& f) { return f.first == fileName; });
        if (entry == snapshot.files.end())
            continue;
        const QString staged = stagedPath(live);
        if (!copyAndSync(QDir(snapshot.folder).filePath(fileName), staged, failure)) {
            DiscardStagedRestore(paths);
            return false;
        }
        if (FileSha256(staged) != entry->second) {
            *failure = QStringLiteral("The snapshot's %1 does not match its manifest").arg(fileName);
            DiscardStagedRestore(paths);
            return false;
        }
    }
    return true;
}

namespace {

// Present while the staged files are being renamed into place: the next
// start finishes what it finds begun.
QString commitMarker(const BackupPaths& paths)
{
    return QFileInfo(paths.databaseFile).dir().filePath(QStringLiteral(".restore-committing"));
}

// Renames every staged file still there into place; false with the first
// that would not go.
bool renameStaged(const BackupPaths& paths, QString* failure)
{
    // The database goes first: it is what a restore is about.
    for (const auto& [fileName, live] : liveFiles(paths)) {
        const QString staged = stagedPath(live);
        if (!QFileInfo(staged).isFile())
            continue;
        if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(live).constData()) != 0) {
            *failure = QStringLiteral("Could not put %1 in place").arg(QDir::toNativeSeparators(live));
            return false;
        }
    }
    syncFolder(QFileInfo(paths.databaseFile).absolutePath());
    return true;
}

} // namespace

bool CommitRestore(const BackupPaths& paths, QString* failure)
{
    // Journal files left beside the database would be played back into the
    // restored one.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(paths.databaseFile + QLatin1String(suffix));
    const QString marker = commitMarker(paths);
    QFile markerFile(marker);
    if (!markerFile.open(QIODevice::WriteOnly) || markerFile.write("restore\n") < 0 || !markerFile.flush()
        || !syncFile(marker)) {
        *failure = QStringLiteral("Could not write %1").arg(QDir::toNativeSeparators(marker));
        markerFile.remove();
        DiscardStagedRestore(paths);
        return false;
    }
    markerFile.close();
    syncFolder(QFileInfo(marker).absolutePath());
    if (!renameStaged(paths, failure)) {
        // The live files may already be half from the snapshot: the marker
        // stays, so that the next start carries the rest through.
        return false;
    }
    QFile::remove(marker);
    syncFolder(QFileInfo(marker).absolutePath());
    return true;
}

bool CompleteInterruptedRestore(const BackupPaths& paths)
{
    const QString marker = commitMarker(paths);
    if (!QFileInfo::exists(marker)) {
        DiscardStagedRestore(paths);
        return false;
    }
    QString failure;
    const bool done = renameStaged(paths, &failure);
    if (done)
        QFile::remove(marker);
    return done;
}

void DiscardStagedRestore(const BackupPaths& paths)
{
    for (const auto& live : liveFiles(paths))
        QFile::remove(stagedPath(live.second));
}
