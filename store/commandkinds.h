#pragma once

#include <QString>
#include <QStringList>

struct LookupLists;
struct SettingsFiles;

#include <span>

// What each command kind (CommandTypeID) keeps in its three parameters and
// how they are described on screen. The command lists, the bus monitor and
// the command editor all read these tables, so a parameter looks the same
// wherever it is shown: a described value is value + "(" + description +
// ")", the description being a text of section ParameterOfControlType of
// the language file.

// The lookup lists whose names stand for a second parameter, in the order
// the command editor lays out their lists.
enum class ParameterLookup {
    None,
    UniversalSwitchStatus, // stores the status ID
    CurtainStatus,         // stores the status ID
    SecurityAlarmType,     // stores the alarm type's Value
    SecurityMode,          // stores the mode ID
};

// What a row's second parameter becomes when the command editor gives the
// row a kind with this lookup.
enum class NameForNewKind {
    Listed, // the name when an entry bears it, else the first entry's name
    IdZero, // an empty text or a number becomes the name of the entry with ID 0
    Kept,   // kept as it is until a name is chosen
};

struct LookupFacts {
    ParameterLookup lookup = ParameterLookup::None;
    // The description key a name is written with.
    const char* descriptionKey = "";
    // The names in list order, the name of a stored value and the value
    // stored for a name (the first entry that matches exactly; empty text
    // and -1 when none does), read from the given lookup lists.
    QStringList (*names)(const LookupLists& lists) = nullptr;
    QString (*nameOf)(const LookupLists& lists, int stored) = nullptr;
    int (*valueOf)(const LookupLists& lists, const QString& name) = nullptr;
    // The value stored for a name that no entry bears.
    int unknownValue = -1;
    // Command editor: whether its list shows the first entry for a name it
    // does not know (otherwise no choice), what a new kind makes of the
    // second parameter, and the object name of its list.
    bool offersFirstEntry = false;
    NameForNewKind forNewKind = NameForNewKind::Kept;
    const char* editorName = "";
};

// The facts of a lookup; None has no names and describes nothing.
const LookupFacts& FactsOf(ParameterLookup lookup);
// Every lookup but None, in ParameterLookup order.
std::span<const LookupFacts> ParameterLookups();

struct CommandKindFacts {
    // Description keys; empty for a bare value. A kind with a lookup
    // describes its second parameter with the lookup's key.
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
QString ParameterDescription(const SettingsFiles& files, const QString& key);
// value + "(" + description + ")".
QString DescribedValue(const SettingsFiles& files, const QString& value, const QString& key);

// A running time in seconds as minutes ":" seconds, without leading zeros.
QString MinutesSeconds(int seconds);
