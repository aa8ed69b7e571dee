#include "database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>

namespace {

const QString connectionName = QStringLiteral("TavolanShowDatabase");

QString failureText(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("The statement could not be run");
    return text;
}

// The file the connection is open on, as an absolute path; empty while no
// connection is ready.
QString& openPath()
{
    static QString path;
    return path;
}

// The required tables the open database does not have, in the order of
// RequiredTables(); names are matched without regard to letter case.
QStringList missingTables(QSqlDatabase& db, QString* failure)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select name from sqlite_master where type in ('table','view')"))) {
        *failure = failureText(probe);
        return {};
    }
    QStringList present;
    while (probe.next())
        present << probe.value(0).toString().toLower();
    QStringList missing;
    for (const QString& table : RequiredTables()) {
        if (!present.contains(table.toLower()))
            missing << table;
    }
    return missing;
}

QVariant fieldValue(const QSqlQuery& query, const QString& name)
{
    // QSqlRecord::indexOf matches field names without regard to letter
    // case, so "SubNetID" finds the column SubnetID.
    const int index = query.record().indexOf(name);
    if (index < 0)
        return QVariant();
    return query.value(index);
}

} // namespace

QStringList RequiredTables()
{
    return {QStringLiteral("Show"),
            QStringLiteral("TimePoint"),
            QStringLiteral("CommandsForShow"),
            QStringLiteral("CommandsForPlay"),
            QStringLiteral("CommandsForPause"),
            QStringLiteral("CommandsForStop"),
            QStringLiteral("Define_Universal_Switch_Status"),
            QStringLiteral("Define_Command_Type"),
            QStringLiteral("Define_Security_Alarm_Type"),
            QStringLiteral("Define_Security_Mode"),
            QStringLiteral("Define_Curtain_Status")};
}

bool OpenDatabase(const QString& databasePath, QString* failureText)
{
    if (failureText)
        failureText->clear();
    const QFileInfo file(databasePath);
    if (IsDatabaseOpen() && file.isFile() && QFileInfo(openPath()) == file)
        return true;
    CloseDatabase();

    if (!file.isFile()) {
        // Opening would otherwise make a new, empty database in its place,
        // and every show would silently be gone.
        if (failureText)
            *failureText = QStringLiteral("The show database was not found: ")
                           + QDir::toNativeSeparators(databasePath);
        return false;
    }

    bool opened = false;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::contains(connectionName)
                              ? QSqlDatabase::database(connectionName, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        if (!db.isValid()) {
            failure = QStringLiteral("The database driver is not available");
        } else {
            // mode=rw makes SQLite refuse, rather than create, a file that
            // vanished between the check above and the open.
            const QString uri = QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded)
                                + QStringLiteral("?mode=rw");
            db.setDatabaseName(uri);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
            opened = db.open();
            if (opened) {
                // A file that is not a database opens fine; the first read
                // tells. An empty file reads as a database without tables.
                // Reading writes nothing, so the file stays as it was.
                QString readFailure;
                const QStringList missing = missingTables(db, &readFailure);
                if (!readFailure.isEmpty()) {
                    failure = readFailure + QStringLiteral(": ") + QDir::toNativeSeparators(databasePath);
                    opened = false;
                } else if (!missing.isEmpty()) {
                    failure = QStringLiteral("The show database lacks the table")
                              + (missing.size() > 1 ? QStringLiteral("s ") : QStringLiteral(" "))
                              + missing.join(QStringLiteral(", ")) + QStringLiteral(": ")
                              + QDir::toNativeSeparators(databasePath);
                    opened = false;
                }
            } else {
                failure = db.lastError().text().trimmed();
                if (failure.isEmpty())
                    failure = QStringLiteral("The show database could not be opened");
            }
            if (opened)
                openPath() = file.absoluteFilePath();
            else
                db.close();
        }
    }
    if (!opened) {
        CloseDatabase();
        if (failureText)
            *failureText = failure;
    }
    return opened;
}

void CloseDatabase()
{
    openPath().clear();
    if (QSqlDatabase::contains(connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(connectionName, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(connectionName);
    }
}

bool IsDatabaseOpen()
{
    if (openPath().isEmpty() || !QSqlDatabase::contains(connectionName))
        return false;
    return QSqlDatabase::database(connectionName, false).isOpen();
}

QSqlQuery StandaloneQuery()
{
    QSqlQuery query(IsDatabaseOpen() ? QSqlDatabase::database(connectionName, false) : QSqlDatabase());
    query.setForwardOnly(true);
    return query;
}

QString OpenDatabaseFile()
{
    return IsDatabaseOpen() ? openPath() : QString();
}

QSqlDatabase ShowDatabaseConnection()
{
    return IsDatabaseOpen() ? QSqlDatabase::database(connectionName, false) : QSqlDatabase();
}

int FieldInt(const QSqlQuery& query, const QString& name)
{
    return IntOfField(fieldValue(query, name));
}

int IntOfField(const QVariant& value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (ok)
        return static_cast<int>(number);
    return value.toString().trimmed().toInt();
}

QString FieldText(const QSqlQuery& query, const QString& name)
{
    const QVariant value = fieldValue(query, name);
    if (value.isNull())
        return QString();
    return value.toString();
}

bool HasField(const QSqlQuery& query, const QString& name)
{
    return query.record().indexOf(name) >= 0;
}

namespace {

QString connectionFailure(const QSqlDatabase& db, const char* fallback)
{
    const QString text = db.lastError().text().trimmed();
    return text.isEmpty() ? QString::fromLatin1(fallback) : text;
}

} // namespace

DbTransaction::DbTransaction()
{
    if (!IsDatabaseOpen()) {
        m_failure = QStringLiteral("The show database is not open");
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    m_active = db.transaction();
    if (!m_active)
        m_failure = connectionFailure(db, "The transaction could not be started");
}

DbTransaction::~DbTransaction()
{
    rollback();
}

bool DbTransaction::commit()
{
    if (!m_active)
        return false;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.commit()) {
        m_active = false;
        return true;
    }
    m_failure = connectionFailure(db, "The changes could not be committed");
    // A commit that did not go through leaves the transaction open; end it
    // so that nothing of it is kept half-way.
    rollback();
    return false;
}

void DbTransaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    QSqlDatabase::database(connectionName, false).rollback();
}
