#include "commandkinds.h"

#include "lookups.h"
#include "publicvariable.h"
#include "settingsfiles.h"

namespace {

CommandKindFacts facts(const char* firstKey, const char* secondKey, const char* firstFallback, int firstMinimum)
{
    CommandKindFacts f;
    f.firstKey = firstKey;
    f.secondKey = secondKey;
    f.firstFallback = firstFallback;
    f.firstMinimum = firstMinimum;
    return f;
}

CommandKindFacts withLookup(CommandKindFacts f, ParameterLookup lookup)
{
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

const CommandKindFacts& KindFacts(int kind)
{
    static const CommandKindFacts table[] = {
        /* 0 */ facts("00001", "00002", "1", 1),
        /* 1 */ facts("00001", "00003", "1", 1),
        /* 2 */ withLookup(facts("00004", "00005", "0", 0), ParameterLookup::UniversalSwitchStatus),
        /* 3 */ bare("0"),
        /* 4 */ withRunningTime(facts("00006", "00007", "1", 1)),
        /* 5 */ withFixedFirst(facts("00009", "00002", "1", 1)),
        /* 6 */ withRunningTime(withFixedFirst(facts("00010", "00007", "1", 1))),
        /* 7 */ withLookup(facts("00004", "00005", "0", 0), ParameterLookup::CurtainStatus),
        /* 8 */ bare("1"),
        /* 9 */ bare("1"),
        /* 10 */ bare("1"),
        /* 11 */ withLookup(facts("00001", "00012", "1", 0), ParameterLookup::SecurityMode),
        /* 12 */ withLookup(facts("00001", "00011", "1", 0), ParameterLookup::SecurityAlarmType),
    };
    static const CommandKindFacts other = bare("1");
    if (kind < 0 || kind >= int(std::size(table)))
        return other;
    return table[kind];
}

QString ParameterDescription(const QString& key)
{
    return ParameterLabel(key);
}

QString DescribedValue(const QString& value, const QString& key)
{
    return value + QLatin1Char('(') + ParameterDescription(key) + QLatin1Char(')');
}

QString MinutesSeconds(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') + QString::number(seconds % 60);
}

QString LookupNoteOf(ParameterLookup lookup, int stored)
{
    switch (lookup) {
    case ParameterLookup::UniversalSwitchStatus:
        return UniversalSwitchStatusNoteById(stored);
    case ParameterLookup::CurtainStatus:
        return CurtainStatusNoteById(stored);
    case ParameterLookup::SecurityMode:
        return SecurityModeNoteById(stored);
    case ParameterLookup::SecurityAlarmType:
        return SecurityAlarmNoteByValue(stored);
    case ParameterLookup::None:
        break;
    }
    return QString();
}

int LookupValueOf(ParameterLookup lookup, const QString& note)
{
    switch (lookup) {
    case ParameterLookup::UniversalSwitchStatus:
        return UniversalSwitchStatusIdByNote(note);
    case ParameterLookup::CurtainStatus:
        return CurtainStatusIdByNote(note);
    case ParameterLookup::SecurityMode:
        return SecurityModeIdByNote(note);
    case ParameterLookup::SecurityAlarmType:
        return SecurityAlarmValueByNote(note);
    case ParameterLookup::None:
        break;
    }
    return -1;
}

QString NormalizeLookupNote(ParameterLookup lookup, const QString& note)
{
    switch (lookup) {
    case ParameterLookup::UniversalSwitchStatus:
        return NormalizeUniversalSwitchStatusNote(note);
    case ParameterLookup::CurtainStatus:
        return NormalizeCurtainStatusNote(note);
    case ParameterLookup::SecurityMode:
        return NormalizeSecurityModeNote(note);
    case ParameterLookup::SecurityAlarmType:
        return NormalizeSecurityAlarmNote(note);
    case ParameterLookup::None:
        break;
    }
    return QString();
}

QStringList LookupNotes(ParameterLookup lookup)
{
    const PublicVariables& pv = mPublicVariable();
    QStringList out;
    const auto add = [&out](const auto& list) {
        for (const auto& entry : list)
            out << entry.Note;
    };
    switch (lookup) {
    case ParameterLookup::UniversalSwitchStatus:
        add(pv.UniversalSwitchStatusList);
        break;
    case ParameterLookup::CurtainStatus:
        add(pv.CurtainStatusList);
        break;
    case ParameterLookup::SecurityMode:
        add(pv.SecurityModeList);
        break;
    case ParameterLookup::SecurityAlarmType:
        add(pv.SecurityAlarmTypeList);
        break;
    case ParameterLookup::None:
        break;
    }
    return out;
}
