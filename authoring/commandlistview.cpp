#include "commandlistview.h"

#include "commandlistops.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

void Render(QTreeWidget* list, const CommandListOperations& ops)
{
    const QSignalBlocker quiet(list);
    const int current = list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
    // Only the check boxes changed: keep the rows (and the scroll position).
    bool sameRows = list->topLevelItemCount() == ops.rowCount();
    for (int i = 0; sameRows && i < ops.rowCount(); ++i)
        sameRows = list->topLevelItem(i)->text(0) == QString::number(ops.row(i).command.CommandID);
    if (!sameRows) {
        list->clear();
        QList<QTreeWidgetItem*> items;
        for (int i = 0; i < ops.rowCount(); ++i) {
            auto* item = new QTreeWidgetItem(ops.rowTexts(i));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            items.append(item);
        }
        list->addTopLevelItems(items);
    } else {
        for (int i = 0; i < ops.rowCount(); ++i) {
            const QStringList texts = ops.rowTexts(i);
            for (int c = 0; c < texts.size(); ++c)
                list->topLevelItem(i)->setText(c, texts[c]);
        }
    }
    for (int i = 0; i < ops.rowCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, ops.isChecked(i) ? Qt::Checked : Qt::Unchecked);
    if (sameRows && current >= 0 && current < list->topLevelItemCount())
        list->setCurrentItem(list->topLevelItem(current));
}

} // namespace

void BindCommandList(QTreeWidget* list, CommandListOperations& ops, QPushButton* copyButton)
{
    QPointer<QTreeWidget> guard(list);
    QPointer<QPushButton> button(copyButton);
    ops.changed = [guard, button, &ops] {
        if (guard)
            Render(guard, ops);
        if (button) {
            QPalette palette = button->palette();
            palette.setColor(QPalette::ButtonText, ops.copyHighlighted() ? QColor(0, 128, 0)
                                                                         : QGuiApplication::palette().color(QPalette::ButtonText));
            button->setPalette(palette);
            button->update();
        }
    };
    QObject::connect(list, &QTreeWidget::itemChanged, list, [list, &ops](QTreeWidgetItem* item, int column) {
        if (column == 0)
            ops.setChecked(list->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
    });
    Render(list, ops);
}
