#include "playsetup.h"

#include "commandlist.h"
#include "commandsequencer.h"
#include "filechooser.h"
#include "messages.h"
#include "showexchange.h"
#include "showstore.h"
#include "textops.h"
#include "undohistory.h"

PlaySetup::PlaySetup(CommandSequencer& sequencer, MessagePresenter& messages, const SettingsFiles& files,
                     const LookupLists& lookups, CommandClipboard& clipboard,
                     CommandListOperations::Dialogs dialogs, QWidget* owner)
    : m_sequencer(sequencer)
    , m_messages(messages)
    , m_owner(owner)
    , m_ops(
          messages, files, lookups, clipboard,
          [this] {
              return CommandListOperations::Current{{ShowStore::CommandTarget::set(CommandSetCode(m_mode)), {}, {}}};
          },
          std::move(dialogs), owner)
{
}

PlaySetup::~PlaySetup()
{
    // Sends still queued go out, but nobody waits for them here any more.
    if (*m_pending > 0 && busyChanged)
        busyChanged(false);
    *m_pending = 0;
}

int PlaySetup::LoadModeCommands(int mode)
{
    if (mode < CommandsForPlaySet || mode > CommandsForStopSet)
        return m_ops.rowCount();
    m_mode = mode;
    return m_ops.reload();
}

void PlaySetup::chooseMode(int mode)
{
    LoadModeCommands(mode);
    PreviewMode();
}

void PlaySetup::previewClicked(bool checked)
{
    m_preview = checked;
    PreviewMode();
}

bool PlaySetup::PreviewMode()
{
    if (!m_preview)
        return false;
    QVector<TControlObject> commands =
        CommandsOf(ShowStore::ReadCommandList(ShowStore::CommandTarget::set(CommandSetCode(m_mode))).rows);

    if ((*m_pending)++ == 0 && busyChanged)
        busyChanged(true);
    std::weak_ptr<int> pending = m_pending;
    auto notify = [this, pending] {
        const auto alive = pending.lock();
        if (!alive || *alive == 0)
            return; // this window is gone
        if (--*alive == 0 && busyChanged)
            busyChanged(false);
    };
    m_sequencer.enqueue(std::move(commands), {}, notify);
    return true;
}

namespace {

QString SetFileFilter()
{
    return QStringLiteral("Tavolan command set (*.%1)").arg(QLatin1String(ShowExchange::FileSuffix));
}

QString SetName(int mode)
{
    return mode == CommandsForPauseSet ? QStringLiteral("pause") : mode == CommandsForStopSet ? QStringLiteral("stop")
                                                                                                : QStringLiteral("play");
}

} // namespace

bool PlaySetup::exportSet()
{
    if (!fileChooser) {
        m_messages.tell(m_owner, QStringLiteral("Export is not available here."));
        return false;
    }
    const QString suffix = QLatin1Char('.') + QLatin1String(ShowExchange::FileSuffix);
    QString path = fileChooser->saveFileName(m_owner, QStringLiteral("Export Set"), SetFileFilter(),
                                             ProgramPath(SetName(m_mode) + QStringLiteral(" set") + suffix));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    return ShowExchange::ExportSetAsked(CommandSetCode(m_mode), path, m_messages, m_owner);
}

bool PlaySetup::importSet()
{
    if (!fileChooser) {
        m_messages.tell(m_owner, QStringLiteral("Import is not available here."));
        return false;
    }
    const QString path = fileChooser->openFileName(m_owner, QStringLiteral("Import Set"), SetFileFilter(), ProgramPath());
    if (path.isEmpty())
        return false;
    m_ops.snapshotBeforeChange();
    const ShowStore::CommandTarget target = ShowStore::CommandTarget::set(CommandSetCode(m_mode));
    auto step = UndoHistory::begin(m_ops.history(), CommandListOperations::StepName(QStringLiteral("Import Set"), {target, {}, {}}),
                                   {EditScope::commands(target)});
    const bool imported = ShowExchange::ImportSetAsked(CommandSetCode(m_mode), path, m_messages, m_owner);
    if (imported)
        step.finish();
    m_ops.reload();
    return imported;
}
