#include "commandkinds.h"

#include "lookups.h"
#include "settingsfiles.h"

namespace {

// The Notes of one of the lookup lists, in list order.
template <auto List> QStringList notesOf(const LookupLists& lists)
{
    QStringList out;
    for (const auto& entry : lists.*List)
        out << entry.Note;
    return out;
}

constexpr LookupFacts lookupTable[] = {
    {.names = [](const LookupLists&) { return QStringList(); },
     .nameOf = [](const LookupLists&, int) { return QString(); },
     .valueOf = [](const LookupLists&, const QString&) { return -1; }},
    {.lookup = ParameterLookup::UniversalSwitchStatus,
     .descriptionKey = "00005",
     .names = notesOf<&LookupLists::UniversalSwitchStatusList>,
     .nameOf = UniversalSwitchStatusNoteById,
     .valueOf = UniversalSwitchStatusIdByNote,
     .unknownValue = 0,
     .offersFirstEntry = false,
     .forNewKind = NameForNewKind::Listed,
     .editorName = "cboSwitchStatus"},
    {.lookup = ParameterLookup::CurtainStatus,
     .descriptionKey = "00005",
     .names = notesOf<&LookupLists::CurtainStatusList>,
     .nameOf = CurtainStatusNoteById,
     .valueOf = CurtainStatusIdByNote,
     .unknownValue = 0,
     .offersFirstEntry = true,
     .forNewKind = NameForNewKind::IdZero,
     .editorName = "cboCurtainStatus"},
    {.lookup = ParameterLookup::SecurityAlarmType,
     .descriptionKey = "00011",
     .names = notesOf<&LookupLists::SecurityAlarmTypeList>,
     .nameOf = SecurityAlarmNoteByValue,
     .valueOf = SecurityAlarmValueByNote,
     .unknownValue = -1,
     .offersFirstEntry = true,
     .forNewKind = NameForNewKind::Kept,
     .editorName = "cboAlarmType"},
    {.lookup = ParameterLookup::SecurityMode,
     .descriptionKey = "00012",
     .names = notesOf<&LookupLists::SecurityModeList>,
     .nameOf = SecurityModeNoteById,
     .valueOf = SecurityModeIdByNote,
     .unknownValue = -1,
     .offersFirstEntry = true,
     .forNewKind = NameForNewKind::Kept,
     .editorName = "cboSecurityMode"},
};
// FactsOf reads the table by the lookup's value.
static_assert([] {
    for (int i = 0; i < int(std::size(lookupTable)); ++i) {
        if (int(lookupTable[i].lookup) != i)
            return false;
    }
    return true;
}());

CommandKindFacts facts(const char* firstKey, const char* secondKey, const char* firstFallback, int firstMinimum)
{
    CommandKindFacts f;
    f.firstKey = firstKey;
    f.secondKey = secondKey;
    f.firstFallback = firstFallback;
    f.firstMinimum = firstMinimum;
    return f;
}

CommandKindFacts withLookup(const char* firstKey, ParameterLookup lookup, const char* firstFallback,
                            int firstMinimum)
{
    CommandKindFacts f = facts(firstKey, FactsOf(lookup).descriptionKey, firstFallback, firstMinimum);
    f.lookup = lookup;
    return f;
}

CommandKindFacts withRunningTime(CommandKindFacts f)
{
    f.runningTime = true;
    return f;
}

CommandKindFacts withFixedFirst(CommandKindFacts f)
{
    f.firstIsFixed = true;
    return f;
}

CommandKindFacts bare(const char* firstFallback)
{
    CommandKindFacts f = facts("", "", firstFallback, 0);
    f.secondInByte = true;
    return f;
}

} // namespace

const LookupFacts& FactsOf(ParameterLookup lookup)
{
    return lookupTable[int(lookup)];
}

std::span<const LookupFacts> ParameterLookups()
{
    return std::span<const LookupFacts>(lookupTable).subspan(1);
}

const CommandKindFacts& KindFacts(int kind)
{
    static const CommandKindFacts table[] = {
        /* 0 */ facts("00001", "00002", "1", 1),
        /* 1 */ facts("00001", "00003", "1", 1),
        /* 2 */ withLookup("00004", ParameterLookup::UniversalSwitchStatus, "0", 0),
        /* 3 */ bare("0"),
        /* 4 */ withRunningTime(facts("00006", "00007", "1", 1)),
        /* 5 */ withFixedFirst(facts("00009", "00002", "1", 1)),
        /* 6 */ withRunningTime(withFixedFirst(facts("00010", "00007", "1", 1))),
        /* 7 */ withLookup("00004", ParameterLookup::CurtainStatus, "0", 0),
        /* 8 */ bare("1"),
        /* 9 */ bare("1"),
        /* 10 */ bare("1"),
        /* 11 */ withLookup("00001", ParameterLookup::SecurityMode, "1", 0),
        /* 12 */ withLookup("00001", ParameterLookup::SecurityAlarmType, "1", 0),
    };
    static const CommandKindFacts other = bare("1");
    if (kind < 0 || kind >= int(std::size(table)))
        return other;
    return table[kind];
}

QString ParameterDescription(const SettingsFiles& files, const QString& key)
{
    return ParameterLabel(files, key);
}

QString DescribedValue(const SettingsFiles& files, const QString& value, const QString& key)
{
    return value + QLatin1Char('(') + ParameterDescription(files, key) + QLatin1Char(')');
}

QString MinutesSeconds(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') + QString::number(seconds % 60);
}
