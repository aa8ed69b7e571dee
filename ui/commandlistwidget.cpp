#include "commandlistwidget.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

// Draws the check boxes of a list over the style's own, in black or white
// as CheckIndicatorInk picks for the row beneath: a 2 pixel border, hollow
// when unchecked, filled with a tick in the other colour when checked.
class CheckIndicatorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        if (!(opt.features & QStyleOptionViewItem::HasCheckIndicator))
            return;
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                                : QPalette::Inactive;
        QColor row = opt.palette.color(group, QPalette::Base);
        if (opt.backgroundBrush.style() != Qt::NoBrush)
            row = opt.backgroundBrush.color();
        if (opt.state & QStyle::State_Selected)
            row = opt.palette.color(group, QPalette::Highlight);
        const QColor ink = CheckIndicatorInk(row);
        const QColor paper = ink == QColor(Qt::black) ? QColor(Qt::white) : QColor(Qt::black);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->fillRect(box, ink);
        const QRect inside = box.adjusted(2, 2, -2, -2);
        if (opt.checkState == Qt::Checked) {
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(QPen(paper, qMax(1.5, box.width() / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPainterPath tick;
            tick.moveTo(inside.left() + inside.width() * 0.15, inside.top() + inside.height() * 0.55);
            tick.lineTo(inside.left() + inside.width() * 0.42, inside.top() + inside.height() * 0.82);
            tick.lineTo(inside.left() + inside.width() * 0.88, inside.top() + inside.height() * 0.2);
            painter->drawPath(tick);
        } else {
            painter->fillRect(inside, paper);
            if (opt.checkState == Qt::PartiallyChecked)
                painter->fillRect(QRect(inside.left() + 2, inside.center().y() - 1, inside.width() - 4, 2), ink);
        }
        painter->restore();
    }
};

double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

} // namespace

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

QColor CommandListBackground()
{
    return QColor(159, 215, 181);
}

void StyleCommandList(QTreeWidget* list)
{
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, CommandListBackground());
    // The selection stays as visible when the list loses focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    list->setAutoFillBackground(true);
    list->setItemDelegate(new CheckIndicatorDelegate(list));
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor CheckIndicatorInk(const QColor& row)
{
    const QColor black(Qt::black), white(Qt::white);
    return ContrastRatio(black, row) >= ContrastRatio(white, row) ? black : white;
}
