#pragma once

#include <QList>

class QAbstractItemView;
class QHeaderView;

// Columns of a list sharing its width.

// Widths of columns sharing `width` pixels in the given proportions, none
// narrower than its minimum (a missing minimum is 0): the columns above
// their minimum share what the others leave. The widths add up to `width`,
// rounding going to the last column that shares, unless the minimums alone
// need more, when each column gets its minimum.
QList<int> SharedWidths(int width, const QList<double>& shares, const QList<int>& minimums = {});

// What the headings of the header's first `count` columns need so that none
// is cut off within `room` pixels: their widths on one line, or, where the
// headings cannot all stand on one line, the widths at which each takes at
// most two. In the second case the header wraps its headings and grows to
// hold two lines; otherwise it keeps one line and its own height. A
// highlighted heading is measured in bold, as it is drawn.
QList<int> FitHeadings(QHeaderView* header, int count, int room);

// Keeps the columns of the list (a tree or a table) sharing the width of its
// viewport in the given proportions, each at least as wide as its heading
// (see FitHeadings), now and whenever the list is resized or its font
// changes.
void FitColumns(QAbstractItemView* list, const QList<double>& shares);
