#include "commandlist.h"

#include "lookups.h"
#include "publicvariable.h"
#include "settingsfiles.h"

#include <QSqlError>

namespace {

QString label(const char* key)
{
    return ParameterLabel(QString::fromLatin1(key));
}

// value + "(" + label + ")"
QString cell(const QString& value, const char* key)
{
    return value + QLatin1Char('(') + label(key) + QLatin1Char(')');
}

QString cell(int value, const char* key)
{
    return cell(QString::number(value), key);
}

QString minutesSeconds(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') + QString::number(seconds % 60);
}

} // namespace

bool ReadCommandListRows(DbQuery which, const QString& statement, QVector<CommandListRow>* rows)
{
    if (!OpenRows(which, statement))
        return false;
    QSqlQuery& q = QueryObject(which);
    const CommandRowReader reader(q.record());
    while (q.next())
        rows->append({reader.read(q), reader.delayIsEmpty(q)});
    const bool ok = !q.lastError().isValid();
    q.finish();
    return ok;
}


QStringList CommandListCells(const TControlObject& c, bool delayIsEmpty)
{
    const int first = c.FirstParameter;
    const int second = c.SecondParameter;
    const int third = c.ThirdParameter;
    const QString na = QStringLiteral("N/A");
    QString p1, p2, p3 = na;
    switch (c.CommandTypeID) {
    case 0:
        p1 = cell(first, "00001");
        p2 = cell(second, "00002");
        break;
    case 1:
        p1 = cell(first, "00001");
        p2 = cell(second, "00003");
        break;
    case 2:
        p1 = cell(first, "00004");
        p2 = cell(UniversalSwitchStatusNoteById(second), "00005");
        break;
    case 4:
        p1 = cell(first, "00006");
        p2 = cell(second, "00007");
        p3 = cell(minutesSeconds(third), "00008");
        break;
    case 5:
        p1 = label("00009");
        p2 = cell(second, "00002");
        break;
    case 6:
        p1 = label("00010");
        p2 = cell(second, "00007");
        p3 = cell(minutesSeconds(third), "00008");
        break;
    case 7:
        p1 = cell(first, "00004");
        p2 = cell(CurtainStatusNoteById(second), "00005");
        break;
    case 11:
        p1 = cell(first, "00001");
        p2 = cell(SecurityModeNoteById(second), "00012");
        break;
    case 12:
        p1 = cell(first, "00001");
        p2 = cell(SecurityAlarmNoteByValue(second), "00011");
        break;
    default:
        p1 = QString::number(first);
        p2 = QString::number(second);
        break;
    }
    const QString kindName =
ControlTypeName(c.CommandTypeID, QStringLiteral("3"));
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

int CopyCommandsToClipboard(const QSet<int>& commandIds, const QString& statement, DbQuery query)
{
    if (commandIds.isEmpty())
        return 0;
    QVector<CommandListRow> rows;
    if (!ReadCommandListRows(query, statement, &rows))
        return 0;
    // Only commands still stored are copied: a checked row whose command
    // went away must not turn into a blank command on paste.
    QVector<TControlObject> copied;
    for (const CommandListRow& row : rows) {
        if (commandIds.contains(row.command.CommandID))
            copied.append(row.command);
    }
    if (copied.isEmpty())
        return 0;
    mPublicVariable().CommandClipboard = copied;
    return copied.size();
}
