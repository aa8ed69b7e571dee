#include "commandlistwidget.h"

#include <QTreeWidget>

int FillCommandList(QTreeWidget* list, const SettingsFiles& files, const LookupLists& lookups,
                    const ShowStore::CommandTarget& commands)
{
    if (!list)
        return 0;
    const auto read = ShowStore::ReadCommandList(commands);
    list->clear();
    if (!read.complete())
        return 0;
    const QVector<CommandListRow>& rows = read.rows;
    if (list->columnCount() < CommandListColumns)
        list->setColumnCount(CommandListColumns);

    const Qt::CheckState initial = rows.size() == 1 ? Qt::Checked : Qt::Unchecked;
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const CommandListRow& row : rows) {
        QStringList texts{QString::number(row.command.CommandID)};
        texts += CommandListCells(files, lookups, row.command, row.delayIsEmpty);
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

int CopyCheckedCommands(const QTreeWidget* list, CommandClipboard& clipboard,
                        const ShowStore::CommandTarget& commands)
{
    if (!list)
        return 0;
    QSet<int> checkedIds;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        bool numeric = false;
        const int id = item->text(0).toInt(&numeric);
        if (item->checkState(0) == Qt::Checked && numeric)
            checkedIds.insert(id);
    }
    return CopyCommandsToClipboard(clipboard, checkedIds, commands);
}
