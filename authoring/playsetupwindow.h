#pragma once

#include "commandlistview.h"
#include "playsetup.h"

#include <QDialog>

class CommandSequencer;
class FileChooser;
class MessagePresenter;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class UndoActions;
class UndoHistory;

// The window in which the play, pause and stop command sets are authored
// and previewed on site. It renders PlaySetup and forwards the operator's
// clicks to it; previews go out through the given sequencer.
class PlaySettingsWindow : public QDialog {
    Q_OBJECT
public:
    PlaySettingsWindow(CommandSequencer& sequencer, MessagePresenter& messages, const SettingsFiles& files,
                       const LookupLists& lookups, CommandClipboard& clipboard,
                       CommandListOperations::Dialogs dialogs, QWidget* parent = nullptr);
    ~PlaySettingsWindow() override;

    // Opens the window modally over the parent and releases it on close.
    // Deletes and pastes ask the requester for a snapshot first.
    static void Execute(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                        const SettingsFiles& files, const LookupLists& lookups, CommandClipboard& clipboard,
                        SnapshotRequester* snapshots = nullptr, FileChooser* fileChooser = nullptr,
                        UndoHistory* history = nullptr);

    PlaySetup& logic() { return m_logic; }
    // Records the window's edits in the history, and undoes and redoes its
    // steps (Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y and the popup menu's first entries).
    void setHistory(UndoHistory* history);
    UndoActions* undoActions() const { return m_undo; }

    // The widths of the ten list columns sharing a list of the given width.
    static QList<int> ColumnWidths(int listWidth);

    QRadioButton* rdobtnPlay = nullptr;
    QRadioButton* rdobtnPause = nullptr;
    QRadioButton* rdobtnStop = nullptr;
    QCheckBox* chkOnsiteOutput = nullptr;
    QGroupBox* grpCommands = nullptr;
    QLabel* lblTotalCMD = nullptr;
    QPushButton* bitbtnSelectAll = nullptr;
    QPushButton* bitbtnDeselectAll = nullptr;
    QPushButton* bitbtnCopySelectedCMD = nullptr;
    QPushButton* bitbtnPasteCMD = nullptr;
    QPushButton* bitbtnAddCMD = nullptr;
    QPushButton* bitbtnModifyCommand = nullptr;
    QPushButton* bitbtnDeleteCommand = nullptr;
    QTreeWidget* lsvCommands = nullptr;
    QMenu* popmenuCMD = nullptr;

protected:
    // Escape closes an open drop-down or editor, never the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void createColumns();
    void modeClicked(int mode);
    void showTotal();

    PlaySetup m_logic;
    BusyCursor m_busyCursor;
    UndoActions* m_undo = nullptr;
};
