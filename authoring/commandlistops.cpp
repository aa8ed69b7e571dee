#include "commandlistops.h"

#include "messages.h"
#include "showstore.h"
#include "undohistory.h"

#include <QSet>

CommandListOperations::CommandListOperations(MessagePresenter& messages, const SettingsFiles& files,
                                             const LookupLists& lookups, CommandClipboard& clipboard,
                                             CurrentSource current, Dialogs dialogs, QWidget* owner)
    : m_messages(messages), m_files(files), m_lookups(lookups), m_clipboard(clipboard), m_current(std::move(current)),
      m_dialogs(std::move(dialogs)), m_owner(owner)
{
}

void CommandListOperations::setChecked(int i, bool checked)
{
    if (i < 0 || i >= m_checked.size() || m_checked[i] == checked)
        return;
    m_checked[i] = checked;
    notify();
}

int CommandListOperations::checkedCount() const
{
    return int(m_checked.count(true));
}

QList<int> CommandListOperations::checkedCommandIds() const
{
    QList<int> ids;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_checked[i])
            ids.append(m_rows[i].command.CommandID);
    }
    return ids;
}

QStringList CommandListOperations::rowTexts(int i) const
{
    const CommandListRow& r = m_rows.at(i);
    return QStringList{QString::number(r.command.CommandID)}
           + CommandListCells(m_files, m_lookups, r.command, r.delayIsEmpty);
}

int CommandListOperations::reload()
{
    const Current c = m_current();
    m_rows.clear();
    if (c.missing == Missing::Nothing) {
        auto read = ShowStore::ReadCommandList(c.list.target);
        if (read.complete())
            m_rows = std::move(read.rows);
    }
    m_checked = QVector<bool>(m_rows.size(), m_rows.size() == 1);
    notify();
    return int(m_rows.size());
}

void CommandListOperations::clear()
{
    m_rows.clear();
    m_checked.clear();
    notify();
}

void CommandListOperations::checkAll()
{
    if (m_rows.isEmpty())
        return;
    m_checked.fill(true);
    notify();
}

void CommandListOperations::uncheckAll()
{
    if (m_rows.isEmpty())
        return;
    m_checked.fill(false);
    notify();
}

// The show window's operations need a current show (the sets window has no
// such test); those that write into a time point need a current time point.
bool CommandListOperations::requireShowAndTimePoint(const Current& c) const
{
    if (c.missing == Missing::Show) {
        m_messages.tell(m_owner, QStringLiteral("Please select show first!"));
        return false;
    }
    if (c.missing == Missing::TimePoint) {
        m_messages.tell(m_owner, QStringLiteral("Please select the time point first!"));
        return false;
    }
    return true;
}

void CommandListOperations::markStoredChange(const Current& c)
{
    if (c.list.target.setCode == CommandsForShowSet)
        m_showCommandsChanged = true;
    reload();
}

void CommandListOperations::notify()
{
    if (changed)
        changed();
}

bool CommandListOperations::copyChecked()
{
    const Current c = m_current();
    const bool showList = c.list.target.setCode == CommandsForShowSet;
    if (c.missing == Missing::Show) {
        m_messages.tell(m_owner, QStringLiteral("Please select show first!"));
        return false;
    }
    m_copyHighlighted = false;
    notify();
    if (!requireShowAndTimePoint(c))
        return false;
    if (m_rows.isEmpty()) {
        m_messages.tell(m_owner,
                        showList ? QStringLiteral("No any command!") : QStringLiteral("No any command"));
        return false;
    }
    const QList<int> ids = checkedCommandIds();
    if (ids.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("Please check the commands that you want to copy!"));
        return false;
    }
    if (CopyCommandsToClipboard(m_clipboard, QSet<int>(ids.begin(), ids.end()), c.list.target) == 0)
        return false;
    m_copyHighlighted = true;
    notify();
    return true;
}

bool CommandListOperations::paste()
{
    const Current c = m_current();
    if (!requireShowAndTimePoint(c))
        return false;
    const QVector<TControlObject> clipboard = m_clipboard.commands;
    if (clipboard.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("Memory is empty,you need copy the commands first!"));
        return false;
    }
    if (m_snapshots)
        m_snapshots->snapshotBeforeChange();
    auto step = UndoHistory::begin(m_history, StepName(QStringLiteral("Paste Commands"), c.list),
                                   {EditScope::commands(c.list.target)});
    const auto pasted = ShowStore::PasteCommands(c.list.target, clipboard);
    if (pasted)
        step.finish();
    if (!pasted) {
        m_messages.error(nullptr,
                         QStringLiteral("The commands were not pasted, nothing was written: ") + pasted.error);
        return false;
    }
    markStoredChange(c);
    return true;
}

bool CommandListOperations::add()
{
    const Current c = m_current();
    if (!requireShowAndTimePoint(c))
        return false;
    auto step = UndoHistory::begin(m_history, StepName(QStringLiteral("Add Commands"), c.list),
                                   {EditScope::commands(c.list.target)});
    const bool saved = m_dialogs.addCommands && m_dialogs.addCommands(m_owner, c.list);
    if (!saved)
        return false;
    step.finish();
    markStoredChange(c);
    return true;
}

bool CommandListOperations::editChecked()
{
    const Current c = m_current();
    if (c.missing == Missing::Show) {
        m_messages.tell(m_owner, QStringLiteral("Please select show first!"));
        return false;
    }
    if (m_rows.isEmpty())
        return false;
    if (checkedCount() == 0)
        checkAll();
    auto step = UndoHistory::begin(m_history, StepName(QStringLiteral("Edit Commands"), c.list),
                                   {EditScope::commands(c.list.target)});
    const bool saved = m_dialogs.modifyCommands && m_dialogs.modifyCommands(m_owner, c.list, checkedCommandIds());
    if (!saved)
        return false;
    step.finish();
    markStoredChange(c);
    return true;
}

bool CommandListOperations::deleteChecked()
{
    const Current c = m_current();
    const bool showList = c.list.target.setCode == CommandsForShowSet;
    if (c.missing == Missing::Show) {
        m_messages.tell(m_owner, QStringLiteral("Please select show first!"));
        return false;
    }
    if (m_rows.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("No any command!"));
        return false;
    }
    const QList<int> ids = checkedCommandIds();
    if (ids.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("Please check the commands that you want to delete!"));
        return false;
    }
    const QString question =
        showList ? QStringLiteral("Are you sure you want to delete checked commands (Total:%1)?").arg(ids.size())
                 : QStringLiteral("Are you sure you want to delete selected commands (Total:%1)").arg(ids.size());
    if (m_messages.ask(m_owner, question) != MessageAnswer::Yes)
        return false;
    if (c.missing != Missing::Nothing)
        return false;
    if (m_snapshots)
        m_snapshots->snapshotBeforeChange();
    auto step = UndoHistory::begin(m_history, StepName(QStringLiteral("Delete Commands"), c.list),
                                   {EditScope::commands(c.list.target)});
    const auto deleted = ShowStore::DeleteCommands(c.list.target, QVector<int>(ids.begin(), ids.end()));
    if (deleted)
        step.finish();
    if (!deleted) {
        m_messages.error(nullptr, QStringLiteral("The commands were not deleted, nothing was removed: ")
                                      + deleted.error);
        return false;
    }
    markStoredChange(c);
    return true;
}

QString CommandListOperations::StepName(const QString& what, const NamedCommandList& list)
{
    QString of;
    switch (list.target.setCode) {
    case CommandsForShowSet:
        of = (list.showName + QLatin1Char(' ') + list.timePointText).trimmed();
        break;
    case CommandsForPlaySet:
        of = QStringLiteral("Play Set");
        break;
    case CommandsForPauseSet:
        of = QStringLiteral("Pause Set");
        break;
    default:
        of = QStringLiteral("Stop Set");
    }
    return of.isEmpty() ? what : QStringLiteral("%1 (%2)").arg(what, of);
}

bool CommandListOperations::undoStep(bool redo)
{
    if (!applyHistoryStep(redo))
        return false;
    reload();
    return true;
}

bool CommandListOperations::applyHistoryStep(bool redo)
{
    if (!m_history)
        return false;
    const QString name = redo ? m_history->redoText() : m_history->undoText();
    if (name.isEmpty())
        return false;
    const ShowStore::EditResult done = redo ? m_history->redo() : m_history->undo();
    if (!done) {
        m_messages.error(m_owner, (redo ? QStringLiteral("\"%1\" was not redone: %2")
                                        : QStringLiteral("\"%1\" was not undone: %2"))
                                      .arg(name, done.error));
        return false;
    }
    m_showCommandsChanged = true;
    return true;
}
