#pragma once

#include "commandkinds.h"

#include <QFlags>
#include <QString>
#include <QStringList>

// The command editor's rules for a command's three parameter cells, kind by
// kind: which editors show them, what a value must be, what a parameter
// falls back to when a row is given another kind, which description a value
// carries and how the display texts turn back into stored numbers. The
// per-kind facts themselves are the shared table of commandkinds.h, the
// descriptions the texts of the language file among the settings files, the
// names those of the lookup lists.
//
// A cell holds a display text; its value part is the text before the first
// "(", trimmed.

// The editors of the parameter cells.
enum class ParameterEditor : unsigned {
    FirstPara = 0x01,
    SecondPara = 0x02,
    RunTime = 0x04, // the minute and second boxes
    List = 0x08,    // the names of the kind's lookup (KindFacts(kind).lookup)
};
Q_DECLARE_FLAGS(ParameterEditors, ParameterEditor)
Q_DECLARE_OPERATORS_FOR_FLAGS(ParameterEditors)

// The ID of the first command type of the lookup lists whose display name
// equals the text exactly (case and blanks count); -1 when none does.
int KindOfTypeName(const LookupLists& lookups, const QString& text);

// The value part of a cell.
QString CellValue(const QString& cell);

// Whether the text is a number (a whole number other than -1), within
// minimum..maximum when given. Never tells the user.
bool IsNumber(const QString& text);
bool IsNumberIn(const QString& text, int minimum, int maximum);

// The editors shown after a row's type is changed. They keep what they hold.
ParameterEditors ShowEditorsForKind(int kind);

// The editors shown when a row is selected, and what they are given.
struct RowEditorFill {
    ParameterEditors shown;
    QString first;       // the first-parameter box
    QString second;      // the second-parameter box
    QString minute;      // the time boxes
    QString seconds;
    int listIndex = -1;  // the shown list's selection, -1 for none
};
RowEditorFill EditorsForRow(const LookupLists& lookups, int kind, const QString& firstCell, const QString& secondCell,
                            const QString& thirdCell);

// The three parameter cells a row gets when it is given the kind.
QStringList DeriveParameters(const SettingsFiles& files, const LookupLists& lookups, int kind,
                             const QString& firstCell, const QString& secondCell, const QString& thirdCell);

// The parameter cells of a kind's own defaults: what a new blank command
// (kind 3, every parameter 0) gets when it is given the kind.
QStringList KindDefaults(const SettingsFiles& files, const LookupLists& lookups, int kind);

// The editors shown after a row was given the kind and its cells, filled
// from those cells. A list selects only the entry the cell names: nothing
// is chosen for the operator.
RowEditorFill EditorsForNewKind(const LookupLists& lookups, int kind, const QString& firstCell,
                                const QString& secondCell, const QString& thirdCell);

// The cell texts written when the first or second box is left with a value,
// and when the time boxes are left.
QString FirstParameterText(const SettingsFiles& files, int kind, const QString& value);
QString SecondParameterText(const SettingsFiles& files, int kind, const QString& value);
QString RunningTimeText(const SettingsFiles& files, const QString& minutesSeconds);

// The stored numbers of a row's parameter cells.
struct StoredParameters {
    int first = 0;
    int second = 0;
    int third = 0;
};
StoredParameters ConvertForSave(const LookupLists& lookups, int kind, const QString& firstCell,
                                const QString& secondCell, const QString& thirdCell);

// The first of the three parameter cells (1 to 3) whose shown value is not
// what would be stored: a name the kind's lookup does not know (none was
// picked), a text that is no number, a number or running time beyond what a
// parameter holds. 0 when all three are stored as shown.
int UnstorableParameter(const LookupLists& lookups, int kind, const QString& firstCell, const QString& secondCell,
                        const QString& thirdCell);
