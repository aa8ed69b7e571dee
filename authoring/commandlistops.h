#pragma once

#include "commandlist.h"
#include "records.h"
#include "snapshotrequester.h"

#include <QList>
#include <QString>
#include <QVector>

#include <functional>

class MessagePresenter;
class UndoHistory;
struct LookupLists;
struct SettingsFiles;
class QWidget;

// The command list of an authoring window and the operations on it: check
// all, uncheck all, copy, paste, add, edit checked and delete checked. The
// same class serves the show settings window (the commands of the current
// time point, set 1) and the play/pause/stop window (sets 2 to 4); what
// differs between the two follows from the set code of the list.
//
// It holds the rows the list shows and which of them are checked; the
// window only renders them (changed() tells it when) and forwards the
// operator's check clicks with setChecked(). The command editor is handed
// the list and its checked commands when it opens.
class CommandListOperations {
public:
    // The list the operations act on, read at every operation, with the
    // names its dialogs show. A time point's list is there only while a
    // show and one of its time points are current; missing tells which is
    // not.
    enum class Missing { Nothing, Show, TimePoint };
    struct Current {
        NamedCommandList list;
        Missing missing = Missing::Nothing;
    };
    using CurrentSource = std::function<Current()>;

    // The dialogs the operations open, each returning true when it saved.
    // The window passes DefaultCommandListDialogs(); tests script them.
    using AddDialog = std::function<bool(QWidget* parent, const NamedCommandList& list)>;
    // The editor gets the CommandIDs of the checked rows, top to bottom.
    using EditDialog =
        std::function<bool(QWidget* parent, const NamedCommandList& list, const QList<int>& checkedIds)>;
    struct Dialogs {
        AddDialog addCommands;
        EditDialog modifyCommands;
    };

    // Refusals, questions and failures go through the presenter; the rows
    // are described by the language file of the settings files and the
    // lookup lists. Copy and paste go through the clipboard.
    CommandListOperations(MessagePresenter& messages, const SettingsFiles& files, const LookupLists& lookups,
                          CommandClipboard& clipboard, CurrentSource current, Dialogs dialogs = {},
                          QWidget* owner = nullptr);

    // ---- The list -------------------------------------------------------
    int rowCount() const { return int(m_rows.size()); }
    // A time point's commands were written since the operations were made:
    // the show list's loaded shows must be read again.
    bool showCommandsChanged() const { return m_showCommandsChanged; }
    const CommandListRow& row(int i) const { return m_rows.at(i); }
    bool isChecked(int i) const { return m_checked.at(i); }
    void setChecked(int i, bool checked);
    int checkedCount() const;
    // The CommandIDs of the checked rows, top to bottom.
    QList<int> checkedCommandIds() const;
    // The ten texts of a row as the list shows them (column 0: CommandID).
    QStringList rowTexts(int i) const;

    // Reads the target's commands anew (a row starts checked only when the
    // list holds exactly one command); with no current show or time point
    // the list is empty. Returns the number of rows.
    int reload();
    // Empties the list.
    void clear();

    // Whether the copy button shows a copy made in this window (green).
    bool copyHighlighted() const { return m_copyHighlighted; }

    // ---- Operations (the buttons and menu entries) ------------------------
    void checkAll();
    void uncheckAll();
    // Each returns true when it changed what is stored (or, for copy, the
    // clipboard).
    bool copyChecked();
    bool paste();
    bool add();
    bool editChecked();
    bool deleteChecked();

    // Called after every change of the rows, their checks or the copy mark.
    std::function<void()> changed;

    // Asked for a snapshot before paste and delete write (not owned; none
    // when null).
    void setSnapshots(SnapshotRequester* snapshots) { m_snapshots = snapshots; }
    // Asks for that snapshot before another write of the list (an import).
    void snapshotBeforeChange()
    {
        if (m_snapshots)
            m_snapshots->snapshotBeforeChange();
    }

    // Every write of the list is recorded as one step of the history (not
    // owned; nothing is recorded when null).
    void setHistory(UndoHistory* history) { m_history = history; }
    UndoHistory* history() const { return m_history; }
    // Undoes (or redoes) the history's last step, telling why when it
    // cannot, and lists the commands afresh. True when it went through.
    bool undoStep(bool redo);
    // The same without reading the list again, for a caller that reads
    // everything afresh itself.
    bool applyHistoryStep(bool redo);
    // A step's name for the list: "Delete Commands (Fountain 0:0:5)",
    // "Paste Commands (Play Set)".
    static QString StepName(const QString& what, const NamedCommandList& list);

private:
    bool requireShowAndTimePoint(const Current& c) const;
    void markStoredChange(const Current& c);
    void notify();

    MessagePresenter& m_messages;
    const SettingsFiles& m_files;
    const LookupLists& m_lookups;
    CommandClipboard& m_clipboard;
    CurrentSource m_current;
    Dialogs m_dialogs;
    QWidget* m_owner = nullptr;
    SnapshotRequester* m_snapshots = nullptr;
    UndoHistory* m_history = nullptr;
    QVector<CommandListRow> m_rows;
    QVector<bool> m_checked;
    bool m_copyHighlighted = false;
    bool m_showCommandsChanged = false;
};

// The real add commands dialog and command editor (authoring/commanddialogs.cpp),
// showing their messages through the presenter, their texts from the
// language file of the settings files and their names from the lookup lists.
CommandListOperations::Dialogs DefaultCommandListDialogs(MessagePresenter& messages, const SettingsFiles& files,
                                                         const LookupLists& lookups);
