#pragma once

#include "busmonitorlog.h"

#include <QFontMetricsF>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

class BusLink;
class FileChooser;
class MessagePresenter;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

// "Bus Monitor": every datagram the program sends or receives while the
// window exists, one row each, newest at the bottom. The window watches the
// bus from its creation to its destruction; without it nothing is recorded.
class BusMonitorWindow : public QWidget {
    Q_OBJECT
public:
    // Watches the link's datagrams while it is open; the export asks the
    // chooser where to write and tells a failure through the presenter;
    // kinds and parameters are described by the language file of the
    // settings files and the lookup lists.
    BusMonitorWindow(BusLink& link, MessagePresenter& messages, FileChooser& chooser, const SettingsFiles& settings,
                     const LookupLists& lookups, QWidget* parent = nullptr,
                     int capacity = BusMonitorLog::DefaultCapacity);
    ~BusMonitorWindow() override;

    BusMonitorLog& log() { return m_log; }
    BusMonitorFilter& filter() { return m_filter; }

    // Writes the shown rows to the path; a failure is told to the operator.
    bool exportTo(const QString& path);

    // Shows the window as a watch beside a full-screen video: in the bottom
    // right corner of its screen, small enough to leave most of the screen
    // free, and kept above the program's other windows, a full-screen one
    // included.
    void showInCornerAbove();
    bool keepsAbove() const { return m_keepAbove; }

    QCheckBox* chkPause = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnExport = nullptr;
    QComboBox* cboDirection = nullptr;
    QLineEdit* edtAddress = nullptr;
    QLineEdit* edtOperation = nullptr;
    QLabel* lblCounters = nullptr;
    QTableView* tblDatagrams = nullptr;
    QPlainTextEdit* txtBytes = nullptr;

private:
    void applyFilter();
    void showCounters();
    void showSelectedBytes();
    void exportClicked();
    void rowsArrived();

    bool eventFilter(QObject* watched, QEvent* event) override;
    // Column widths: a column needs the widest text it can show in the
    // table's font (measured once per change of font or style), more for
    // wider texts of the rows on screen (looked at a few times a second at
    // most); see shareWidth for how the list's width is dealt out. A column
    // the operator sized by hand keeps its width.
    void fitColumns();
    void shareWidth();
    void widenForShownRows();
    void scheduleWiden();
    int cellWidth(const QFontMetricsF& metrics, const QString& text) const;
    void raiseAboveFullScreen();
    void placeInCorner();

    QTimer m_widenTimer;
    std::array<bool, BusMonitorLog::ColumnCount> m_sizedByHand{};
    std::array<int, BusMonitorLog::ColumnCount> m_needed{}; // the widest text it can show
    std::array<int, BusMonitorLog::ColumnCount> m_shown{};  // the widest text it showed
    bool m_settingWidths = false;
    bool m_keepAbove = false;
    bool m_raiseScheduled = false;

    QPointer<BusLink> m_link;
    MessagePresenter& m_messages;
    FileChooser& m_files;
    BusMonitorLog m_log;
    BusMonitorFilter m_filter;
    bool m_followNewest = true;
};
