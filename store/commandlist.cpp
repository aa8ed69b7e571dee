#include "commandlist.h"

#include "lookups.h"
#include "publicvariable.h"

#include <QSet>
#include <QSqlError>
#include <QTreeWidget>

namespace {

const QString parameterSection = QStringLiteral("ParameterOfControlType");

QString label(const char* key)
{
    return LanguageText(parameterSection, QString::fromLatin1(key));
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

struct CommandRow {
    TControlObject command;
    bool delayIsEmpty = false;
};

// Reads every row of the statement; false when the statement failed before
// or while walking the rows.
bool readCommands(DbQuery which, const QString& statement, QVector<CommandRow>* rows)
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

} // namespace

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
        LanguageText(QStringLiteral("ControlType"), QString::number(c.CommandTypeID), QStringLiteral("3"));
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

int FillCommandList(QTreeWidget* list, DbQuery query, const QString& statement)
{
    if (!list)
        return 0;
    QVector<CommandRow> rows;
    const bool ok = readCommands(query, statement, &rows);
    list->clear();
    if (!ok)
        return 0;
    if (list->columnCount() < CommandListColumns)
        list->setColumnCount(CommandListColumns);

    const Qt::CheckState initial = rows.size() == 1 ? Qt::Checked : Qt::Unchecked;
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const CommandRow& row : rows) {
        QStringList texts{QString::number(row.command.CommandID)};
        texts += CommandListCells(row.command, row.delayIsEmpty);
        auto* item = new QTreeWidgetItem(texts);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, initial);
        items.append(item);
    }
    list->addTopLevelItems(items);
    return items.size();
}

int CountCheckedItems(const QTreeWidget* list)
{
    if (!list)
        return 0;
    int checked = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            ++checked;
    }
    return checked;
}

int CopyCheckedCommands(const QTreeWidget* list, const QString& statement, DbQuery query)
{
    if (!list)
        return 0;
    QSet<QString> checkedIds;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            checkedIds.insert(item->text(0));
    }
    if (checkedIds.isEmpty())
        return 0;

    QVector<CommandRow> rows;
    if (!readCommands(query, statement, &rows))
        return 0;
    // Only commands still stored are copied: a checked row whose command
    // went away must not turn into a blank command on paste.
    QVector<TControlObject> copied;
    for (const CommandRow& row : rows) {
        if (checkedIds.contains(QString::number(row.command.CommandID)))
            copied.append(row.command);
    }
    if (copied.isEmpty())
        return 0;
    mPublicVariable().CommandClipboard = copied;
    return copied.size();
}
