#pragma once

#include <QString>

struct SettingsFiles;

// The five lookup lists of mPublicVariable(), filled once at start-up in
// this order. Each loader returns false when its table could not be read;
// the list then keeps the rows read before the failure. Start-up acts on
// the result of LoadUniversalSwitchStatuses and LoadSecurityModes only: the
// other three fail silently by design and their result may be ignored.
bool LoadUniversalSwitchStatuses(); // filled only when the table has rows
bool LoadCommandTypes(const SettingsFiles& files); // names from section ControlType of the language file
bool LoadSecurityAlarmTypes();      // sized to the row count, even 0
bool LoadSecurityModes();           // sized to the row count, even 0
bool LoadCurtainStatuses();         // filled only when the table has rows

// Lookups compare texts exactly and take the first match in list order (the
// choice lists on combo boxes are filled by ui/choices.h in the same order).
// ...IdByNote gives -1 and ...NoteById empty text when nothing matches.
int UniversalSwitchStatusIdByNote(const QString& note);
QString UniversalSwitchStatusNoteById(int id);
// The text itself when it is a Note of the list, else the first Note; empty
// for an empty list.
QString NormalizeUniversalSwitchStatusNote(const QString& note);

int CurtainStatusIdByNote(const QString& note);
QString CurtainStatusNoteById(int id);
QString NormalizeCurtainStatusNote(const QString& note);

int SecurityModeIdByNote(const QString& note);
QString SecurityModeNoteById(int id);
QString NormalizeSecurityModeNote(const QString& note);

// Alarm types are stored by their Value, not their ID.
int SecurityAlarmValueByNote(const QString& note);
QString SecurityAlarmNoteByValue(int value);
QString NormalizeSecurityAlarmNote(const QString& note);

// The display name of a command kind (CommandTypeList), empty when unknown.
QString CommandTypeNameById(int id);
