#include "commandlist.h"

#include "commandkinds.h"
#include "settingsfiles.h"

CommandListCaptions CaptionsOf(const NamedCommandList& list)
{
    switch (list.target.setCode) {
    case CommandsForShowSet:
        return {QStringLiteral("Current Show:"), list.showName, QStringLiteral("Current Time Point:"),
                list.timePointText};
    case CommandsForPlaySet:
        return {QStringLiteral("Current mode:"), QStringLiteral("Play"), {}, {}};
    case CommandsForPauseSet:
        return {QStringLiteral("Current mode:"), QStringLiteral("Pause"), {}, {}};
    default:
        return {QStringLiteral("Current mode:"), QStringLiteral("Stop"), {}, {}};
    }
}

QStringList CommandListCells(const SettingsFiles& files, const LookupLists& lookups, const TControlObject& c,
                             bool delayIsEmpty)
{
    const CommandKindFacts& kind = KindFacts(c.CommandTypeID);
    const QString na = QStringLiteral("N/A");
    const auto described = [&files](const QString& value, const char* key) {
        return *key ? DescribedValue(files, value, QString::fromLatin1(key)) : value;
    };
    const QString p1 = kind.firstIsFixed ? ParameterDescription(files, QString::fromLatin1(kind.firstKey))
                                         : described(QString::number(c.FirstParameter), kind.firstKey);
    const QString second = kind.lookup != ParameterLookup::None
                               ? FactsOf(kind.lookup).nameOf(lookups, c.SecondParameter)
                               : QString::number(c.SecondParameter);
    const QString p2 = described(second, kind.secondKey);
    const QString p3 = kind.runningTime ? described(MinutesSeconds(c.ThirdParameter), RunningTimeKey) : na;
    const QString kindName = ControlTypeName(files, c.CommandTypeID, QStringLiteral("3"));
    return {QString::number(c.SequenceNo),
            c.Remark,
            QString::number(c.SubnetID),
            QString::number(c.DeviceID),
            kindName,
            p1,
            p2,
            p3,
            delayIsEmpty ? QStringLiteral("0") : QString::number(c.DelayMS)};
}

QVector<TControlObject> CommandsOf(const QVector<CommandListRow>& rows)
{
    QVector<TControlObject> commands;
    commands.reserve(rows.size());
    for (const CommandListRow& row : rows)
        commands.append(row.command);
    return commands;
}

int CopyCommandsToClipboard(CommandClipboard& clipboard, const QSet<int>& commandIds,
                            const ShowStore::CommandTarget& list)
{
    if (commandIds.isEmpty())
        return 0;
    const auto read = ShowStore::ReadCommandList(list);
    if (!read.complete())
        return 0;
    // Only commands still stored are copied: a checked row whose command
    // went away must not turn into a blank command on paste.
    QVector<TControlObject> copied;
    for (const CommandListRow& row : read.rows) {
        if (commandIds.contains(row.command.CommandID))
            copied.append(row.command);
    }
    if (copied.isEmpty())
        return 0;
    clipboard.commands = copied;
    return copied.size();
}
