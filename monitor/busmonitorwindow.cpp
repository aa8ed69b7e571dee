#include "busmonitorwindow.h"

#include "buslink.h"
#include "filechooser.h"
#include "messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

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
    resize(1100, 600);

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
    // Fixed row heights and column widths: nothing is measured per row, so
    // thousands of rows cost no more than the ones on screen.
    tblDatagrams->verticalHeader()->hide();
    tblDatagrams->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblDatagrams->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    tblDatagrams->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tblDatagrams->horizontalHeader()->setStretchLastSection(true);
    const int widths[BusMonitorLog::ColumnCount] = {95, 75, 125, 55, 55, 65, 160, 220, 45, 110, 50};
    for (int c = 0; c < BusMonitorLog::ColumnCount; ++c)
        tblDatagrams->setColumnWidth(c, widths[c]);

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
    bar->addWidget(lblCounters);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tblDatagrams);
    split->addWidget(txtBytes);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);

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
