#include "parameterrules.h"

#include "lookups.h"
#include "publicvariable.h"
#include "textops.h"

namespace {

const QString notApplicable = QStringLiteral("N/A");

QString key(const char* k)
{
    return QString::fromLatin1(k);
}

QString describedOrBare(const QString& value, const char* k)
{
    return *k ? DescribedValue(value, key(k)) : value;
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

int KindOfTypeName(const QString& text)
{
    for (const TDefineNote& type : mPublicVariable().CommandTypeList) {
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

ParameterEditor ListEditorOfKind(int kind)
{
    switch (KindFacts(kind).lookup) {
    case ParameterLookup::UniversalSwitchStatus:
        return ParameterEditor::SwitchStatus;
    case ParameterLookup::CurtainStatus:
        return ParameterEditor::CurtainStatus;
    case ParameterLookup::SecurityMode:
        return ParameterEditor::SecurityMode;
    case ParameterLookup::SecurityAlarmType:
        return ParameterEditor::AlarmType;
    case ParameterLookup::None:
        break;
    }
    return ParameterEditor::FirstPara;
}

ParameterLookup LookupOfList(ParameterEditor list)
{
    switch (list) {
    case ParameterEditor::SwitchStatus:
        return ParameterLookup::UniversalSwitchStatus;
    case ParameterEditor::CurtainStatus:
        return ParameterLookup::CurtainStatus;
    case ParameterEditor::SecurityMode:
        return ParameterLookup::SecurityMode;
    case ParameterEditor::AlarmType:
        return ParameterLookup::SecurityAlarmType;
    default:
        return ParameterLookup::None;
    }
}

QString ListDescriptionKey(ParameterEditor list)
{
    // Each list describes its choice the same way, whatever the row's kind.
    switch (list) {
    case ParameterEditor::SwitchStatus:
        return key(KindFacts(2).secondKey);
    case ParameterEditor::CurtainStatus:
        return key(KindFacts(7).secondKey);
    case ParameterEditor::SecurityMode:
        return key(KindFacts(11).secondKey);
    case ParameterEditor::AlarmType:
        return key(KindFacts(12).secondKey);
    default:
        return QString();
    }
}

ParameterEditors ShowEditorsForKind(int kind)
{
    // Kind 10 has no third value on the wire, so no third box is offered.
    const CommandKindFacts& f = KindFacts(kind);
    ParameterEditors shown;
    if (!f.firstIsFixed)
        shown |= ParameterEditor::FirstPara;
    shown |= f.lookup != ParameterLookup::None ? ListEditorOfKind(kind) : ParameterEditor::SecondPara;
    if (f.runningTime)
        shown |= ParameterEditor::RunTime;
    return shown;
}

RowEditorFill EditorsForRow(int kind, const QString& firstCell, const QString& secondCell, const QString& thirdCell)
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
        fill.listIndex = int(LookupNotes(f.lookup).indexOf(second));
        // A universal switch shows no choice for a name it does not know;
        // the other lists offer their first entry.
        if (fill.listIndex < 0 && f.lookup != ParameterLookup::UniversalSwitchStatus
            && !LookupNotes(f.lookup).isEmpty())
            fill.listIndex = 0;
    }
    return fill;
}

QStringList DeriveParameters(int kind, const QString& firstCell, const QString& secondCell, const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    QString p1 = CellValue(firstCell);
    QString p2 = CellValue(secondCell);
    QString p3 = notApplicable;

    if (f.firstIsFixed) {
        p1 = ParameterDescription(key(f.firstKey));
    } else {
        if (!IsNumberIn(p1, f.firstMinimum, 255))
            p1 = key(f.firstFallback);
        p1 = describedOrBare(p1, f.firstKey);
    }

    switch (f.lookup) {
    case ParameterLookup::None:
        if (f.secondInByte ? !IsNumberIn(p2, 0, 255) : !IsNumber(p2))
            p2 = QStringLiteral("0");
        break;
    case ParameterLookup::UniversalSwitchStatus:
        p2 = NormalizeLookupNote(f.lookup, p2);
        break;
    case ParameterLookup::CurtainStatus:
        // A number stands for no curtain state: the state with ID 0 is taken.
        if (p2.isEmpty() || IsNumber(p2))
            p2 = CurtainStatusNoteById(0);
        break;
    case ParameterLookup::SecurityMode:
    case ParameterLookup::SecurityAlarmType:
        break; // kept as it is until a name is chosen
    }
    p2 = describedOrBare(p2, f.secondKey);

    if (f.runningTime) {
        auto [minutes, seconds] = splitRunningTime(thirdCell);
        if (!IsNumberIn(minutes, 0, 60))
            minutes = QStringLiteral("0");
        if (!IsNumberIn(seconds, 0, 59))
            seconds = QStringLiteral("0");
        p3 = RunningTimeText(minutes + QLatin1Char(':') + seconds);
    }
    return {p1, p2, p3};
}

QString FirstParameterText(int kind, const QString& value)
{
    const CommandKindFacts& f = KindFacts(kind);
    return f.firstIsFixed ? value : describedOrBare(value, f.firstKey);
}

QString SecondParameterText(int kind, const QString& value)
{
    const CommandKindFacts& f = KindFacts(kind);
    return f.lookup != ParameterLookup::None ? value : describedOrBare(value, f.secondKey);
}

QString RunningTimeText(const QString& minutesSeconds)
{
    return DescribedValue(minutesSeconds, key(RunningTimeKey));
}

StoredParameters ConvertForSave(int kind, const QString& firstCell, const QString& secondCell,
                                const QString& thirdCell)
{
    const CommandKindFacts& f = KindFacts(kind);
    StoredParameters out;
    const QString first = CellValue(firstCell);
    const QString second = CellValue(secondCell);
    out.first = f.firstIsFixed ? FixedFirstParameter : toNumberOrZero(first);
    if (f.lookup == ParameterLookup::None) {
        out.second = toNumberOrZero(second);
    } else {
        out.second = LookupValueOf(f.lookup, second);
        // A switch or curtain state that names no entry is stored as 0; a
        // security mode or alarm type as -1.
        if (out.second == -1
            && (f.lookup == ParameterLookup::UniversalSwitchStatus || f.lookup == ParameterLookup::CurtainStatus))
            out.second = 0;
    }
    const QString time = CellValue(thirdCell);
    out.third = toNumberOrZero(GetDelimitedField(time, 1, QStringLiteral(":"))) * 60
                + toNumberOrZero(GetDelimitedField(time, 2, QStringLiteral(":")));
    return out;
}
