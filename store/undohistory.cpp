#include "undohistory.h"

#include "database.h"
#include "settingsfiles.h"
#include "statements.h"

#include <QSqlQuery>
#include <QSqlRecord>

using ShowStore::EditResult;
using ShowStore::Outcome;

namespace {

const QString showKey = QStringLiteral("ShowID");
const QString timePointKey = QStringLiteral("ShowID,TimePointID");
const QString showCommandKey = QStringLiteral("ShowID,TimePointID,CommandID");

EditScope::Rows showRow(int showId)
{
    return {QStringLiteral("Show"), QStringLiteral("ShowID=?"), {showId}, showKey};
}

// Reads the rows of one part of a scope, every column as stored.
std::optional<ScopeImage::Table> readRows(const EditScope::Rows& part, QString* error)
{
    QSqlQuery query = StandaloneQuery();
    const Statement select{QStringLiteral("select * from %1 where %2 order by %3").arg(part.table, part.where,
                                                                                        part.order),
                           part.values};
    if (!OpenStatement(query, select, error))
        return std::nullopt;
    ScopeImage::Table table;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        table.columns << record.fieldName(i);
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        table.rows << row;
    }
    if (!WalkedToEnd(query, error))
        return std::nullopt;
    return table;
}

// Replaces the rows of one part with those of the image, on the open
// transaction.
bool putRows(const EditScope::Rows& part, const ScopeImage::Table& table, QString* error)
{
    QSqlQuery query = StandaloneQuery();
    if (!RunStatement(query, {QStringLiteral("delete from %1 where %2").arg(part.table, part.where), part.values},
                      error))
        return false;
    if (table.rows.isEmpty())
        return true;
    const QString marks = QStringLiteral("?,").repeated(table.columns.size()).chopped(1);
    if (!query.prepare(QStringLiteral("insert into %1(%2) values(%3)")
                           .arg(part.table, table.columns.join(QLatin1Char(',')), marks))) {
        *error = ReasonOf(query);
        return false;
    }
    for (const QVariantList& row : table.rows) {
        for (int i = 0; i < row.size(); ++i)
            query.bindValue(i, row[i]);
        if (!query.exec()) {
            *error = ReasonOf(query);
            return false;
        }
    }
    query.finish();
    return true;
}

EditResult putAllRows(const QVector<EditScope>& scopes, const QVector<ScopeImage>& images)
{
    DbTransaction tx;
    if (!tx.isActive())
        return EditResult::failure(tx.failureText());
    QString error;
    for (int s = 0; s < scopes.size(); ++s) {
        for (int p = 0; p < scopes[s].rows.size(); ++p) {
            if (!putRows(scopes[s].rows[p], images[s].tables[p], &error))
                return EditResult::failure(error); // tx rolls back
        }
    }
    if (!tx.commit())
        return EditResult::failure(tx.failureText());
    return EditResult::success();
}

} // namespace

// ---- Scopes -------------------------------------------------------------------

EditScope EditScope::showEntry(int showId)
{
    return {{showRow(showId)}, QString::number(showId)};
}

EditScope EditScope::wholeShow(int showId)
{
    return {{showRow(showId),
             {QStringLiteral("TimePoint"), QStringLiteral("ShowID=?"), {showId}, timePointKey},
             {QStringLiteral("CommandsForShow"), QStringLiteral("ShowID=?"), {showId}, showCommandKey}},
            QString::number(showId)};
}

EditScope EditScope::timePoint(int showId, int timePointId)
{
    const QString where = QStringLiteral("ShowID=? and TimePointID=?");
    return {{{QStringLiteral("TimePoint"), where, {showId, timePointId}, timePointKey},
             {QStringLiteral("CommandsForShow"), where, {showId, timePointId}, showCommandKey}},
            {}};
}

EditScope EditScope::commands(const ShowStore::CommandTarget& target)
{
    if (target.setCode == CommandsForShowSet)
        return {{{QStringLiteral("CommandsForShow"), QStringLiteral("ShowID=? and TimePointID=?"),
                  {target.showId, target.timePointId}, showCommandKey}},
                {}};
    const QString table = CommandTableName(target.setCode);
    if (table.isEmpty())
        return {};
    // The whole table: 1=1 leaves nothing to bind.
    return {{{table, QStringLiteral("1=1"), {}, QStringLiteral("CommandID")}}, {}};
}

// ---- The history --------------------------------------------------------------

UndoHistory::UndoHistory(SettingsFiles& files, int capacity, QObject* parent)
    : QObject(parent), m_files(files), m_capacity(qMax(1, capacity))
{
}

UndoHistory::~UndoHistory() = default;

Outcome<ScopeImage> UndoHistory::read(const EditScope& scope) const
{
    ScopeImage image;
    QString error;
    for (const EditScope::Rows& part : scope.rows) {
        auto table = readRows(part, &error);
        if (!table)
            return Outcome<ScopeImage>::failure(error);
        image.tables << *table;
    }
    if (!scope.showIniSection.isEmpty() && m_files.ShowIni)
        image.showIniLines = m_files.ShowIni->sectionLines(scope.showIniSection);
    return Outcome<ScopeImage>::success(image);
}

Outcome<QVector<ScopeImage>> UndoHistory::readAll(const QVector<EditScope>& scopes) const
{
    QVector<ScopeImage> images;
    for (const EditScope& scope : scopes) {
        const auto image = read(scope);
        if (!image)
            return Outcome<QVector<ScopeImage>>::failure(image.error);
        images << *image;
    }
    return Outcome<QVector<ScopeImage>>::success(images);
}

UndoHistory::Recording UndoHistory::begin(const QString& text, const QVector<EditScope>& scopes)
{
    Recording recording;
    const auto before = readAll(scopes);
    if (!before) {
        // The edit goes ahead unrecorded; the steps before it could no
        // longer be undone safely over it.
        clear();
        return recording;
    }
    recording.m_history = this;
    recording.m_text = text;
    recording.m_scopes = scopes;
    recording.m_before = *before;
    return recording;
}

UndoHistory::Recording UndoHistory::begin(UndoHistory* history, const QString& text,
                                          const QVector<EditScope>& scopes)
{
    return history ? history->begin(text, scopes) : Recording();
}

void UndoHistory::Recording::finish(const QString& text)
{
    if (!text.isEmpty())
        m_text = text;
    if (m_history)
        m_history->finish(*this);
}

void UndoHistory::finish(Recording& recording)
{
    if (recording.m_history != this)
        return;
    recording.m_history = nullptr;
    const auto after = readAll(recording.m_scopes);
    if (!after) {
        clear();
        return;
    }
    if (*after == recording.m_before)
        return;
    m_redo.clear();
    m_undo.push_back({recording.m_text, recording.m_scopes, recording.m_before, *after});
    while (int(m_undo.size()) > m_capacity)
        m_undo.pop_front();
    Q_EMIT changed();
}

QString UndoHistory::undoText() const
{
    return m_undo.empty() ? QString() : m_undo.back().text;
}

QString UndoHistory::redoText() const
{
    return m_redo.empty() ? QString() : m_redo.back().text;
}

EditResult UndoHistory::undo()
{
    return move(m_undo, m_redo, false);
}

EditResult UndoHistory::redo()
{
    return move(m_redo, m_undo, true);
}

void UndoHistory::clear()
{
    if (m_undo.empty() && m_redo.empty())
        return;
    m_undo.clear();
    m_redo.clear();
    Q_EMIT changed();
}

EditResult UndoHistory::move(std::deque<Step>& from, std::deque<Step>& to, bool forward)
{
    if (from.empty())
        return EditResult::failure(forward ? QStringLiteral("There is nothing to redo")
                                           : QStringLiteral("There is nothing to undo"));
    const Step& step = from.back();
    const auto current = readAll(step.scopes);
    if (!current)
        return EditResult::failure(current.error);
    // What the step left (or, to redo, what its undo left) must still be
    // there: anything else was written since, and would be lost.
    if (*current != (forward ? step.before : step.after))
        return EditResult::failure(QStringLiteral("\"%1\" was changed since by something else, so it is left as it is")
                                       .arg(step.text));
    const EditResult put = this->put(step.scopes, forward ? step.after : step.before, *current);
    if (!put)
        return put;
    to.push_back(from.back());
    from.pop_back();
    Q_EMIT changed();
    return EditResult::success();
}

// The rows first, then the Show.ini entries; an entry the file refuses
// takes the rows back to current, so a failure leaves both as they were.
EditResult UndoHistory::put(const QVector<EditScope>& scopes, const QVector<ScopeImage>& images,
                            const QVector<ScopeImage>& current)
{
    const EditResult rows = putAllRows(scopes, images);
    if (!rows)
        return rows;
    for (int s = 0; s < scopes.size(); ++s) {
        const QString& section = scopes[s].showIniSection;
        if (section.isEmpty() || images[s].showIniLines == current[s].showIniLines)
            continue;
        if (!m_files.ShowIni || !m_files.ShowIni->replaceSection(section, images[s].showIniLines)) {
            for (int done = 0; done < s; ++done) {
                if (!scopes[done].showIniSection.isEmpty() && m_files.ShowIni)
                    m_files.ShowIni->replaceSection(scopes[done].showIniSection, current[done].showIniLines);
            }
            const EditResult back = putAllRows(scopes, current);
            QString reason = QStringLiteral("Show.ini could not be written");
            if (!back)
                reason += QStringLiteral("; the database change could not be taken back either: ") + back.error;
            return EditResult::failure(reason);
        }
    }
    return EditResult::success();
}
