#include "parameterrules.h"

#include "lookups.h"
#include "textops.h"

namespace {

const QString notApplicable = QStringLiteral("N/A");

QString key(const char* k)
{
    return QString::fromLatin1(k);
}

QString describedOrBare(const SettingsFiles& files, const QString& value, const char* k)
{
    return *k ? DescribedValue(files, value, key(k)) : value;
}

int toNumberOrZero(const QString& text)
{
    return IsNumber(text) ? text.trimmed().toInt() : 0;
}

// The minutes and seconds of a running-time cell ("N/A" counts as 0:0).
std::pair<QString, QString> splitRunningTime(const QString& thirdCell)
{
    QString value = CellValue(thirdCell);
    if (value == notApplicable)
        value = QStringLiteral("0:0");
    return {GetDelimitedField(value, 1, QStringLiteral(":")), GetDelimitedField(value, 2, QStringLiteral(":"))};
}

} // namespace

int KindOfTypeName(const LookupLists& lookups, const QString& text)
{
    for (const TDefineNote& type : lookups.CommandTypeList) {
        if (type.Note == text)
            return type.ID;
    }
    return -1;
}

QString CellValue(const QString& cell)
{
    return GetDelimitedField(cell, 1, QStringLiteral("("));
}

bool IsNumber(const QString& text)
{
    return CheckNumber(text, false, 0, 0);
}

bool IsNumberIn(const QString& text, int minimum, int maximum)
{
    return CheckNumber(text, true, minimum, maximum);
}

ParameterEditors ShowEditorsForKind(int kind)
{
    // Kind 10 has no third value on the wire, so no third box is offered.
    const CommandKindFacts& f = KindFacts(kind);
    ParameterEditors shown;
    if (!f.firstIsFixed)
        shown |= ParameterEditor::FirstPara;
    shown |= f.lookup != ParameterLookup::None ? ParameterEditor::List : ParameterEditor::SecondPara;
    if (f.runningTime)
        shown |= ParameterEditor::RunTime;
    return shown;
}

RowEditorFill EditorsForRow(const LookupLists& lookups, int kind, const QString& firstCell, const QString& secondCell,
                            const QString& thirdCell)
{
    RowEditorFill fill;
    // A row of kind 3 sends no parameters: nothing to edit until its kind changes.
    if (kind == 3)
        return fill;
    const CommandKindFacts& f = KindFacts(kind);
    fill.shown = ShowEditorsForKind(kind);
    const QString first = CellValue(firstCell);
    const QString second = CellValue(secondCell);
    const bool ownRules = kind >= 0 && kind <= 12 && kind != 8 && kind != 9 && kind != 10;
    if (ownRules) {
        fill.first = first;
        fill.second = second;
    } else {
        fill.first = IsNumberIn(first, 0, 255) ? first : QStringLiteral("1");
        fill.second = IsNumberIn(second, 0, 255) ? second : QStringLiteral("0");
    }
    if (f.runningTime)
        std::tie(fill.minute, fill.seconds) = splitRunningTime(thirdCell);
    if (f.lookup != ParameterLookup::None) {
        const LookupFacts& list = FactsOf(f.lookup);
        const QStringList names = list.names(lookups);
        fill.listIndex = int(names.indexOf(second));
        if (fill.listIndex < 0 && list.offersFirstEntry && !names.isEmpty())
            fill.listIndex = 0;
    }
    return fill;
}

QStringList DeriveParameters(const SettingsFiles& files, const LookupLists& lookups, int kind,
                             const QString& firstCell, const QString& secondCell, const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    QString p1 = CellValue(firstCell);
    QString p2 = CellValue(secondCell);
    QString p3 = notApplicable;

    if (f.firstIsFixed) {
        p1 = ParameterDescription(files, key(f.firstKey));
    } else {
        if (!IsNumberIn(p1, f.firstMinimum, 255))
            p1 = key(f.firstFallback);
        p1 = describedOrBare(files, p1, f.firstKey);
    }

    if (f.lookup == ParameterLookup::None) {
        if (f.secondInByte ? !IsNumberIn(p2, 0, 255) : !IsNumber(p2))
            p2 = QStringLiteral("0");
    } else {
        const LookupFacts& list = FactsOf(f.lookup);
        switch (list.forNewKind) {
        case NameForNewKind::Listed: {
            const QStringList names = list.names(lookups);
            if (!names.contains(p2))
                p2 = names.value(0);
            break;
        }
        case NameForNewKind::IdZero:
            if (p2.isEmpty() || IsNumber(p2))
                p2 = list.nameOf(lookups, 0);
            break;
        case NameForNewKind::Kept:
            break;
        }
    }
    p2 = describedOrBare(files, p2, f.secondKey);

    if (f.runningTime) {
        auto [minutes, seconds] = splitRunningTime(thirdCell);
        if (!IsNumberIn(minutes, 0, 60))
            minutes = QStringLiteral("0");
        if (!IsNumberIn(seconds, 0, 59))
            seconds = QStringLiteral("0");
        p3 = RunningTimeText(files, minutes + QLatin1Char(':') + seconds);
    }
    return {p1, p2, p3};
}

QStringList KindDefaults(const SettingsFiles& files, const LookupLists& lookups, int kind)
{
    // The cells a command list shows for a blank command.
    return DeriveParameters(files, lookups, kind, QStringLiteral("0"), QStringLiteral("0"), notApplicable);
}

RowEditorFill EditorsForNewKind(const LookupLists& lookups, int kind, const QString& firstCell,
                                const QString& secondCell, const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    RowEditorFill fill;
    fill.shown = ShowEditorsForKind(kind);
    fill.first = CellValue(firstCell);
    fill.second = CellValue(secondCell);
    if (f.runningTime)
        std::tie(fill.minute, fill.seconds) = splitRunningTime(thirdCell);
    if (f.lookup != ParameterLookup::None)
        fill.listIndex = int(FactsOf(f.lookup).names(lookups).indexOf(fill.second));
    return fill;
}

QString FirstParameterText(const SettingsFiles& files, int kind, const QString& value)
{
    const CommandKindFacts& f = KindFacts(kind);
    return f.firstIsFixed ? value : describedOrBare(files, value, f.firstKey);
}

QString SecondParameterText(const SettingsFiles& files, int kind, const QString& value)
{
    const CommandKindFacts& f = KindFacts(kind);
    return f.lookup != ParameterLookup::None ? value : describedOrBare(files, value, f.secondKey);
}

QString RunningTimeText(const SettingsFiles& files, const QString& minutesSeconds)
{
    return DescribedValue(files, minutesSeconds, key(RunningTimeKey));
}

StoredParameters ConvertForSave(const LookupLists& lookups, int kind, const QString& firstCell,
                                const QString& secondCell, const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    StoredParameters out;
    const QString first = CellValue(firstCell);
    const QString second = CellValue(secondCell);
    out.first = f.firstIsFixed ? FixedFirstParameter : toNumberOrZero(first);
    if (f.lookup == ParameterLookup::None) {
        out.second = toNumberOrZero(second);
    } else {
        const LookupFacts& list = FactsOf(f.lookup);
        out.second = list.valueOf(lookups, second);
        if (out.second == -1)
            out.second = list.unknownValue;
    }
    const QString time = CellValue(thirdCell);
    out.third = toNumberOrZero(GetDelimitedField(time, 1, QStringLiteral(":"))) * 60
                + toNumberOrZero(GetDelimitedField(time, 2, QStringLiteral(":")));
    return out;
}

int UnstorableParameter(const LookupLists& lookups, int kind, const QString& firstCell, const QString& secondCell,
                        const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    const auto fits = [](const QString& text) {
        bool number = false;
        const int value = text.trimmed().toInt(&number);
        return number && value >= 0 && value <= 0xFFFF;
    };
    if (!f.firstIsFixed && !fits(CellValue(firstCell)))
        return 1;
    if (f.lookup == ParameterLookup::None) {
        if (!fits(CellValue(secondCell)))
            return 2;
    } else {
        // A name no entry bears would be stored as the lookup's stand-in value.
        const int value = FactsOf(f.lookup).valueOf(lookups, CellValue(secondCell));
        if (value < 0 || value > 0xFFFF)
            return 2;
    }
    if (f.runningTime) {
        const auto [minutes, seconds] = splitRunningTime(thirdCell);
        if (!fits(minutes) || !fits(seconds) || minutes.trimmed().toInt() * 60 + seconds.trimmed().toInt() > 0xFFFF)
            return 3;
    }
    return 0;
}
