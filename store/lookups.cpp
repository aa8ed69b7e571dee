#include "lookups.h"

#include "settingsfiles.h"
#include "statements.h"

#include <algorithm>

namespace {

// The rows of a lookup table in ID order.
Statement lookupRows(const char* table)
{
    return {QStringLiteral("select * from %1 order by ID").arg(QLatin1String(table)), {}};
}

// What reading a lookup table came to.
enum class LookupRead { Whole, Part, None };

// Reads the rows with read: all of them, those before a failure, or none
// when the table could not be read at all. (A select is run up to its first
// row, so a read that breaks off later has rows.)
template <typename T, typename ReadRow> LookupRead readLookup(const char* table, ReadRow read, QVector<T>* rows)
{
    QString error;
    if (ReadRows(lookupRows(table), [read](const QSqlRecord&) { return read; }, rows, &error))
        return LookupRead::Whole;
    return rows->isEmpty() ? LookupRead::None : LookupRead::Part;
}

TDefineNote noteOf(const QSqlQuery& q)
{
    return {FieldInt(q, QStringLiteral("ID")), FieldText(q, QStringLiteral("Note"))};
}

// Reads ID and Note rows. With keepEmpty false an empty table leaves the
// list as it was; otherwise the list becomes exactly the rows read.
bool loadNotes(const char* table, QVector<TDefineNote>& list, bool keepEmpty)
{
    QVector<TDefineNote> rows;
    const LookupRead read = readLookup(table, noteOf, &rows);
    if (read == LookupRead::None)
        return false;
    if (!rows.isEmpty() || keepEmpty)
        list = rows;
    return read == LookupRead::Whole;
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

bool LoadUniversalSwitchStatuses(LookupLists& lists)
{
    return loadNotes("Define_Universal_Switch_Status", lists.UniversalSwitchStatusList, false);
}

bool LoadCommandTypes(LookupLists& lists, const SettingsFiles& files)
{
    QVector<TDefineNote> rows;
    const LookupRead read = readLookup(
        "Define_Command_Type",
        [&files](const QSqlQuery& q) {
            const int id = FieldInt(q, QStringLiteral("ID"));
            return TDefineNote{id, ControlTypeName(files, id)};
        },
        &rows);
    if (!rows.isEmpty())
        lists.CommandTypeList = rows;
    return read == LookupRead::Whole;
}

bool LoadSecurityAlarmTypes(LookupLists& lists)
{
    QVector<TSecurityAlarmType> rows;
    const LookupRead read = readLookup(
        "Define_Security_Alarm_Type",
        [](const QSqlQuery& q) {
            return TSecurityAlarmType{FieldInt(q, QStringLiteral("ID")), FieldText(q, QStringLiteral("Note")),
                                      FieldInt(q, QStringLiteral("Value"))};
        },
        &rows);
    if (read == LookupRead::None)
        return false;
    lists.SecurityAlarmTypeList = rows;
    return read == LookupRead::Whole;
}

bool LoadSecurityModes(LookupLists& lists)
{
    return loadNotes("Define_Security_Mode", lists.SecurityModeList, true);
}

bool LoadCurtainStatuses(LookupLists& lists)
{
    return loadNotes("Define_Curtain_Status", lists.CurtainStatusList, false);
}

int UniversalSwitchStatusIdByNote(const LookupLists& lists, const QString& note)
{
    return idByNote(lists.UniversalSwitchStatusList, note);
}

QString UniversalSwitchStatusNoteById(const LookupLists& lists, int id)
{
    return noteById(lists.UniversalSwitchStatusList, id);
}

QString NormalizeUniversalSwitchStatusNote(const LookupLists& lists, const QString& note)
{
    return normalize(lists.UniversalSwitchStatusList, note);
}

int CurtainStatusIdByNote(const LookupLists& lists, const QString& note)
{
    return idByNote(lists.CurtainStatusList, note);
}

QString CurtainStatusNoteById(const LookupLists& lists, int id)
{
    return noteById(lists.CurtainStatusList, id);
}

QString NormalizeCurtainStatusNote(const LookupLists& lists, const QString& note)
{
    return normalize(lists.CurtainStatusList, note);
}

int SecurityModeIdByNote(const LookupLists& lists, const QString& note)
{
    return idByNote(lists.SecurityModeList, note);
}

QString SecurityModeNoteById(const LookupLists& lists, int id)
{
    return noteById(lists.SecurityModeList, id);
}

QString NormalizeSecurityModeNote(const LookupLists& lists, const QString& note)
{
    return normalize(lists.SecurityModeList, note);
}

int SecurityAlarmValueByNote(const LookupLists& lists, const QString& note)
{
    const auto& list = lists.SecurityAlarmTypeList;
    auto it = findBy(list, [&](const TSecurityAlarmType& a) { return a.Note == note; });
    return it == list.cend() ? -1 : it->Value;
}

QString SecurityAlarmNoteByValue(const LookupLists& lists, int value)
{
    const auto& list = lists.SecurityAlarmTypeList;
    auto it = findBy(list, [&](const TSecurityAlarmType& a) { return a.Value == value; });
    return it == list.cend() ? QString() : it->Note;
}

QString NormalizeSecurityAlarmNote(const LookupLists& lists, const QString& note)
{
    return normalize(lists.SecurityAlarmTypeList, note);
}

QString CommandTypeNameById(const LookupLists& lists, int id)
{
    return noteById(lists.CommandTypeList, id);
}
