#pragma once

#include "commandlistview.h"
#include "showsetuplogic.h"

#include <QDialog>

#include <memory>

class CommandSequencer;
class FileChooser;
class MediaPlayer;
class MessagePresenter;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class UndoActions;
class UndoHistory;

// The "Show Settings" window: the list of shows, the time points of the
// current show beside a media player of its own, and the commands of the
// current time point. It renders the state of its ShowSetupLogic and
// forwards the operator's clicks, keys and menu entries to it.
class ShowSettingsWindow : public QDialog {
    Q_OBJECT
public:
    // The player is taken over (a QtMediaPlayer when null). Previews go out
    // through the sequencer, messages through the presenter.
    ShowSettingsWindow(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                       const SettingsFiles& settings, const LookupLists& lookups, CommandClipboard& clipboard,
                       ShowSetupLogic::Dialogs dialogs, MediaPlayer* player = nullptr);
    ~ShowSettingsWindow() override;

    ShowSetupLogic& logic() { return *m_logic; }
    // Records the window's edits in the history, and undoes and redoes its
    // steps (Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y and the popup menus' first entries).
    void setHistory(UndoHistory* history);
    UndoActions* undoActions() const { return m_undo; }

    // Pane 1
    QGroupBox* grpShow = nullptr;
    QPushButton* bitbtnAddShow = nullptr;
    QPushButton* bitbtnEditShow = nullptr;
    QPushButton* bitbtnDeleteShow = nullptr;
    QLabel* lblCurShow = nullptr;
    QLabel* lblTotalShow = nullptr;
    QTreeWidget* lsvShow = nullptr;
    QMenu* popmenuShow = nullptr;
    // Pane 2
    QGroupBox* grpTimePoint = nullptr;
    QLabel* lblCurTimePoint = nullptr;
    QLabel* lblTotalTimePoint = nullptr;
    QCheckBox* chkOnsiteOutput = nullptr;
    QPushButton* bitbtnEditTimePoint = nullptr;
    QPushButton* bitbtnDeleteTimePoint = nullptr;
    QFrame* panPlayer = nullptr;
    QPushButton* bitbtnPauseAndAddTimePoint = nullptr;
    QTreeWidget* lsvTimePoint = nullptr;
    QMenu* popmenuTimePoint = nullptr;
    // Pane 3
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
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    // Escape closes an open drop-down or editor, never the window.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    void sizeColumns();
    void render();

    std::unique_ptr<MediaPlayer> m_player;
    std::unique_ptr<ShowSetupLogic> m_logic;
    bool m_columnsSized = false;
    BusyCursor m_busy;
    bool m_released = false;
    UndoActions* m_undo = nullptr;
};

// Opens the show settings window modally, sending previews through the
// sequencer; it and the dialogs it opens show their messages through the
// presenter, and the show dialog's "Open..." asks the file chooser. Show
// names, media paths and texts are read from and written to the settings
// files, the names of the commands' lists from the lookup lists; copied
// commands go into the clipboard; deletes and pastes ask the requester for
// a snapshot first. True when stored data changed.
bool RunShowSetupWindow(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                        FileChooser& files, SettingsFiles& settings, const LookupLists& lookups,
                        CommandClipboard& clipboard, SnapshotRequester* snapshots = nullptr,
                        UndoHistory* history = nullptr);
