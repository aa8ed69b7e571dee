#include "commandlistview.h"

#include "commandlistops.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
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

void FollowCommandList(CommandListOperations& ops, std::function<void()> after)
{
    auto render = std::move(ops.changed);
    ops.changed = [render = std::move(render), after = std::move(after)] {
        if (render)
            render();
        after();
    };
}

QMenu* WireCommandPane(QTreeWidget* list, CommandListOperations& ops, const CommandPaneButtons& buttons,
                       QWidget* menuParent)
{
    QObject::connect(buttons.selectAll, &QPushButton::clicked, menuParent, [&ops] { ops.checkAll(); });
    QObject::connect(buttons.deselectAll, &QPushButton::clicked, menuParent, [&ops] { ops.uncheckAll(); });
    QObject::connect(buttons.copyChecked, &QPushButton::clicked, menuParent, [&ops] { ops.copyChecked(); });
    QObject::connect(buttons.paste, &QPushButton::clicked, menuParent, [&ops] { ops.paste(); });
    QObject::connect(buttons.add, &QPushButton::clicked, menuParent, [&ops] { ops.add(); });
    QObject::connect(buttons.editChecked, &QPushButton::clicked, menuParent, [&ops] { ops.editChecked(); });
    QObject::connect(buttons.deleteChecked, &QPushButton::clicked, menuParent, [&ops] { ops.deleteChecked(); });
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, menuParent, [&ops] { ops.editChecked(); });

    auto* menu = new QMenu(menuParent);
    menu->setObjectName(QStringLiteral("popmenuCMD"));
    menu->addAction(QStringLiteral("Check All"), buttons.selectAll, &QPushButton::click);
    menu->addAction(QStringLiteral("Uncheck All"), buttons.deselectAll, &QPushButton::click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy Checked CMD"), buttons.copyChecked, &QPushButton::click);
    menu->addAction(QStringLiteral("Paste CMD"), buttons.paste, &QPushButton::click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Add CMD..."), buttons.add, &QPushButton::click);
    menu->addAction(QStringLiteral("Edit Checked CMD..."), buttons.editChecked, &QPushButton::click);
    menu->addAction(QStringLiteral("Delete Checked CMD"), buttons.deleteChecked, &QPushButton::click);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, menu,
                     [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    return menu;
}

void BusyCursor::set(bool busy)
{
    if (busy == m_shown)
        return;
    m_shown = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
