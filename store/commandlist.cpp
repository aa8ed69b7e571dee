#include "commandlist.h"

#include "commandkinds.h"
#include "lookups.h"
#include "publicvariable.h"

#include <QSet>
#include <QSqlError>
#include <QTreeWidget>

namespace {

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
    while (q.next())
        rows->append({ReadCommandRow(q), FieldText(q, QStringLiteral("DelayMS")).trimmed().isEmpty()});
    const bool ok = !q.lastError().isValid();
    q.finish();
    return ok;
}

} // namespace

TControlObject ReadCommandRow(const QSqlQuery& q)
{
    TControlObject c;
    c.CommandID = FieldInt(q, QStringLiteral("CommandID"));
    c.SequenceNo = FieldInt(q, QStringLiteral("SequenceNo"));
    c.Remark = FieldText(q, QStringLiteral("Remark"));
    c.SubnetID = static_cast<quint8>(FieldInt(q, QStringLiteral("SubnetID")));
    c.DeviceID = static_cast<quint8>(FieldInt(q, QStringLiteral("DeviceID")));
    c.CommandTypeID = static_cast<quint8>(FieldInt(q, QStringLiteral("CommandTypeID")));
    c.FirstParameter = static_cast<quint16>(FieldInt(q, QStringLiteral("FirstParameter")));
    c.SecondParameter = static_cast<quint16>(FieldInt(q, QStringLiteral("SecondParameter")));
    c.ThirdParameter = static_cast<quint16>(FieldInt(q, QStringLiteral("ThirdParameter")));
    c.DelayMS = FieldInt(q, QStringLiteral("DelayMS"));
    return c;
}

QStringList CommandListCells(const TControlObject& c, bool delayIsEmpty)
{
    const CommandKindFacts& kind = KindFacts(c.CommandTypeID);
    const QString na = QStringLiteral("N/A");
    const auto described = [](const QString& value, const char* key) {
        return *key ? DescribedValue(value, QString::fromLatin1(key)) : value;
    };
    const QString p1 = kind.firstIsFixed ? ParameterDescription(QString::fromLatin1(kind.firstKey))
                                         : described(QString::number(c.FirstParameter), kind.firstKey);
    const QString second = kind.lookup != ParameterLookup::None ? LookupNoteOf(kind.lookup, c.SecondParameter)
                                                                 : QString::number(c.SecondParameter);
    const QString p2 = described(second, kind.secondKey);
    const QString p3 = kind.runningTime ? described(MinutesSeconds(c.ThirdParameter), RunningTimeKey) : na;
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
