#pragma once

#include "backups.h"

#include <QDialog>

class BackupService;
class MessagePresenter;
class QLabel;
class QPushButton;
class QTreeWidget;

// ---- Without widgets --------------------------------------------------------

// One row of the list: when the snapshot was taken, how many shows it holds
// and how large its files are together.
struct BackupListRow {
    QString taken; // "2026-12-09 02:15:00"
    QString shows;
    QString size; // "16.2 MB", "812 KB"
};
BackupListRow DescribeSnapshot(const SnapshotInfo& snapshot);

// ---- The dialog -------------------------------------------------------------

// "Restore Backup": the snapshots of Database/Backups, newest first. Restore
// asks the operator, has the service take a snapshot of the shows as they
// are now and put the chosen one in their place; the dialog closes once it
// is done (the session reads everything afresh) and stays open when it
// failed, with the operator told why.
class RestoreBackupDialog : public QDialog {
    Q_OBJECT
public:
    RestoreBackupDialog(MessagePresenter& messages, BackupService& backups, QWidget* parent = nullptr);

    // Opens the dialog modally; true when a snapshot was restored.
    static bool Execute(QWidget* parent, MessagePresenter& messages, BackupService& backups);

    // Reads the list afresh from the folder.
    void reload();
    // Restores the snapshot of the selected row (after the operator's Yes).
    void restoreSelected();
    const QVector<SnapshotInfo>& snapshots() const { return m_snapshots; }
    bool restored() const { return m_restored; }

    QTreeWidget* lstBackups = nullptr;
    QLabel* lblState = nullptr;
    QPushButton* btnRestore = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void setWorking(bool working);

    MessagePresenter& m_messages;
    BackupService& m_backups;
    QVector<SnapshotInfo> m_snapshots;
    bool m_restored = false;
    bool m_working = false;
};
