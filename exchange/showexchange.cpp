#include "showexchange.h"

#include "database.h"
#include "messages.h"
#include "settingsfiles.h"
#include "statements.h"
#include "textops.h"
#include "version.h"
#include "ziparchive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>

#include <QHash>
#include <QSet>

#include <sqlite3.h>

namespace ShowExchange {

using ShowStore::EditResult;
using ShowStore::IdResult;
using ShowStore::Outcome;

namespace {

const QString ManifestName = QStringLiteral("manifest.json");
const QString ShowName = QStringLiteral("show.json");
const QString SetName = QStringLiteral("set.json");
const QString MediaFolder = QStringLiteral("media/");

// The columns written for each row, in this order. The keys of ShowID and
// TimePointID in the command tables are given by where a row sits.
const QStringList ShowColumns{QStringLiteral("ShowID"), QStringLiteral("SequenceNo"),
                              QStringLiteral("ActivedUniversalSwitch"), QStringLiteral("UniversalSwitchID")};
const QStringList TimePointColumns{QStringLiteral("TimePointID"), QStringLiteral("SecondOfTimePoint"),
                                   QStringLiteral("Remark")};
const QStringList CommandColumns{QStringLiteral("CommandID"),       QStringLiteral("SequenceNo"),
                                 QStringLiteral("Remark"),          QStringLiteral("SubnetID"),
                                 QStringLiteral("DeviceID"),        QStringLiteral("CommandTypeID"),
                                 QStringLiteral("FirstParameter"),  QStringLiteral("SecondParameter"),
                                 QStringLiteral("ThirdParameter"),  QStringLiteral("DelayMS")};

QString setKey(CommandSetCode set)
{
    switch (set) {
    case CommandsForPlaySet: return QStringLiteral("play");
    case CommandsForPauseSet: return QStringLiteral("pause");
    case CommandsForStopSet: return QStringLiteral("stop");
    default: return {};
    }
}

// A column as JSON: null when empty, a number for a number, text for text.
QJsonValue jsonOf(const QVariant& value)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return QJsonValue(value.toLongLong());
    case QMetaType::Double:
        return QJsonValue(value.toDouble());
    default:
        return QJsonValue(value.toString());
    }
}

// The value to bind for a JSON value: the reverse of jsonOf.
QVariant valueOf(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double d = value.toDouble();
        const qint64 whole = qint64(d);
        if (double(whole) == d)
            return QVariant(whole);
        return QVariant(d);
    }
    case QJsonValue::String: return QVariant(value.toString());
    case QJsonValue::Bool: return QVariant(qint64(value.toBool()));
    default: return QVariant(QMetaType(QMetaType::LongLong)); // null
    }
}

// The positions of the columns in the query's rows, looked up once per select.
QVector<int> columnIndexes(const QSqlQuery& query, const QStringList& columns)
{
    QVector<int> indexes;
    const QSqlRecord record = query.record();
    for (const QString& column : columns)
        indexes.append(record.indexOf(column));
    return indexes;
}

QJsonObject rowObject(const QSqlQuery& query, const QStringList& columns, const QVector<int>& indexes)
{
    QJsonObject row;
    for (int i = 0; i < columns.size(); ++i)
        row.insert(columns[i], indexes[i] < 0 ? QJsonValue(QJsonValue::Null) : jsonOf(query.value(indexes[i])));
    return row;
}

QJsonObject rowObject(const QSqlQuery& query, const QStringList& columns)
{
    return rowObject(query, columns, columnIndexes(query, columns));
}

bool selectRows(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    return OpenStatement(query, {sql, values}, error);
}

QString hex(const QByteArray& raw)
{
    return QString::fromLatin1(raw.toHex());
}

// Only a plain file name may come out of a file as a media name.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char(':'))
        && !name.contains(QChar(0));
}

QByteArray manifestBytes(const QString& kind, const QJsonArray& members)
{
    QJsonObject manifest{{QStringLiteral("format"), QStringLiteral("tavolan-show")},
                         {QStringLiteral("formatVersion"), FormatVersion},
                         {QStringLiteral("programVersion"), QString::fromLatin1(TavolanVersion)},
                         {QStringLiteral("kind"), kind},
                         {QStringLiteral("members"), members}};
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

QJsonObject memberEntry(const QString& path, qint64 size, const QByteArray& sha256)
{
    return {{QStringLiteral("path"), path}, {QStringLiteral("size"), size}, {QStringLiteral("sha256"), hex(sha256)}};
}

EditResult writePackage(const QString& path, const QString& kind, const QString& documentName,
                        const QJsonObject& document, const QString& mediaName, const QString& mediaPath)
{
    ZipWriter zip;
    QJsonArray members;
    QByteArray sha;
    const QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Compact);
    if (!zip.open(path) || !zip.addBytes(documentName, json, &sha))
        return EditResult::failure(zip.errorString());
    members.append(memberEntry(documentName, json.size(), sha));
    if (!mediaPath.isEmpty()) {
        const QString member = MediaFolder + mediaName;
        if (!zip.addFile(member, mediaPath, &sha))
            return EditResult::failure(zip.errorString());
        members.append(memberEntry(member, QFileInfo(mediaPath).size(), sha));
    }
    // The manifest goes last: a reader hashes every member as it passes and
    // checks them all against it at the end.
    if (!zip.addBytes(ManifestName, manifestBytes(kind, members)) || !zip.commit())
        return EditResult::failure(zip.errorString());
    return EditResult::success();
}

// The SQLite connection under the query's driver, or null when it is
// another driver.
sqlite3* SqliteHandleOf(const QSqlQuery& query)
{
    const QVariant handle = query.driver() ? query.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// A prepared SQLite statement, finalized when it goes.
class RawStatement {
public:
    RawStatement(sqlite3* db, const QString& sql) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (db && sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    bool isValid() const { return m_statement != nullptr; }
    sqlite3_stmt* statement() const { return m_statement; }
    // Runs the statement with what is bound, then clears it for the next row.
    bool step(QString* error)
    {
        const int status = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        if (status == SQLITE_DONE)
            return true;
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

// A column of the current row of a raw statement as JSON, as jsonOf makes
// it of the value Qt's driver would read.
QJsonValue jsonOfColumn(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return QJsonValue(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT: return QJsonValue(sqlite3_column_double(statement, column));
    case SQLITE_NULL: return QJsonValue::Null;
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QJsonValue(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    }
}

// The show's commands, each a row object, by time point, read through
// SQLite's own statement on Qt's connection (a show has thousands; going
// through QVariant for each value took a good part of an export). False
// with the reason when the statement fails.
bool readCommandsRaw(sqlite3* db, int showId, QHash<qint64, QJsonArray>* commandsOf, QString* error)
{
    RawStatement select(db, QStringLiteral("select %1,TimePointID from CommandsForShow where ShowID=? "
                                           "order by TimePointID,SequenceNo,CommandID")
                                .arg(CommandColumns.join(QLatin1Char(','))));
    if (!select.isValid()) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    sqlite3_bind_int64(select.statement(), 1, showId);
    const int pointColumn = int(CommandColumns.size());
    int status;
    while ((status = sqlite3_step(select.statement())) == SQLITE_ROW) {
        QJsonObject row;
        for (int i = 0; i < pointColumn; ++i)
            row.insert(CommandColumns[i], jsonOfColumn(select.statement(), i));
        (*commandsOf)[sqlite3_column_int64(select.statement(), pointColumn)].append(row);
    }
    if (status != SQLITE_DONE) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    return true;
}

} // namespace

// ---- Export -----------------------------------------------------------------

QString MediaPathOf(const SettingsFiles& files, int showId)
{
    QString url = ShowUrlOf(files, showId).trimmed();
    if (url.isEmpty())
        return {};
    if (url.startsWith(QStringLiteral("file://")))
        url = QUrl(url).toLocalFile();
    url.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(url).isRelative() ? ProgramPath(url) : url;
}

Outcome<QJsonObject> ShowDocument(const SettingsFiles& files, int showId)
{
    QString error;
    QSqlQuery query = StandaloneQuery();
    if (!selectRows(query, QStringLiteral("select * from Show where ShowID=?"), {showId}, &error))
        return Outcome<QJsonObject>::failure(error);
    if (!query.next()) {
        if (!WalkedToEnd(query, &error))
            return Outcome<QJsonObject>::failure(error);
        return Outcome<QJsonObject>::failure(QStringLiteral("There is no show %1").arg(showId));
    }
    const QJsonObject showRow = rowObject(query, ShowColumns);
    query.finish();

    // The commands first, grouped by time point, then the time points.
    QHash<qint64, QJsonArray> commandsOf;
    sqlite3* const db = SqliteHandleOf(query);
    if (!db || !readCommandsRaw(db, showId, &commandsOf, &error)) {
        // Another driver, or a statement SQLite would not run: through Qt's
        // driver, which reports what fails.
        commandsOf.clear();
        if (!selectRows(query,
                        QStringLiteral("select * from CommandsForShow where ShowID=? order by TimePointID,SequenceNo,"
                                       "CommandID"),
                        {showId}, &error))
            return Outcome<QJsonObject>::failure(error);
        const QVector<int> commandIndexes = columnIndexes(query, CommandColumns);
        const int commandPoint = query.record().indexOf(QStringLiteral("TimePointID"));
        while (query.next())
            commandsOf[query.value(commandPoint).toLongLong()].append(rowObject(query, CommandColumns, commandIndexes));
        if (!WalkedToEnd(query, &error))
            return Outcome<QJsonObject>::failure(error);
    }

    QJsonArray timePoints;
    if (!selectRows(query,
                    QStringLiteral("select * from TimePoint where ShowID=? order by SecondOfTimePoint,TimePointID"),
                    {showId}, &error))
        return Outcome<QJsonObject>::failure(error);
    const QVector<int> pointIndexes = columnIndexes(query, TimePointColumns);
    const int pointId = query.record().indexOf(QStringLiteral("TimePointID"));
    while (query.next()) {
        QJsonObject point = rowObject(query, TimePointColumns, pointIndexes);
        point.insert(QStringLiteral("commands"), commandsOf.value(query.value(pointId).toLongLong()));
        timePoints.append(point);
    }
    if (!WalkedToEnd(query, &error))
        return Outcome<QJsonObject>::failure(error);

    const QString media = MediaPathOf(files, showId);
    return Outcome<QJsonObject>::success({{QStringLiteral("show"), showRow},
                                          {QStringLiteral("name"), ShowNameOf(files, showId)},
                                          {QStringLiteral("media"), media.isEmpty() ? QString() : QFileInfo(media).fileName()},
                                          {QStringLiteral("timePoints"), timePoints}});
}

Outcome<QJsonObject> SetDocument(CommandSetCode set)
{
    const QString table = CommandTableName(set);
    if (table.isEmpty() || set == CommandsForShowSet)
        return Outcome<QJsonObject>::failure(QStringLiteral("Not a play, pause or stop set"));
    QString error;
    QSqlQuery query = StandaloneQuery();
    if (!selectRows(query, QStringLiteral("select * from %1 order by SequenceNo,CommandID").arg(table), {}, &error))
        return Outcome<QJsonObject>::failure(error);
    QJsonArray commands;
    const QVector<int> indexes = columnIndexes(query, CommandColumns);
    while (query.next())
        commands.append(rowObject(query, CommandColumns, indexes));
    if (!WalkedToEnd(query, &error))
        return Outcome<QJsonObject>::failure(error);
    return Outcome<QJsonObject>::success({{QStringLiteral("set"), setKey(set)}, {QStringLiteral("commands"), commands}});
}

EditResult ExportShow(const SettingsFiles& files, int showId, const QString& path, bool includeMedia)
{
    const auto document = ShowDocument(files, showId);
    if (!document)
        return EditResult::failure(document.error);
    QString mediaPath;
    if (includeMedia) {
        mediaPath = MediaPathOf(files, showId);
        if (mediaPath.isEmpty())
            return EditResult::failure(QStringLiteral("The show has no media file"));
        if (!QFileInfo(mediaPath).isFile())
            return EditResult::failure(QStringLiteral("The media file %1 does not exist").arg(mediaPath));
    }
    return writePackage(path, QStringLiteral("show"), ShowName, *document,
                        document->value(QStringLiteral("media")).toString(), mediaPath);
}

EditResult ExportSet(CommandSetCode set, const QString& path)
{
    const auto document = SetDocument(set);
    if (!document)
        return EditResult::failure(document.error);
    return writePackage(path, QStringLiteral("set"), SetName, *document, {}, {});
}

// ---- Reading ------------------------------------------------------------------

namespace {

struct SeenMember {
    qint64 size = 0;
    QByteArray sha256;
};

Outcome<Package> refuse(const QString& path, const QString& reason)
{
    return Outcome<Package>::failure(QStringLiteral("%1 cannot be imported: %2").arg(QDir::toNativeSeparators(path), reason));
}

// Whether the file ends the way a whole zip archive ends: with its end of
// central directory record (22 bytes, followed by at most a 64 KB comment).
// Without it the file was cut short, however many members still read.
bool endsLikeZip(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 22)
        return false;
    const qint64 tail = qMin<qint64>(file.size(), 22 + 65535);
    if (!file.seek(file.size() - tail))
        return false;
    const QByteArray end = file.read(tail);
    for (qint64 at = end.lastIndexOf("PK\x05\x06"); at >= 0; at = end.lastIndexOf("PK\x05\x06", at - 1)) {
        const int commentLength = uchar(end[at + 20]) | (uchar(end[at + 21]) << 8);
        if (at + 22 <= end.size() && at + 22 + commentLength == end.size())
            return true;
        if (at == 0)
            break;
    }
    return false;
}

bool isKnownMember(const QString& name)
{
    if (name == ManifestName || name == ShowName || name == SetName)
        return true;
    return name.startsWith(MediaFolder) && isPlainFileName(name.mid(MediaFolder.size()));
}

} // namespace

Outcome<Package> ReadPackage(const QString& path, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return refuse(path, QStringLiteral("the file does not exist"));
    if (!endsLikeZip(path))
        return refuse(path, QStringLiteral("it is not a show file, or it was cut short"));
    ZipReader zip;
    if (!zip.open(path))
        return refuse(path, QStringLiteral("it is not a show file (%1)").arg(zip.errorString()));

    Package package;
    package.path = path;
    QHash<QString, SeenMember> seen;
    QHash<QString, QByteArray> json;
    QString name;
    qint64 declared = 0;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (zip.next(&name, &declared)) {
        if (!isKnownMember(name))
            return refuse(path, QStringLiteral("it holds %1, which a show file does not hold").arg(name));
        if (seen.contains(name))
            return refuse(path, QStringLiteral("it holds %1 twice").arg(name));
        const bool isMedia = name.startsWith(MediaFolder);
        const qint64 limit = isMedia ? limits.maxMediaBytes : limits.maxJsonBytes;
        if (declared > limit)
            return refuse(path, QStringLiteral("%1 is larger than %2 bytes").arg(name).arg(limit));
        if (isMedia && !package.mediaMember.isEmpty())
            return refuse(path, QStringLiteral("it holds more than one media file"));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray content;
        qint64 total = 0;
        for (;;) {
            const qint64 n = zip.read(buffer.data(), buffer.size());
            if (n < 0)
                return refuse(path, QStringLiteral("it is damaged (%1)").arg(zip.errorString()));
            if (n == 0)
                break;
            total += n;
            if (total > limit)
                return refuse(path, QStringLiteral("%1 is larger than %2 bytes").arg(name).arg(limit));
            hash.addData(QByteArrayView(buffer.constData(), n));
            if (!isMedia)
                content.append(buffer.constData(), n);
        }
        seen.insert(name, {total, hash.result()});
        if (isMedia) {
            package.mediaMember = name;
            package.mediaSize = total;
        } else {
            json.insert(name, content);
        }
    }
    if (!zip.errorString().isEmpty())
        return refuse(path, QStringLiteral("it is damaged or cut short (%1)").arg(zip.errorString()));

    if (!json.contains(ManifestName))
        return refuse(path, QStringLiteral("it has no manifest.json"));
    QJsonParseError parseError;
    const QJsonDocument manifestDoc = QJsonDocument::fromJson(json.value(ManifestName), &parseError);
    if (!manifestDoc.isObject())
        return refuse(path, QStringLiteral("manifest.json is not readable (%1)").arg(parseError.errorString()));
    package.manifest = manifestDoc.object();
    const QJsonValue version = package.manifest.value(QStringLiteral("formatVersion"));
    if (version.toInt(-1) != FormatVersion)
        return refuse(path, QStringLiteral("it is written in format version %1; this program reads version %2")
                                .arg(version.isDouble() ? QString::number(version.toDouble()) : QStringLiteral("(none)"))
                                .arg(FormatVersion));

    // Every member listed with its hash, every member present listed.
    const QJsonArray members = package.manifest.value(QStringLiteral("members")).toArray();
    QSet<QString> listed;
    for (const QJsonValue& value : members) {
        const QJsonObject member = value.toObject();
        const QString memberPath = member.value(QStringLiteral("path")).toString();
        if (!seen.contains(memberPath))
            return refuse(path, QStringLiteral("%1 is missing").arg(memberPath.isEmpty() ? QStringLiteral("a member") : memberPath));
        const SeenMember& got = seen[memberPath];
        if (member.value(QStringLiteral("sha256")).toString().compare(hex(got.sha256), Qt::CaseInsensitive) != 0
            || qint64(member.value(QStringLiteral("size")).toDouble(-1)) != got.size)
            return refuse(path, QStringLiteral("%1 is damaged: its SHA-256 does not match the manifest").arg(memberPath));
        listed.insert(memberPath);
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        if (it.key() != ManifestName && !listed.contains(it.key()))
            return refuse(path, QStringLiteral("%1 is not listed in the manifest").arg(it.key()));

    package.kind = package.manifest.value(QStringLiteral("kind")).toString();
    const QString documentName = package.kind == QStringLiteral("show") ? ShowName
                               : package.kind == QStringLiteral("set")  ? SetName
                                                                        : QString();
    if (documentName.isEmpty())
        return refuse(path, QStringLiteral("it holds neither a show nor a set"));
    if (!json.contains(documentName))
        return refuse(path, QStringLiteral("%1 is missing").arg(documentName));
    const QJsonDocument document = QJsonDocument::fromJson(json.value(documentName), &parseError);
    if (!document.isObject())
        return refuse(path, QStringLiteral("%1 is not readable (%2)").arg(documentName, parseError.errorString()));
    package.document = document.object();
    if (!package.mediaMember.isEmpty()) {
        if (package.kind != QStringLiteral("show")
            || package.mediaMember.mid(MediaFolder.size()) != package.document.value(QStringLiteral("media")).toString())
            return refuse(path, QStringLiteral("its media file is not the one the show names"));
        package.mediaSha256 = seen[package.mediaMember].sha256;
    }
    if (package.kind == QStringLiteral("show")) {
        const QString media = package.document.value(QStringLiteral("media")).toString();
        if (!media.isEmpty() && !isPlainFileName(media))
            return refuse(path, QStringLiteral("the media name %1 is not a plain file name").arg(media));
        if (!package.document.value(QStringLiteral("show")).isObject()
            || !package.document.value(QStringLiteral("timePoints")).isArray())
            return refuse(path, QStringLiteral("show.json does not describe a show"));
    } else if (!package.document.value(QStringLiteral("commands")).isArray()) {
        return refuse(path, QStringLiteral("set.json does not describe a set"));
    }
    return Outcome<Package>::success(std::move(package));
}

// ---- Importing a show ---------------------------------------------------------

namespace {

// Media/ beside the program, with its trailing separator.
QString mediaFolderPath()
{
    return ProgramPath(QStringLiteral("Media/"));
}

QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

Outcome<bool> switchInUse(int switchId)
{
    QString error;
    QSqlQuery query = StandaloneQuery();
    if (!selectRows(query,
                    QStringLiteral("select count(*) from Show where ActivedUniversalSwitch<>0 and UniversalSwitchID=?"),
                    {switchId}, &error)
        || !query.next())
        return Outcome<bool>::failure(error.isEmpty() ? ReasonOf(query) : error);
    return Outcome<bool>::success(query.value(0).toInt() > 0);
}

QString numberedName(const QString& name, int n)
{
    return QStringLiteral("%1 (%2)").arg(name).arg(n);
}

// Where the media goes: Media/<file> when free or already holding the same
// bytes, otherwise "<base> (2).<suffix>" and on. *same tells whether the
// file there already is this one.
QString mediaTarget(const QString& fileName, const QByteArray& sha256, bool* same)
{
    const QFileInfo plain(fileName);
    const QString base = plain.completeBaseName();
    const QString suffix = plain.suffix().isEmpty() ? QString() : QLatin1Char('.') + plain.suffix();
    for (int n = 1;; ++n) {
        const QString candidate = mediaFolderPath() + (n == 1 ? fileName : numberedName(base, n) + suffix);
        if (!QFileInfo::exists(candidate)) {
            *same = false;
            return candidate;
        }
        if (!sha256.isEmpty() && fileSha256(candidate) == sha256) {
            *same = true;
            return candidate;
        }
    }
}

// Copies the media member out of the archive into the unfinished save file,
// checking its hash again (the file may have changed since it was read).
EditResult extractMedia(const Package& package, const Limits& limits, QSaveFile* target)
{
    ZipReader zip;
    if (!zip.open(package.path))
        return EditResult::failure(zip.errorString());
    QString name;
    qint64 declared = 0;
    while (zip.next(&name, &declared)) {
        if (name != package.mediaMember)
            continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        qint64 total = 0;
        for (;;) {
            const qint64 n = zip.read(buffer.data(), buffer.size());
            if (n < 0)
                return EditResult::failure(QStringLiteral("The media file is damaged (%1)").arg(zip.errorString()));
            if (n == 0)
                break;
            total += n;
            if (total > limits.maxMediaBytes)
                return EditResult::failure(QStringLiteral("The media file is too large"));
            hash.addData(QByteArrayView(buffer.constData(), n));
            if (target->write(buffer.constData(), n) != n)
                return EditResult::failure(target->errorString());
        }
        if (hash.result() != package.mediaSha256)
            return EditResult::failure(QStringLiteral("The media file changed since the file was read"));
        return EditResult::success();
    }
    return EditResult::failure(zip.errorString().isEmpty() ? QStringLiteral("The media file is missing")
                                                           : zip.errorString());
}

bool bindAndRun(QSqlQuery& query, const QVariantList& values, QString* error)
{
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec()) {
        *error = ReasonOf(query);
        return false;
    }
    return true;
}

QVariantList columnValues(const QJsonObject& row, const QStringList& columns, int skip = 0)
{
    QVariantList values;
    values.reserve(columns.size() - skip);
    for (int i = skip; i < columns.size(); ++i)
        values.append(valueOf(row.value(columns[i])));
    return values;
}

// A parsed row's values for the given columns, in their order, null where
// the row has none. A QJsonObject keeps its keys sorted, so they are walked
// beside the sorted columns: a third of the cost of looking each column up,
// which for the thousands of commands of a show was most of the binding.
// A column the walk does not meet is looked up after all.
using RowValues = QVarLengthArray<QJsonValue, 16>;

class RowReader {
public:
    explicit RowReader(const QStringList& columns) : m_count(int(columns.size()))
    {
        for (int i = 0; i < columns.size(); ++i)
            m_sorted.append({columns[i], i});
        std::sort(m_sorted.begin(), m_sorted.end(), [](const Column& a, const Column& b) { return a.name < b.name; });
    }

    RowValues values(const QJsonObject& row) const
    {
        RowValues values(m_count);
        auto entry = row.constBegin();
        const auto end = row.constEnd();
        QString key = entry != end ? entry.key() : QString();
        for (const Column& column : m_sorted) {
            while (entry != end && key < column.name) {
                ++entry;
                if (entry != end)
                    key = entry.key();
            }
            values[column.position] = entry != end && key == column.name ? QJsonValue(entry.value())
                                                                         : row.value(column.name);
        }
        return values;
    }

private:
    struct Column {
        QString name;
        int position = 0;
    };
    QList<Column> m_sorted;
    int m_count = 0;
};

QVariantList variantsOf(const RowValues& values)
{
    QVariantList variants;
    variants.reserve(values.size());
    for (const QJsonValue& value : values)
        variants.append(valueOf(value));
    return variants;
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

// Binds a json value as valueOf would have it stored.
void BindJson(sqlite3_stmt* statement, int index, const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double d = value.toDouble();
        const qint64 whole = qint64(d);
        if (double(whole) == d)
            sqlite3_bind_int64(statement, index, whole);
        else
            sqlite3_bind_double(statement, index, d);
        break;
    }
    case QJsonValue::String: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    case QJsonValue::Bool: sqlite3_bind_int64(statement, index, value.toBool() ? 1 : 0); break;
    default: sqlite3_bind_null(statement, index); break;
    }
}

// "insert into <table>(<columns>) values(?,...),(?,...)..." for as many rows.
QString insertSql(const QString& table, const QStringList& columns, int rows)
{
    const QString row = QLatin1Char('(') + placeholders(int(columns.size())) + QLatin1Char(')');
    return QStringLiteral("insert into %1(%2) values%3")
        .arg(table, columns.join(QLatin1Char(',')), QStringList(rows, row).join(QLatin1Char(',')));
}

// Rows inserted through SQLite's own statements on the connection of Qt's
// driver (and so in its transaction), RowsPerStatement rows a statement:
// running a statement costs more than binding a row, and a show has
// thousands of commands. The rows left over at the end go one a statement.
class BatchInsert {
public:
    static constexpr int RowsPerStatement = 40;

    BatchInsert(sqlite3* db, const QString& table, const QStringList& columns)
        : m_columns(int(columns.size())), m_batch(db, insertSql(table, columns, RowsPerStatement)),
          m_single(db, insertSql(table, columns, 1))
    {
        m_pending.reserve(size_t(RowsPerStatement * m_columns));
    }

    bool isValid() const { return m_batch.isValid() && m_single.isValid(); }

    // A row: the leading values, then the row's own, in the columns' order.
    bool add(std::initializer_list<QJsonValue> leading, const RowValues& row, QString* error)
    {
        m_pending.insert(m_pending.end(), leading.begin(), leading.end());
        m_pending.insert(m_pending.end(), row.begin(), row.end());
        if (m_pending.size() < size_t(RowsPerStatement * m_columns))
            return true;
        const bool ran = run(m_batch, 0, m_pending.size(), error);
        m_pending.clear();
        return ran;
    }

    // Inserts the rows still waiting.
    bool finish(QString* error)
    {
        for (size_t first = 0; first < m_pending.size(); first += size_t(m_columns))
            if (!run(m_single, first, size_t(m_columns), error))
                return false;
        m_pending.clear();
        return true;
    }

private:
    bool run(RawStatement& statement, size_t first, size_t count, QString* error)
    {
        for (size_t i = 0; i < count; ++i)
            BindJson(statement.statement(), int(i) + 1, m_pending[first + i]);
        return statement.step(error);
    }

    int m_columns = 0;
    RawStatement m_batch;
    RawStatement m_single;
    std::vector<QJsonValue> m_pending; // the values of the rows not yet run, row after row
};

// Inserts the show's rows under newShowId; the caller holds the transaction.
bool insertShowRows(const QJsonObject& document, int newShowId, int sequenceNo, bool switchOff, QString* error)
{
    const QJsonObject show = document.value(QStringLiteral("show")).toObject();
    QVariantList showValues{newShowId, sequenceNo, valueOf(show.value(QStringLiteral("ActivedUniversalSwitch"))),
                            valueOf(show.value(QStringLiteral("UniversalSwitchID")))};
    if (switchOff) {
        showValues[2] = 0;
        showValues[3] = 0;
    }
    QSqlQuery query = StandaloneQuery();
    if (!query.prepare(QStringLiteral("insert into Show(%1) values(?,?,?,?)").arg(ShowColumns.join(QLatin1Char(','))))
        || !bindAndRun(query, showValues, error)) {
        if (error->isEmpty())
            *error = ReasonOf(query);
        return false;
    }

    const QStringList pointColumns = QStringList{QStringLiteral("ShowID")} + TimePointColumns;
    const QStringList commandColumns = QStringList{QStringLiteral("ShowID"), QStringLiteral("TimePointID")} + CommandColumns;
    QSqlQuery point = StandaloneQuery();
    QSqlQuery command = StandaloneQuery();
    if (!point.prepare(insertSql(QStringLiteral("TimePoint"), pointColumns, 1))
        || !command.prepare(insertSql(QStringLiteral("CommandsForShow"), commandColumns, 1))) {
        *error = point.lastError().isValid() ? ReasonOf(point) : ReasonOf(command);
        return false;
    }
    // With SQLite underneath (always, but for another driver) the rows are
    // bound straight from the json, many a statement; otherwise one by one
    // through Qt.
    BatchInsert points(SqliteHandleOf(point), QStringLiteral("TimePoint"), pointColumns);
    BatchInsert commands(SqliteHandleOf(command), QStringLiteral("CommandsForShow"), commandColumns);
    const bool batched = points.isValid() && commands.isValid();
    const QJsonValue showId(newShowId);

    // TimePointID and CommandID come first in their columns.
    const RowReader pointReader(TimePointColumns);
    const RowReader commandReader(CommandColumns);
    const QJsonArray timePoints = document.value(QStringLiteral("timePoints")).toArray();
    for (const QJsonValue& pointValue : timePoints) {
        const QJsonObject tp = pointValue.toObject();
        const RowValues pointRow = pointReader.values(tp);
        const QJsonValue& timePointId = pointRow[0];
        if (!timePointId.isDouble()) {
            *error = QStringLiteral("A time point has no TimePointID");
            return false;
        }
        if (batched ? !points.add({showId}, pointRow, error)
                    : !bindAndRun(point, QVariantList{newShowId} + variantsOf(pointRow), error))
            return false;
        const QJsonArray pointCommands = tp.value(QStringLiteral("commands")).toArray();
        for (const QJsonValue& commandValue : pointCommands) {
            const RowValues c = commandReader.values(commandValue.toObject());
            if (!c[0].isDouble()) {
                *error = QStringLiteral("A command has no CommandID");
                return false;
            }
            if (batched ? !commands.add({showId, timePointId}, c, error)
                        : !bindAndRun(command, QVariantList{newShowId, valueOf(timePointId)} + variantsOf(c), error))
                return false;
        }
    }
    return !batched || (points.finish(error) && commands.finish(error));
}

} // namespace

QString ShowImportPlan::description() const
{
    QStringList lines;
    lines << QStringLiteral("The file holds the show \"%1\" with %2 time points and %3 commands.")
                 .arg(name)
                 .arg(timePoints)
                 .arg(commands);
    if (mediaFile.isEmpty())
        lines << QStringLiteral("It has no media file.");
    else if (mediaIncluded)
        lines << QStringLiteral("Its media file %1 is included and goes into the Media folder.").arg(mediaFile);
    if (switchActive)
        lines << QStringLiteral("It answers universal switch %1.").arg(switchId);
    if (nameClash)
        lines << QStringLiteral("A show named \"%1\" exists already: the import is named \"%2\".").arg(name, importName);
    if (switchClash)
        lines << QStringLiteral("Universal switch %1 is in use by another show: the import is stored with its switch off.")
                     .arg(switchId);
    if (mediaMissing)
        lines << QStringLiteral("Its media file %1 is not in the file nor in the Media folder: the show will not play "
                                "until it is put there.")
                     .arg(mediaFile);
    lines << QStringLiteral("Import the show?");
    return lines.join(QLatin1Char('\n'));
}

Outcome<ShowImportPlan> PlanShowImport(const SettingsFiles& files, const Package& package)
{
    if (package.kind != QStringLiteral("show"))
        return Outcome<ShowImportPlan>::failure(QStringLiteral("The file holds a command set, not a show"));
    ShowImportPlan plan;
    const QJsonObject& doc = package.document;
    plan.name = doc.value(QStringLiteral("name")).toString();
    const QJsonArray points = doc.value(QStringLiteral("timePoints")).toArray();
    plan.timePoints = points.size();
    for (const QJsonValue& p : points)
        plan.commands += p.toObject().value(QStringLiteral("commands")).toArray().size();
    plan.mediaFile = doc.value(QStringLiteral("media")).toString();
    plan.mediaIncluded = !package.mediaMember.isEmpty();
    const QJsonObject show = doc.value(QStringLiteral("show")).toObject();
    plan.switchActive = valueOf(show.value(QStringLiteral("ActivedUniversalSwitch"))).toLongLong() != 0;
    plan.switchId = int(valueOf(show.value(QStringLiteral("UniversalSwitchID"))).toLongLong());

    plan.importName = plan.name;
    for (int n = 2;; ++n) {
        const auto taken = ShowStore::ShowNameExists(files, plan.importName);
        if (!taken)
            return Outcome<ShowImportPlan>::failure(taken.error);
        if (!*taken)
            break;
        plan.nameClash = true;
        plan.importName = numberedName(plan.name, n);
    }
    if (plan.switchActive) {
        const auto inUse = switchInUse(plan.switchId);
        if (!inUse)
            return Outcome<ShowImportPlan>::failure(inUse.error);
        plan.switchClash = *inUse;
    }
    plan.mediaMissing = !plan.mediaFile.isEmpty() && !plan.mediaIncluded
                     && !QFileInfo::exists(mediaFolderPath() + plan.mediaFile);
    return Outcome<ShowImportPlan>::success(plan);
}

IdResult ImportShow(SettingsFiles& files, const Package& package, const ShowImportPlan& plan, const Limits& limits)
{
    if (package.kind != QStringLiteral("show"))
        return IdResult::failure(QStringLiteral("The file holds a command set, not a show"));

    // The media first, unfinished: it is put in place only once the rows are in.
    QString mediaPath;
    std::unique_ptr<QSaveFile> media;
    bool sameMediaThere = false;
    if (!plan.mediaFile.isEmpty()) {
        if (plan.mediaIncluded) {
            if (!QDir().mkpath(mediaFolderPath()))
                return IdResult::failure(QStringLiteral("The folder %1 cannot be made").arg(mediaFolderPath()));
            mediaPath = mediaTarget(plan.mediaFile, package.mediaSha256, &sameMediaThere);
            if (!sameMediaThere) {
                media = std::make_unique<QSaveFile>(mediaPath);
                if (!media->open(QIODevice::WriteOnly))
                    return IdResult::failure(QStringLiteral("%1 cannot be written: %2").arg(mediaPath, media->errorString()));
                const EditResult extracted = extractMedia(package, limits, media.get());
                if (!extracted) {
                    media->cancelWriting();
                    return IdResult::failure(extracted.error);
                }
            }
        } else {
            mediaPath = mediaFolderPath() + plan.mediaFile;
        }
    }

    const auto newId = ShowStore::NextShowId();
    const auto sequenceNo = ShowStore::NextShowSequenceNo();
    if (!newId || !sequenceNo) {
        if (media)
            media->cancelWriting();
        return IdResult::failure(!newId ? newId.error : sequenceNo.error);
    }
    {
        DbTransaction transaction;
        QString error;
        if (!transaction.isActive())
            error = transaction.failureText();
        else if (insertShowRows(package.document, *newId, *sequenceNo, plan.switchClash, &error) && !transaction.commit())
            error = transaction.failureText();
        if (!error.isEmpty()) {
            if (media)
                media->cancelWriting();
            return IdResult::failure(error);
        }
    }
    if (media && !media->commit()) {
        ShowStore::DeleteShow(*newId);
        return IdResult::failure(QStringLiteral("%1 cannot be written: %2").arg(mediaPath, media->errorString()));
    }
    if (!WriteShowEntry(files, *newId, plan.importName, mediaPath)) {
        ShowStore::DeleteShow(*newId);
        if (media)
            QFile::remove(mediaPath);
        return IdResult::failure(QStringLiteral("Show.ini cannot be written"));
    }
    return IdResult::success(*newId);
}

// ---- Importing a set ----------------------------------------------------------

int SetCommandCount(const Package& package)
{
    return package.document.value(QStringLiteral("commands")).toArray().size();
}

EditResult ImportSet(CommandSetCode set, const Package& package)
{
    const QString table = CommandTableName(set);
    if (package.kind != QStringLiteral("set"))
        return EditResult::failure(QStringLiteral("The file holds a show, not a command set"));
    if (table.isEmpty() || set == CommandsForShowSet)
        return EditResult::failure(QStringLiteral("Not a play, pause or stop set"));
    DbTransaction transaction;
    if (!transaction.isActive())
        return EditResult::failure(transaction.failureText());
    QString error;
    QSqlQuery query = StandaloneQuery();
    if (!RunStatement(query, {QStringLiteral("delete from %1").arg(table), {}}, &error))
        return EditResult::failure(error);
    if (!query.prepare(QStringLiteral("insert into %1(%2) values(%3)")
                           .arg(table, CommandColumns.join(QLatin1Char(',')), placeholders(CommandColumns.size()))))
        return EditResult::failure(ReasonOf(query));
    for (const QJsonValue& value : package.document.value(QStringLiteral("commands")).toArray()) {
        const QJsonObject c = value.toObject();
        if (!c.value(QStringLiteral("CommandID")).isDouble())
            return EditResult::failure(QStringLiteral("A command has no CommandID"));
        if (!bindAndRun(query, columnValues(c, CommandColumns), &error))
            return EditResult::failure(error);
    }
    if (!transaction.commit())
        return EditResult::failure(transaction.failureText());
    return EditResult::success();
}

// ---- As the windows run them ---------------------------------------------------

namespace {

QString setTitle(CommandSetCode set)
{
    return QStringLiteral("%1 set").arg(setKey(set));
}

} // namespace

bool ExportShowAsked(const SettingsFiles& files, int showId, const QString& path, MessagePresenter& messages,
                     QWidget* owner)
{
    bool includeMedia = false;
    const QString media = MediaPathOf(files, showId);
    if (!media.isEmpty() && QFileInfo(media).isFile()) {
        const MessageAnswer answer = messages.ask(
            owner, QStringLiteral("Include the media file %1 (%2 MB) in the show file?")
                       .arg(QFileInfo(media).fileName())
                       .arg(QFileInfo(media).size() / 1048576.0, 0, 'f', 1));
        if (answer == MessageAnswer::Cancel)
            return false;
        includeMedia = answer == MessageAnswer::Yes;
    }
    const EditResult written = ExportShow(files, showId, path, includeMedia);
    if (!written) {
        messages.error(owner, QStringLiteral("The show could not be exported: %1").arg(written.error));
        return false;
    }
    messages.tell(owner, QStringLiteral("The show was exported to %1.").arg(QDir::toNativeSeparators(path)));
    return true;
}

bool ExportSetAsked(CommandSetCode set, const QString& path, MessagePresenter& messages, QWidget* owner)
{
    const EditResult written = ExportSet(set, path);
    if (!written) {
        messages.error(owner, QStringLiteral("The %1 could not be exported: %2").arg(setTitle(set), written.error));
        return false;
    }
    messages.tell(owner, QStringLiteral("The %1 was exported to %2.").arg(setTitle(set), QDir::toNativeSeparators(path)));
    return true;
}

std::optional<int> ImportShowAsked(SettingsFiles& files, const QString& path, MessagePresenter& messages,
                                   QWidget* owner, const Limits& limits)
{
    const auto package = ReadPackage(path, limits);
    if (!package) {
        messages.error(owner, package.error);
        return std::nullopt;
    }
    const auto plan = PlanShowImport(files, *package);
    if (!plan) {
        messages.error(owner, plan.error);
        return std::nullopt;
    }
    if (messages.ask(owner, plan->description()) != MessageAnswer::Yes)
        return std::nullopt;
    const IdResult imported = ImportShow(files, *package, *plan, limits);
    if (!imported) {
        messages.error(owner, QStringLiteral("The show could not be imported: %1").arg(imported.error));
        return std::nullopt;
    }
    return *imported;
}

bool ImportSetAsked(CommandSetCode set, const QString& path, MessagePresenter& messages, QWidget* owner,
                    const Limits& limits)
{
    const auto package = ReadPackage(path, limits);
    if (!package) {
        messages.error(owner, package.error);
        return false;
    }
    if (package->kind != QStringLiteral("set")) {
        messages.error(owner, QStringLiteral("%1 holds a show, not a command set").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QString from = package->document.value(QStringLiteral("set")).toString();
    if (messages.ask(owner, QStringLiteral("The file holds the %1 set with %2 commands. Replace the commands of the %3 "
                                           "with them?")
                                .arg(from.isEmpty() ? QStringLiteral("?") : from)
                                .arg(SetCommandCount(*package))
                                .arg(setTitle(set)))
        != MessageAnswer::Yes)
        return false;
    const EditResult imported = ImportSet(set, *package);
    if (!imported) {
        messages.error(owner, QStringLiteral("The %1 could not be imported: %2").arg(setTitle(set), imported.error));
        return false;
    }
    return true;
}

} // namespace ShowExchange
