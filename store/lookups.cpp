#include "lookups.h"

#include "database.h"
#include "publicvariable.h"
#include "settingsfiles.h"
#include "sqltext.h"

#include <QSqlError>

#include <algorithm>

namespace {

// Reads ID and Note rows. With keepEmpty false an empty table leaves the
// list as it was; otherwise the list becomes exactly the rows read.
bool loadNotes(const QString& statement, QVector<TDefineNote>& list, bool keepEmpty)
{
    if (!OpenRows(DbQuery::General, statement))
        return false;
    QSqlQuery& q = QueryObject(DbQuery::General);
    QVector<TDefineNote> rows;
    while (q.next())
        rows.append({FieldInt(q, QStringLiteral("ID")), FieldText(q, QStringLiteral("Note"))});
    // A step that failed half-way shows as an active error on the query.
    const bool ok = !q.lastError().isValid();
    q.finish();
    if (!rows.isEmpty() || keepEmpty)
        list = rows;
    return ok;
}

template <typename List, typename Key>
auto findBy(const List& list, Key key)
{
    return std::find_if(list.cbegin(), list.cend(), key);
}

int idByNote(const QVector<TDefineNote>& list, const QString& note)
{
    auto it = findBy(list, [&](const TDefineNote& n) { return n.Note == note; });
    return it == list.cend() ? -1 : it->ID;
}

QString noteById(const QVector<TDefineNote>& list, int id)
{
    auto it = findBy(list, [&](const TDefineNote& n) { return n.ID == id; });
    return it == list.cend() ? QString() : it->Note;
}

template <typename List>
QString normalize(const List& list, const QString& note)
{
    if (list.isEmpty())
        return QString();
    for (const auto& entry : list) {
        if (entry.Note == note)
            return note;
    }
    return list.first().Note;
}

} // namespace

bool LoadUniversalSwitchStatuses()
{
    return loadNotes(SqlSelectUniversalSwitchStatuses(), mPublicVariable().UniversalSwitchStatusList, false);
}

bool LoadCommandTypes()
{
    if (!OpenRows(DbQuery::General, SqlSelectCommandTypes()))
        return false;
    QSqlQuery& q = QueryObject(DbQuery::General);
    QVector<TDefineNote> rows;
    while (q.next()) {
        const int id = FieldInt(q, QStringLiteral("ID"));
        rows.append({id, ControlTypeName(id)});
    }
    const bool ok = !q.lastError().isValid();
    q.finish();
    if (!rows.isEmpty())
        mPublicVariable().CommandTypeList = rows;
    return ok;
}

bool LoadSecurityAlarmTypes()
{
    if (!OpenRows(DbQuery::General, SqlSelectSecurityAlarmTypes()))
        return false;
    QSqlQuery& q = QueryObject(DbQuery::General);
    QVector<TSecurityAlarmType> rows;
    while (q.next())
        rows.append({FieldInt(q, QStringLiteral("ID")), FieldText(q, QStringLiteral("Note")),
                     FieldInt(q, QStringLiteral("Value"))});
    const bool ok = !q.lastError().isValid();
    q.finish();
    mPublicVariable().SecurityAlarmTypeList = rows;
    return ok;
}

bool LoadSecurityModes()
{
    return loadNotes(SqlSelectSecurityModes(), mPublicVariable().SecurityModeList, true);
}

bool LoadCurtainStatuses()
{
    return loadNotes(SqlSelectCurtainStatuses(), mPublicVariable().CurtainStatusList, false);
}

int UniversalSwitchStatusIdByNote(const QString& note)
{
    return idByNote(mPublicVariable().UniversalSwitchStatusList, note);
}

QString UniversalSwitchStatusNoteById(int id)
{
    return noteById(mPublicVariable().UniversalSwitchStatusList, id);
}

QString NormalizeUniversalSwitchStatusNote(const QString& note)
{
    return normalize(mPublicVariable().UniversalSwitchStatusList, note);
}

int CurtainStatusIdByNote(const QString& note)
{
    return idByNote(mPublicVariable().CurtainStatusList, note);
}

QString CurtainStatusNoteById(int id)
{
    return noteById(mPublicVariable().CurtainStatusList, id);
}

QString NormalizeCurtainStatusNote(const QString& note)
{
    return normalize(mPublicVariable().CurtainStatusList, note);
}

int SecurityModeIdByNote(const QString& note)
{
    return idByNote(mPublicVariable().SecurityModeList, note);
}

QString SecurityModeNoteById(int id)
{
    return noteById(mPublicVariable().SecurityModeList, id);
}

QString NormalizeSecurityModeNote(const QString& note)
{
    return normalize(mPublicVariable().SecurityModeList, note);
}

int SecurityAlarmValueByNote(const QString& note)
{
    const auto& list = mPublicVariable().SecurityAlarmTypeList;
    auto it = findBy(list, [&](const TSecurityAlarmType& a) { return a.Note == note; });
    return it == list.cend() ? -1 : it->Value;
}

QString SecurityAlarmNoteByValue(int value)
{
    const auto& list = mPublicVariable().SecurityAlarmTypeList;
    auto it = findBy(list, [&](const TSecurityAlarmType& a) { return a.Value == value; });
    return it == list.cend() ? QString() : it->Note;
}

QString NormalizeSecurityAlarmNote(const QString& note)
{
    return normalize(mPublicVariable().SecurityAlarmTypeList, note);
}

QString CommandTypeNameById(int id)
{
    return noteById(mPublicVariable().CommandTypeList, id);
}
