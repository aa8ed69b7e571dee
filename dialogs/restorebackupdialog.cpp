#include "restorebackupdialog.h"

#include "backupservice.h"
#include "messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

BackupListRow DescribeSnapshot(const SnapshotInfo& snapshot)
{
    BackupListRow row;
    row.taken = snapshot.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    row.shows = QString::number(snapshot.counts.shows);
    const double kb = snapshot.bytes / 1024.0;
    row.size = kb < 1024 ? QStringLiteral("%1 KB").arg(qMax<qint64>(1, qRound64(kb)))
                         : QStringLiteral("%1 MB").arg(kb / 1024.0, 0, 'f', 1);
    return row;
}

RestoreBackupDialog::RestoreBackupDialog(MessagePresenter& messages, BackupService& backups, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_backups(backups)
{
    setObjectName(QStringLiteral("frmRestoreBackup"));
    setWindowTitle(QStringLiteral("Restore Backup"));

    auto* heading = new QLabel(QStringLiteral("Snapshots of the shows and settings, newest first:"), this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    lstBackups = new QTreeWidget(this);
    lstBackups->setObjectName(QStringLiteral("lstBackups"));
    lstBackups->setRootIsDecorated(false);
    lstBackups->setHeaderLabels({QStringLiteral("Taken"), QStringLiteral("Shows"), QStringLiteral("Size")});
    lstBackups->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstBackups->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstBackups->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    lstBackups->setMinimumSize(420, 260);
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    btnRestore = new QPushButton(QStringLiteral("Restore"), this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblState, 1);
    buttons->addWidget(btnRestore);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(lstBackups, 1);
    layout->addLayout(buttons);

    connect(btnRestore, &QPushButton::clicked, this, &RestoreBackupDialog::restoreSelected);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstBackups, &QTreeWidget::itemSelectionChanged, this, [this] { setWorking(m_working); });
    connect(&m_backups, &BackupService::restored, this, [this](const SnapshotInfo& info) {
        m_restored = true;
        setWorking(false);
        m_messages.notice(this, QStringLiteral("The shows of %1 were restored.").arg(DescribeSnapshot(info).taken),
                          QStringLiteral("Restore Backup"));
        accept();
    });
    connect(&m_backups, &BackupService::restoreFailed, this, [this](const QString& why) {
        setWorking(false);
        m_messages.error(this, QStringLiteral("Nothing was restored: ") + why);
        reload();
    });
    reload();
}

bool RestoreBackupDialog::Execute(QWidget* parent, MessagePresenter& messages, BackupService& backups)
{
    RestoreBackupDialog dialog(messages, backups, parent);
    dialog.exec();
    return dialog.restored();
}

void RestoreBackupDialog::reload()
{
    m_snapshots = m_backups.snapshots();
    lstBackups->clear();
    for (const SnapshotInfo& snapshot : m_snapshots) {
        const BackupListRow row = DescribeSnapshot(snapshot);
        auto* item = new QTreeWidgetItem(lstBackups, {row.taken, row.shows, row.size});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!m_snapshots.isEmpty())
        lstBackups->setCurrentItem(lstBackups->topLevelItem(0));
    lblState->setText(m_snapshots.isEmpty() ? QStringLiteral("No snapshot yet.") : QString());
    setWorking(false);
}

void RestoreBackupDialog::restoreSelected()
{
    const int row = lstBackups->indexOfTopLevelItem(lstBackups->currentItem());
    if (m_working || row < 0 || row >= m_snapshots.size())
        return;
    const SnapshotInfo snapshot = m_snapshots[row];
    const QString question =
        QStringLiteral("Replace the shows and settings with those of %1?\r\nThe present ones are kept in a "
                       "snapshot first.")
            .arg(DescribeSnapshot(snapshot).taken);
    if (m_messages.ask(this, question) != MessageAnswer::Yes)
        return;
    setWorking(true);
    m_backups.restore(snapshot);
}

void RestoreBackupDialog::setWorking(bool working)
{
    m_working = working;
    if (working)
        lblState->setText(QStringLiteral("Restoring..."));
    btnRestore->setEnabled(!working && lstBackups->currentItem());
    btnClose->setEnabled(!working);
    lstBackups->setEnabled(!working);
}
