#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

// The show database: one connection. Every read and write runs on a query
// object of its own, so a read may be open while another reads or writes.

// Opens Database/DB.mdb (or the given file). A missing file, or one that is
// not a show database (no database at all, or lacking a table the program
// reads), is an error: *failure tells why, naming what is missing, for the
// caller to show (empty text when it opened), and nothing is created or
// written in its place. Returns
// true when the connection to that very file is ready; a connection to
// another file is closed first.
bool OpenDatabase(const QString& databasePath, QString* failure = nullptr);
void CloseDatabase();
bool IsDatabaseOpen();
// The absolute path of the open database file; empty without a connection.
QString OpenDatabaseFile();

// A new query object of its own on the show database (forward only). Without
// a connection every exec on it fails.
QSqlQuery StandaloneQuery();

// The program's connection itself, or an invalid one without a connection.
// Only the snapshots use it, to copy the database page by page.
QSqlDatabase ShowDatabaseConnection();

// The tables the program reads and writes; OpenDatabase refuses a file
// that lacks one of them.
QStringList RequiredTables();

// Field readers that treat an empty column as 0 / empty text.
int FieldInt(const QSqlQuery& query, const QString& name);
// A column's value as a number: 0 when empty, text taken as its number.
int IntOfField(const QVariant& value);
QString FieldText(const QSqlQuery& query, const QString& name);
// Whether the current row has a field of that name (any letter case).
bool HasField(const QSqlQuery& query, const QString& name);

// A transaction on the one connection: commits on commit(), rolls back when
// it goes out of scope without one.
class DbTransaction {
public:
    DbTransaction();
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();
    // The database's reason when the transaction could not begin or commit.
    QString failureText() const { return m_failure; }

private:
    bool m_active = false;
    QString m_failure;
};
