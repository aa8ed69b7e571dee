#include "busmonitorwindow.h"

#include "buslink.h"
#include "columnfit.h"
#include "filechooser.h"
#include "messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// How often at most the rows on screen are measured for wider texts.
constexpr int WidenIntervalMs = 250;
// How long a window manager may take to frame the monitor opened at start.
constexpr int CornerSettleMs = 300;

// The bytes of a datagram, 16 to a line with their offset.
QString hexDump(const BusMonitorEntry& e)
{
    QString out;
    const QByteArray& b = e.bytes;
    for (int at = 0; at < b.size(); at += 16) {
        out += QStringLiteral("%1  ").arg(at, 4, 10, QLatin1Char('0'));
        out += QString::fromLatin1(b.mid(at, 16).toHex(' ').toUpper());
        out += QLatin1Char('\n');
    }
    if (e.size > b.size())
        out += QStringLiteral("(%1 more bytes not read)\n").arg(e.size - b.size());
    return out;
}

} // namespace

BusMonitorWindow::BusMonitorWindow(BusLink& link, MessagePresenter& messages, FileChooser& chooser,
                                   const SettingsFiles& settings, const LookupLists& lookups, QWidget* parent,
                                   int capacity)
    : QWidget(parent, Qt::Window), m_link(&link), m_messages(messages), m_files(chooser),
      m_log(settings, lookups, capacity),
      m_filter(m_log)
{
    setObjectName(QStringLiteral("frmBusMonitor"));
    setWindowTitle(QStringLiteral("Bus Monitor"));
    resize(1000, 600);

    chkPause = new QCheckBox(QStringLiteral("Pause"), this);
    chkPause->setObjectName(QStringLiteral("chkPause"));
    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnExport = new QPushButton(QStringLiteral("Export CSV..."), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    cboDirection = new QComboBox(this);
    cboDirection->setObjectName(QStringLiteral("cboDirection"));
    cboDirection->addItems({QStringLiteral("Both directions"), QStringLiteral("Sent"), QStringLiteral("Received")});
    edtAddress = new QLineEdit(this);
    edtAddress->setObjectName(QStringLiteral("edtAddress"));
    edtAddress->setPlaceholderText(QStringLiteral("subnet or subnet/device"));
    edtOperation = new QLineEdit(this);
    edtOperation->setObjectName(QStringLiteral("edtOperation"));
    edtOperation->setPlaceholderText(QStringLiteral("operation code (hex)"));
    lblCounters = new QLabel(this);
    lblCounters->setObjectName(QStringLiteral("lblCounters"));
    lblCounters->setToolTip(QStringLiteral("Skipped: datagrams sent or received while the monitor could not keep up "
                                           "with the traffic; the program handled them, the table does not list "
                                           "them."));

    tblDatagrams = new QTableView(this);
    tblDatagrams->setObjectName(QStringLiteral("tblDatagrams"));
    tblDatagrams->setModel(&m_filter);
    tblDatagrams->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblDatagrams->setSelectionMode(QAbstractItemView::SingleSelection);
    tblDatagrams->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDatagrams->setWordWrap(false);
    tblDatagrams->setAlternatingRowColors(true);
    // Fixed row heights, and column widths set by the window rather than by
    // the header measuring rows: thousands of rows cost no more than the
    // ones on screen.
    tblDatagrams->verticalHeader()->hide();
    tblDatagrams->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblDatagrams->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    tblDatagrams->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tblDatagrams->horizontalHeader()->setMinimumSectionSize(8);
    fitColumns();
    tblDatagrams->installEventFilter(this);
    tblDatagrams->viewport()->installEventFilter(this);
    connect(tblDatagrams->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_settingWidths && column < BusMonitorLog::ColumnCount - 1)
            m_sizedByHand[size_t(column)] = true;
    });
    m_widenTimer.setSingleShot(true);
    m_widenTimer.setInterval(WidenIntervalMs);
    connect(&m_widenTimer, &QTimer::timeout, this, &BusMonitorWindow::widenForShownRows);
    connect(tblDatagrams->verticalScrollBar(), &QScrollBar::valueChanged, this, &BusMonitorWindow::scheduleWiden);
    connect(&m_filter, &QAbstractItemModel::modelReset, this, &BusMonitorWindow::scheduleWiden);
    connect(&m_filter, &QAbstractItemModel::layoutChanged, this, &BusMonitorWindow::scheduleWiden);

    txtBytes = new QPlainTextEdit(this);
    txtBytes->setObjectName(QStringLiteral("txtBytes"));
    txtBytes->setReadOnly(true);
    txtBytes->setFont(QFont(QStringLiteral("monospace")));
    txtBytes->setPlaceholderText(QStringLiteral("Select a row to see its bytes"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(chkPause);
    bar->addWidget(btnClear);
    bar->addWidget(btnExport);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("Show:"), this));
    bar->addWidget(cboDirection);
    bar->addWidget(new QLabel(QStringLiteral("Address:"), this));
    bar->addWidget(edtAddress);
    bar->addWidget(new QLabel(QStringLiteral("Operation:"), this));
    bar->addWidget(edtOperation);
    bar->addStretch(1);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tblDatagrams);
    split->addWidget(txtBytes);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    // Below the list rather than beside the buttons, so the bar stays
    // narrow enough for a monitor in a corner of the screen.
    layout->addWidget(lblCounters);

    connect(chkPause, &QCheckBox::toggled, &m_log, &BusMonitorLog::setPaused);
    connect(chkPause, &QCheckBox::toggled, this, &BusMonitorWindow::showCounters);
    connect(btnClear, &QPushButton::clicked, &m_log, &BusMonitorLog::clear);
    connect(btnExport, &QPushButton::clicked, this, &BusMonitorWindow::exportClicked);
    connect(cboDirection, &QComboBox::currentIndexChanged, this, &BusMonitorWindow::applyFilter);
    connect(edtAddress, &QLineEdit::textChanged, this, &BusMonitorWindow::applyFilter);
    connect(edtOperation, &QLineEdit::textChanged, this, &BusMonitorWindow::applyFilter);
    connect(&m_log, &BusMonitorLog::countersChanged, this, &BusMonitorWindow::showCounters);
    connect(&m_filter, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = tblDatagrams->verticalScrollBar();
        m_followNewest = bar->value() >= bar->maximum();
    });
    connect(&m_filter, &QAbstractItemModel::rowsInserted, this, &BusMonitorWindow::rowsArrived);
    connect(tblDatagrams->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BusMonitorWindow::showSelectedBytes);
    connect(&m_filter, &QAbstractItemModel::modelReset, this, &BusMonitorWindow::showSelectedBytes);
    showCounters();

    link.addObserver(&m_log);
}

BusMonitorWindow::~BusMonitorWindow()
{
    if (m_keepAbove)
        qApp->removeEventFilter(this);
    if (m_link)
        m_link->removeObserver(&m_log);
}

void BusMonitorWindow::applyFilter()
{
    BusMonitorCriteria criteria = m_filter.criteria();
    const int direction = cboDirection->currentIndex();
    if (direction == 1)
        criteria.direction = BusDirection::Sent;
    else if (direction == 2)
        criteria.direction = BusDirection::Received;
    else
        criteria.direction.reset();
    // Text that does not (yet) make an address or a code is marked and
    // leaves that part of the filter as it was.
    const bool addressOk = criteria.setAddress(edtAddress->text());
    const bool operationOk = criteria.setOperationCode(edtOperation->text());
    edtAddress->setStyleSheet(addressOk ? QString() : QStringLiteral("color: red"));
    edtOperation->setStyleSheet(operationOk ? QString() : QStringLiteral("color: red"));
    m_filter.setCriteria(criteria);
    showCounters();
}

void BusMonitorWindow::showCounters()
{
    lblCounters->setText(QStringLiteral("Sent: %1   Received: %2   Skipped: %3   Shown: %4%5")
                             .arg(m_log.seen(BusDirection::Sent))
                             .arg(m_log.seen(BusDirection::Received))
                             .arg(m_log.skipped())
                             .arg(m_filter.rowCount())
                             .arg(m_log.isPaused() ? QStringLiteral("   (paused)") : QString()));
}

void BusMonitorWindow::rowsArrived()
{
    // Follow the newest rows unless the operator scrolled up to read.
    if (m_followNewest)
        tblDatagrams->scrollToBottom();
    scheduleWiden();
}

int BusMonitorWindow::cellWidth(const QFontMetricsF& metrics, const QString& text) const
{
    // A cell draws its text inside the focus frame's margin plus one pixel
    // on either side, in the column's width less the grid line, and cuts
    // it short when the text is wider by any fraction of a pixel.
    const int margin = tblDatagrams->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tblDatagrams) + 1;
    return int(std::ceil(metrics.horizontalAdvance(text))) + 2 * margin + (tblDatagrams->showGrid() ? 1 : 0);
}

void BusMonitorWindow::fitColumns()
{
    const QFontMetricsF metrics(tblDatagrams->font(), tblDatagrams);
    QChar widestDigit = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d)
        if (metrics.horizontalAdvance(QLatin1Char(d)) > metrics.horizontalAdvance(widestDigit))
            widestDigit = QLatin1Char(d);
    for (int c = 0; c < BusMonitorLog::ColumnCount; ++c) {
        int width = 0;
        for (const QString& text : m_log.widestTexts(c, widestDigit))
            width = std::max(width, cellWidth(metrics, text));
        m_needed[size_t(c)] = width;
        m_shown[size_t(c)] = 0;
    }
    shareWidth();
    scheduleWiden();
}

void BusMonitorWindow::shareWidth()
{
    // Each column gets the width of the widest text it can show, and the
    // last one what is left. A list too narrow for that keeps the short
    // columns as wide as the texts they show and lets the address, the
    // decoded columns and the frame's verdict share the rest in proportion
    // to theirs; only when even that is not enough do all columns give way
    // alike. No column is narrower than its heading or lies beyond the
    // list's edge.
    const auto squeezable = [this](int c) {
        return !m_sizedByHand[size_t(c)] && (c == BusMonitorLog::Peer || c == BusMonitorLog::Kind ||
                                             c == BusMonitorLog::Parameters || c == BusMonitorLog::Frame);
    };
    const int count = BusMonitorLog::ColumnCount;
    const int room = tblDatagrams->viewport()->width();
    const QList<int> headings = FitHeadings(tblDatagrams->horizontalHeader(), count, room);
    QList<int> widest, shown, least;
    int widestTotal = 0, fixed = 0, leastTotal = 0;
    QList<double> shares;
    for (int c = 0; c < count; ++c) {
        const int heading = headings.value(c);
        const int byHand = m_sizedByHand[size_t(c)] ? tblDatagrams->columnWidth(c) : 0;
        widest << (byHand ? byHand : std::max(m_needed[size_t(c)], heading));
        shown << (byHand ? byHand : std::max(m_shown[size_t(c)], heading));
        widestTotal += widest.last();
        shares << (squeezable(c) ? double(shown.last()) : 0.0);
        least << (squeezable(c) ? heading : 0);
        leastTotal += least.last();
        if (!squeezable(c))
            fixed += shown.last();
    }
    QList<int> widths = widest;
    if (widestTotal <= room) {
        widths.last() += room - widestTotal;
    } else if (fixed + leastTotal <= room) {
        const QList<int> shared = SharedWidths(room - fixed, shares, least);
        for (int c = 0; c < count; ++c)
            widths[c] = squeezable(c) ? shared[c] : shown[c];
    } else {
        widths = SharedWidths(room, QList<double>(shown.begin(), shown.end()), headings);
    }
    m_settingWidths = true;
    for (int c = 0; c < count; ++c)
        tblDatagrams->setColumnWidth(c, widths[c]);
    m_settingWidths = false;
}

void BusMonitorWindow::scheduleWiden()
{
    if (!m_widenTimer.isActive())
        m_widenTimer.start();
}

// The rows on screen may hold texts wider than any foreseen (a long name
// in a lookup list, say): their columns grow, never shrink, so the table
// does not jump about as rows scroll by.
void BusMonitorWindow::widenForShownRows()
{
    const int rows = m_filter.rowCount();
    if (rows == 0)
        return;
    const QRect area = tblDatagrams->viewport()->rect();
    int first = tblDatagrams->rowAt(area.top());
    int last = tblDatagrams->rowAt(area.bottom());
    if (first < 0)
        first = 0;
    if (last < 0)
        last = rows - 1;
    const QFontMetricsF metrics(tblDatagrams->font(), tblDatagrams);
    bool wider = false;
    for (int c = 0; c < BusMonitorLog::ColumnCount; ++c) {
        for (int r = first; r <= last; ++r) {
            const int need = cellWidth(metrics, m_filter.index(r, c).data().toString());
            if (need > m_shown[size_t(c)]) {
                m_shown[size_t(c)] = need;
                m_needed[size_t(c)] = std::max(m_needed[size_t(c)], need);
                wider = true;
            }
        }
    }
    if (wider)
        shareWidth();
}

bool BusMonitorWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tblDatagrams->viewport()) {
        if (event->type() == QEvent::Resize)
            shareWidth();
        return false;
    }
    if (watched == tblDatagrams) {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            // Measured afresh in the new font: narrower as well as wider.
            QTimer::singleShot(0, this, &BusMonitorWindow::fitColumns);
        }
        return false;
    }
    // Another window of the program going full screen would cover a
    // monitor that is to stay in view.
    if (m_keepAbove && watched != this && watched->isWidgetType()
        && (event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange)
        && static_cast<QWidget*>(watched)->isWindow() && !m_raiseScheduled) {
        m_raiseScheduled = true;
        QTimer::singleShot(0, this, &BusMonitorWindow::raiseAboveFullScreen);
    }
    return false;
}

void BusMonitorWindow::raiseAboveFullScreen()
{
    m_raiseScheduled = false;
    if (!isVisible())
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto fullScreen = std::find_if(windows.begin(), windows.end(), [this](const QWidget* w) {
        return w != this && w->isVisible() && w->isFullScreen() && w->windowHandle();
    });
    if (fullScreen == windows.end())
        return;
    // Window managers put the focused full-screen window above windows kept
    // on top, but not above its own transient windows: the monitor becomes
    // one, mapped afresh so the window manager learns it.
    QWindow* video = (*fullScreen)->windowHandle();
    if (windowHandle() && windowHandle()->transientParent() != video) {
        windowHandle()->setTransientParent(video);
        windowHandle()->hide();
        windowHandle()->show();
    }
    raise();
}

void BusMonitorWindow::showInCornerAbove()
{
    if (!m_keepAbove) {
        m_keepAbove = true;
        // A dialog's window tells the window manager which window it
        // belongs to (the main window, later the full-screen video), and
        // stays above that one.
        setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
        // Full-screen windows of the program come and go while the monitor
        // is open; only window events are looked at.
        qApp->installEventFilter(this);
    }
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect free = screen->availableGeometry();
        // Wide enough for the table's first columns, low enough to leave
        // the upper part of the picture free.
        resize(QSize(std::min(free.width() * 3 / 5, 1000), std::min(free.height() * 2 / 5, 600))
                   .expandedTo(minimumSizeHint())
                   .boundedTo(free.size()));
    }
    placeInCorner();
    show();
    raise();
    // The window manager tells the frame's size only once the window is
    // framed; the window is placed again then.
    QTimer::singleShot(CornerSettleMs, this, &BusMonitorWindow::placeInCorner);
}

void BusMonitorWindow::placeInCorner()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    QSize outer = frameGeometry().size();
    if (outer == size()) // not framed yet: a title bar is left for the frame
        outer.rheight() += style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    // move() places the frame.
    move(free.right() + 1 - outer.width(), free.bottom() + 1 - outer.height());
}


void BusMonitorWindow::showSelectedBytes()
{
    const QModelIndex current = tblDatagrams->selectionModel()->currentIndex();
    if (!current.isValid()) {
        txtBytes->clear();
        return;
    }
    const BusMonitorEntry& e = m_log.entry(m_filter.mapToSource(current).row());
    txtBytes->setPlainText(hexDump(e));
}

void BusMonitorWindow::exportClicked()
{
    const QString path = m_files.saveFileName(this, QStringLiteral("Export Bus Monitor"),
                                              QStringLiteral("CSV files (*.csv)"), QString());
    if (!path.isEmpty())
        exportTo(path);
}

bool BusMonitorWindow::exportTo(const QString& path)
{
    m_log.flush();
    QString error;
    if (ExportBusMonitorCsv(m_filter, path, &error))
        return true;
    m_messages.tell(this, QStringLiteral("Could not write %1: %2").arg(path, error));
    return false;
}
