#pragma once

#include "busmonitorlog.h"

#include <QPointer>
#include <QWidget>

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

    QPointer<BusLink> m_link;
    MessagePresenter& m_messages;
    FileChooser& m_files;
    BusMonitorLog m_log;
    BusMonitorFilter m_filter;
    bool m_followNewest = true;
};
