#pragma once

#include "commandlistops.h"

#include <functional>
#include <memory>

class CommandSequencer;
class FileChooser;
class MessagePresenter;
class QWidget;

// What the play/pause/stop settings window does, without its widgets: the
// current mode (the play, pause or stop set), its command list with the
// command operations, and the on-site preview that sends the whole list.
class PlaySetup {
public:
    // The command list's refusals and questions go through the presenter;
    // its rows are described by the language file of the settings files and
    // the lookup lists; copy and paste go through the clipboard.
    PlaySetup(CommandSequencer& sequencer, MessagePresenter& messages, const SettingsFiles& files,
              const LookupLists& lookups, CommandClipboard& clipboard, CommandListOperations::Dialogs dialogs = {},
              QWidget* owner = nullptr);
    ~PlaySetup();
    PlaySetup(const PlaySetup&) = delete;
    PlaySetup& operator=(const PlaySetup&) = delete;

    // CommandsForPlaySet, CommandsForPauseSet or CommandsForStopSet.
    int mode() const { return m_mode; }
    CommandListOperations& commands() { return m_ops; }
    const CommandListOperations& commands() const { return m_ops; }

    // Makes the mode current and lists its commands; returns how many.
    int LoadModeCommands(int mode);
    // The total shown under the list.
    QString totalText() const { return QString::number(m_ops.rowCount()); }

    // A mode button was clicked: list the mode, then preview it.
    void chooseMode(int mode);

    bool previewChecked() const { return m_preview; }
    // The preview box was clicked into the given state; it sends only when
    // it is now checked.
    void previewClicked(bool checked);

    // With the preview box checked, reads the current mode's list afresh and
    // queues it on the sequencer, behind whatever is on its way. True when a
    // list was queued.
    bool PreviewMode();

    // The file dialogs of "Export Set..." and "Import Set..."; without one
    // the two entries say they are not available here.
    FileChooser* fileChooser = nullptr;
    // Writes the current mode's set into a .tavshow file the operator names.
    bool exportSet();
    // Reads a set file the operator chooses and, on Yes, replaces the
    // current mode's commands with its commands; lists them afresh.
    bool importSet();

    // Undoes or redoes the history's last step (see
    // CommandListOperations::setHistory), telling why when it cannot; the
    // list is read afresh. True when it went through.
    bool undo() { return m_ops.undoStep(false); }
    bool redo() { return m_ops.undoStep(true); }

    // A preview is on its way (the window shows a busy cursor meanwhile).
    bool previewBusy() const { return *m_pending > 0; }
    // Called with true when a preview starts and false when the last one
    // has gone out (or this object goes away first).
    std::function<void(bool busy)> busyChanged;

private:
    CommandSequencer& m_sequencer;
    MessagePresenter& m_messages;
    QWidget* m_owner;
    int m_mode = CommandsForPlaySet; // before m_ops, whose target reads it
    CommandListOperations m_ops;
    bool m_preview = false;
    // Previews not yet sent; shared with the sequencer's callbacks, which may
    // run after this object is gone.
    std::shared_ptr<int> m_pending = std::make_shared<int>(0);
};
