#pragma once

#include <QString>
#include <QStringList>

// What each command kind (CommandTypeID) keeps in its three parameters and
// how they are described on screen. The command lists and the command
// editor both read this one table, so a parameter looks the same wherever it
// is shown: a described value is value + "(" + description + ")", the
// description being a text of section ParameterOfControlType of the language
// file.

// The lookup list whose names stand for a second parameter.
enum class ParameterLookup {
    None,
    UniversalSwitchStatus, // stores the status ID
    CurtainStatus,         // stores the status ID
    SecurityMode,          // stores the mode ID
    SecurityAlarmType,     // stores the alarm type's Value
};

struct CommandKindFacts {
    // Description keys; empty for a bare value.
    const char* firstKey = "";
    const char* secondKey = "";
    // The first parameter is shown as its description alone and stored as 255.
    bool firstIsFixed = false;
    // The second parameter is shown by the name of a lookup list entry.
    ParameterLookup lookup = ParameterLookup::None;
    // The third parameter is a running time in seconds, shown as m:s.
    bool runningTime = false;
    // Values the kind falls back to when a row is given this kind and its
    // old first or second value does not fit (command editor).
    const char* firstFallback = "1";
    int firstMinimum = 1;      // accepted first values: firstMinimum..255
    bool secondInByte = false; // accepted second values: 0..255 (otherwise any number)
};

// The facts of a kind; kinds without rules of their own (3, 8, 9, 10, any
// other) share one entry of bare values.
const CommandKindFacts& KindFacts(int kind);

constexpr const char* RunningTimeKey = "00008";
// The stored first parameter of the kinds whose first cell is fixed text.
constexpr int FixedFirstParameter = 255;

// The text of a description key, empty when the language file lacks it.
QString ParameterDescription(const QString& key);
// value + "(" + description + ")".
QString DescribedValue(const QString& value, const QString& key);

// A running time in seconds as minutes ":" seconds, without leading zeros.
QString MinutesSeconds(int seconds);

// The name that stands for a stored second parameter; empty when none does.
QString LookupNoteOf(ParameterLookup lookup, int stored);
// The value stored for a name: the ID (the alarm type's Value); -1 when no
// entry bears that name.
int LookupValueOf(ParameterLookup lookup, const QString& note);
// The name itself when an entry bears it, else the first entry's name (empty
// for an empty list).
QString NormalizeLookupNote(ParameterLookup lookup, const QString& note);
// The names of a list, in list order.
QStringList LookupNotes(ParameterLookup lookup);
