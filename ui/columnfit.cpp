#include "columnfit.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTreeView>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

QHeaderView* columnHeader(QAbstractItemView* list)
{
    if (auto* tree = qobject_cast<QTreeView*>(list))
        return tree->header();
    if (auto* table = qobject_cast<QTableView*>(list))
        return table->horizontalHeader();
    return nullptr;
}

// The room the text takes laid out in lines of at most `width` pixels.
QSize wrappedSize(const QFontMetrics& metrics, const QString& text, int width = INT_MAX / 4)
{
    return metrics.boundingRect(QRect(0, 0, qMax(1, width), INT_MAX / 4), Qt::TextWordWrap, text).size();
}

// The narrowest width at which the text takes at most two lines.
int twoLineWidth(const QFontMetrics& metrics, const QString& text)
{
    int low = 1;
    int high = wrappedSize(metrics, text).width();
    const int twoLines = 2 * metrics.lineSpacing();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (wrappedSize(metrics, text, mid).height() <= twoLines)
            high = mid;
        else
            low = mid + 1;
    }
    // A word longer than the line sticks out of it.
    return qMax(high, wrappedSize(metrics, text, high).width());
}

// Refits the columns each time the list's viewport changes size or the
// list's font changes.
class ColumnFitter : public QObject {
public:
    ColumnFitter(QAbstractItemView* list, QHeaderView* header, const QList<double>& shares)
        : QObject(list), m_list(list), m_header(header), m_shares(shares)
    {
        m_header->setStretchLastSection(false);
        m_list->viewport()->installEventFilter(this);
        m_list->installEventFilter(this);
        fit();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool resized = watched == m_list->viewport() && event->type() == QEvent::Resize;
        const bool restyled = watched == m_list &&
                              (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange);
        if (resized || restyled)
            fit();
        return false;
    }

private:
    void fit()
    {
        const int room = m_list->viewport()->width();
        const int count = qMin(int(m_shares.size()), m_header->count());
        const QList<int> widths = SharedWidths(room, m_shares.mid(0, count), FitHeadings(m_header, count, room));
        if (widths.isEmpty())
            return;
        // A narrow list still shows every column, however thin.
        const int narrowest = *std::min_element(widths.begin(), widths.end());
        if (narrowest < m_header->minimumSectionSize())
            m_header->setMinimumSectionSize(qMax(1, narrowest));
        for (int c = 0; c < widths.size(); ++c)
            m_header->resizeSection(c, widths[c]);
    }

    QAbstractItemView* m_list;
    QHeaderView* m_header;
    QList<double> m_shares;
};

} // namespace

QList<int> SharedWidths(int width, const QList<double>& shares, const QList<int>& minimums)
{
    const int n = int(shares.size());
    QList<int> least(n, 0);
    for (int i = 0; i < n && i < minimums.size(); ++i)
        least[i] = qMax(0, minimums[i]);
    int leastTotal = 0;
    for (int m : least)
        leastTotal += m;
    if (n == 0 || width <= 0)
        return least;
    if (leastTotal >= width)
        return least;

    // Columns whose share would fall below their minimum keep the minimum;
    // the others share what is left, until no share falls short.
    QList<bool> held(n, false);
    for (;;) {
        double total = 0;
        int left = width;
        for (int i = 0; i < n; ++i) {
            if (held[i])
                left -= least[i];
            else
                total += qMax(0.0, shares[i]);
        }
        bool changed = false;
        for (int i = 0; i < n; ++i) {
            const double share = total > 0 ? qMax(0.0, shares[i]) / total * left : 0.0;
            if (!held[i] && share < least[i]) {
                held[i] = true;
                changed = true;
            }
        }
        if (!changed)
            break;
    }

    double total = 0;
    int left = width;
    int lastSharing = -1;
    for (int i = 0; i < n; ++i) {
        if (held[i]) {
            left -= least[i];
        } else {
            total += qMax(0.0, shares[i]);
            lastSharing = i;
        }
    }
    // Each sharing column ends where its part of the running total ends, so
    // rounding never adds up past the width.
    QList<int> widths(n, 0);
    double sum = 0;
    int edge = 0;
    for (int i = 0; i < n; ++i) {
        if (held[i]) {
            widths[i] = least[i];
            continue;
        }
        sum += qMax(0.0, shares[i]);
        const int next = i == lastSharing ? left : total > 0 ? int(std::lround(sum / total * left)) : 0;
        widths[i] = next - edge;
        edge = next;
    }
    if (lastSharing < 0)
        widths[n - 1] += left; // every column held: the last takes the rest
    return widths;
}

QList<int> FitHeadings(QHeaderView* header, int count, int room)
{
    QList<int> oneLine;
    if (!header || !header->model())
        return oneLine;
    QFont font = header->font();
    if (header->highlightSections())
        font.setBold(true);
    const QFontMetrics metrics(font);
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QStringList texts;
    int total = 0;
    for (int c = 0; c < count; ++c) {
        texts << header->model()->headerData(c, header->orientation()).toString();
        oneLine << (texts.last().isEmpty() ? 0 : wrappedSize(metrics, texts.last()).width() + margins);
        total += oneLine.last();
    }

    // Headings wrap through a text flag carried among the alignment flags.
    const int alignment = int(header->defaultAlignment());
    if (total <= room) {
        if (alignment & Qt::TextWordWrap) {
            header->setDefaultAlignment(Qt::Alignment(alignment & ~int(Qt::TextWordWrap)));
            header->setMinimumHeight(0);
        }
        return oneLine;
    }
    QList<int> twoLines;
    int height = 0;
    for (const QString& text : texts) {
        const int width = text.isEmpty() ? 0 : twoLineWidth(metrics, text);
        twoLines << (width ? width + margins : 0);
        height = qMax(height, wrappedSize(metrics, text, width).height());
    }
    header->setDefaultAlignment(Qt::Alignment(alignment | int(Qt::TextWordWrap)));
    header->setMinimumHeight(height + margins + 2);
    return twoLines;
}

void FitColumns(QAbstractItemView* list, const QList<double>& shares)
{
    if (QHeaderView* header = list ? columnHeader(list) : nullptr)
        new ColumnFitter(list, header, shares);
}
