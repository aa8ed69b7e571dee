#pragma once

#include "records.h"

#include <QString>
#include <QVector>

struct SettingsFiles;

// The five lookup lists of the database's Define_ tables. The program
// session fills them once at start-up and hands them to whatever shows or
// reads a lookup's names.
struct LookupLists {
    QVector<TDefineNote> UniversalSwitchStatusList;
    QVector<TDefineNote> CommandTypeList;
    QVector<TSecurityAlarmType> SecurityAlarmTypeList;
    QVector<TDefineNote> SecurityModeList;
    QVector<TDefineNote> CurtainStatusList;
};

// The loaders fill the lists in this order. Each returns false when its
// table could not be read; the list then keeps the rows read before the
// failure. Start-up acts on the result of LoadUniversalSwitchStatuses and
// LoadSecurityModes only: the other three fail silently by design and their
// result may be ignored.
bool LoadUniversalSwitchStatuses(LookupLists& lists); // filled only when the table has rows
// Names from section ControlType of the language file.
bool LoadCommandTypes(LookupLists& lists, const SettingsFiles& files);
bool LoadSecurityAlarmTypes(LookupLists& lists); // sized to the row count, even 0
bool LoadSecurityModes(LookupLists& lists);      // sized to the row count, even 0
bool LoadCurtainStatuses(LookupLists& lists);    // filled only when the table has rows

// Lookups compare texts exactly and take the first match in list order (the
// choice lists on combo boxes are filled by ui/choices.h in the same order).
// ...IdByNote gives -1 and ...NoteById empty text when nothing matches.
int UniversalSwitchStatusIdByNote(const LookupLists& lists, const QString& note);
QString UniversalSwitchStatusNoteById(const LookupLists& lists, int id);
// The text itself when it is a Note of the list, else the first Note; empty
// for an empty list.
QString NormalizeUniversalSwitchStatusNote(const LookupLists& lists, const QString& note);

int CurtainStatusIdByNote(const LookupLists& lists, const QString& note);
QString CurtainStatusNoteById(const LookupLists& lists, int id);
QString NormalizeCurtainStatusNote(const LookupLists& lists, const QString& note);

int SecurityModeIdByNote(const LookupLists& lists, const QString& note);
QString SecurityModeNoteById(const LookupLists& lists, int id);
QString NormalizeSecurityModeNote(const LookupLists& lists, const QString& note);

// Alarm types are stored by their Value, not their ID.
int SecurityAlarmValueByNote(const LookupLists& lists, const QString& note);
QString SecurityAlarmNoteByValue(const LookupLists& lists, int value);
QString NormalizeSecurityAlarmNote(const LookupLists& lists, const QString& note);

// The display name of a command kind (CommandTypeList), empty when unknown.
QString CommandTypeNameById(const LookupLists& lists, int id);
