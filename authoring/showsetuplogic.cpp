#include "showsetuplogic.h"

#include "commandsequencer.h"
#include "filechooser.h"
#include "mediaplayer.h"
#include "messages.h"
#include "settingsfiles.h"
#include "showexchange.h"
#include "textops.h"
#include "undohistory.h"

#include <cmath>

namespace {

bool ToId(const QString& text, int* id)
{
    bool ok = false;
    *id = text.trimmed().toInt(&ok);
    return ok;
}

// What adding a show may write: the rows and Show.ini entry of the next
// ShowID (an entry a deleted show left there is taken over).
QVector<EditScope> NewShowScopes(const ShowStore::IdResult& nextId)
{
    return nextId ? QVector<EditScope>{EditScope::wholeShow(*nextId)} : QVector<EditScope>{};
}

} // namespace

ShowSetupLogic::ShowSetupLogic(MediaPlayer& player, CommandSequencer& sequencer, MessagePresenter& messages,
                               const SettingsFiles& settings, const LookupLists& lookups,
                               CommandClipboard& clipboard, Dialogs dialogs, QWidget* owner)
    : m_player(player),
      m_sequencer(sequencer),
      m_messages(messages),
      m_settings(settings),
      m_dialogs(std::move(dialogs)),
      m_owner(owner),
      m_commands(
          messages, settings, lookups, clipboard,
          [this] {
              using Missing = CommandListOperations::Missing;
              int showId = 0, timePointId = 0;
              const bool show = ToId(CurShowID, &showId);
              const bool timePoint = ToId(CurTimePointID, &timePointId);
              return CommandListOperations::Current{
                  {ShowStore::CommandTarget::timePoint(showId, timePointId), CurShowName, CurTimePointText},
                  !show ? Missing::Show : !timePoint ? Missing::TimePoint : Missing::Nothing};
          },
          m_dialogs.commands, owner)
{
}

ShowSetupLogic::~ShowSetupLogic()
{
    *m_alive = false;
}

QString ShowSetupLogic::FormatTimePoint(qint64 s)
{
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg((s / 60) % 60).arg(s % 60);
}

QStringList ShowSetupLogic::ShowRowTexts(const ShowStore::ShowRow& show)
{
    const bool active = show.ActivedUniversalSwitch == 1;
    return {QString::number(show.ShowID),
            show.Name,
            active ? QStringLiteral("Yes") : QStringLiteral("No"),
            active ? QString::number(show.UniversalSwitchID) : QStringLiteral("N/A"),
            QString::number(show.SequenceNo),
            show.URL};
}

QStringList ShowSetupLogic::TimePointRowTexts(const TTimePoint& point)
{
    return {FormatTimePoint(point.SecondOfTimePoint), point.Remark, QString::number(point.TimePointID)};
}

void ShowSetupLogic::notify()
{
    if (changed)
        changed();
}

// ---------------------------------------------------------------------------
// Lists

void ShowSetupLogic::LoadShowList(bool reselect)
{
    m_showLabel.clear();
    m_timePoints.clear();
    m_selectedTimePoint = -1;
    m_commands.clear();
    const QString remembered = CurShowID;

    const auto read = ShowStore::ReadShows(m_settings);
    m_shows = read.value.value_or(QVector<ShowStore::ShowRow>{});
    m_selectedShow = -1;
    if (reselect) {
        for (int i = 0; i < m_shows.size(); ++i) {
            if (QString::number(m_shows[i].ShowID) == remembered) {
                m_selectedShow = i;
                // The name may have been edited; later questions use it.
                CurShowName = m_shows[i].Name;
                break;
            }
        }
    }
    notify();
}

void ShowSetupLogic::LoadTimePoints(const QString& showId)
{
    m_timePointLabel.clear();
    m_commands.clear();
    const QString remembered = CurTimePointID;
    m_timePoints.clear();
    m_selectedTimePoint = -1;
    int id = 0;
    if (ToId(showId, &id)) {
        const auto read = ShowStore::ReadTimePoints(id);
        m_timePoints = read.value.value_or(QVector<TTimePoint>{});
    }
    for (int i = 0; i < m_timePoints.size(); ++i) {
        if (QString::number(m_timePoints[i].TimePointID) == remembered) {
            m_selectedTimePoint = i;
            // An edit may have moved it or changed its remark: what later
            // dialogs are given must be what is stored.
            CurTimePointText = FormatTimePoint(m_timePoints[i].SecondOfTimePoint);
            CurTimePointRemark = m_timePoints[i].Remark;
            break;
        }
    }
    notify();
}

void ShowSetupLogic::LoadTimePointCommands()
{
    m_commands.reload();
}

bool ShowSetupLogic::RequireCurrentShow()
{
    if (!CurShowID.isEmpty())
        return true;
    m_messages.tell(m_owner, QStringLiteral("Please select show first!"));
    return false;
}

bool ShowSetupLogic::ShowNameExists(int mode, const QString& name, const QString& showId) const
{
    for (const auto& show : m_shows) {
        if (show.Name != name)
            continue;
        if (mode != 2 || QString::number(show.ShowID) != showId)
            return true;
    }
    return false;
}

void ShowSetupLogic::clearCurrentTimePoint()
{
    CurTimePointID.clear();
    CurTimePointText.clear();
    CurTimePointRemark.clear();
    m_timePointLabel.clear();
}

// ---------------------------------------------------------------------------
// Selection

void ShowSetupLogic::showClicked(int row)
{
    if (row < 0 || row >= m_shows.size())
        return;
    m_selectedShow = row;
    const ShowStore::ShowRow show = m_shows[row];
    CurShowID = QString::number(show.ShowID);
    CurShowName = show.Name;
    m_showLabel = CurShowName;
    m_player.setUrl(show.URL);
    LoadTimePoints(CurShowID);
    // The remembered time point belongs to another show: forget it, so
    // nothing later writes into a time point this show does not list.
    if (m_selectedTimePoint < 0)
        clearCurrentTimePoint();
    SelectTimePoint();
    notify();
}

void ShowSetupLogic::timePointClicked(int row)
{
    if (row < 0 || row >= m_timePoints.size())
        return;
    m_selectedTimePoint = row;
    SelectTimePoint();
}

void ShowSetupLogic::SelectTimePoint()
{
    if (m_selectedShow < 0 || m_selectedTimePoint < 0 || m_selectedTimePoint >= m_timePoints.size())
        return;
    const TTimePoint& point = m_timePoints[m_selectedTimePoint];
    m_timePointLabel = FormatTimePoint(point.SecondOfTimePoint);
    CurTimePointRemark = point.Remark;
    CurTimePointID = QString::number(point.TimePointID);
    CurTimePointText = m_timePointLabel;
    notify();
    LoadTimePointCommands();
    PreviewTimePoint();
}

void ShowSetupLogic::setPreviewOn(bool on)
{
    m_previewOn = on;
    if (on)
        PreviewTimePoint();
}

void ShowSetupLogic::PreviewTimePoint()
{
    int showId = 0, timePointId = 0;
    if (!m_previewOn || !ToId(CurShowID, &showId) || !ToId(CurTimePointID, &timePointId))
        return;
    const auto commands =
        ShowStore::ReadCommands(ShowStore::CommandTarget::timePoint(showId, timePointId));
    if (!commands || commands->isEmpty())
        return;
    if (m_previewsOnTheirWay++ == 0 && previewBusy)
        previewBusy(true);
    std::weak_ptr<bool> alive = m_alive;
    m_sequencer.enqueue(*commands, {}, [this, alive] {
        if (alive.expired() || !*alive.lock())
            return;
        if (--m_previewsOnTheirWay == 0 && previewBusy)
            previewBusy(false);
    });
}

// ---------------------------------------------------------------------------
// Shows

void ShowSetupLogic::pausePlaying()
{
    if (m_player.playState() == MediaPlayer::Playing)
        m_player.pause();
}

bool ShowSetupLogic::addShow()
{
    pausePlaying();
    const ShowNameCheck check = [this](int mode, const QString& name, const QString& id) {
        return ShowNameExists(mode, name, id);
    };
    const auto nextId = ShowStore::NextShowId();
    auto step = UndoHistory::begin(m_history, QStringLiteral("Add Show"), NewShowScopes(nextId));
    if (!m_dialogs.addEditShow || !m_dialogs.addEditShow(m_owner, 1, QString(), check))
        return false;
    step.finish(nextId ? QStringLiteral("Add Show (%1)").arg(ShowNameOf(m_settings, *nextId)) : QString());
    m_storedDataChanged = true;
    LoadShowList(true);
    return true;
}

bool ShowSetupLogic::editShow()
{
    if (m_shows.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("No show!"));
        return false;
    }
    if (CurShowID.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("Please select show that you want to edit!"));
        return false;
    }
    pausePlaying();
    const ShowNameCheck check = [this](int mode, const QString& name, const QString& id) {
        return ShowNameExists(mode, name, id);
    };
    int showId = 0;
    ToId(CurShowID, &showId);
    auto step = UndoHistory::begin(m_history, QStringLiteral("Edit Show (%1)").arg(CurShowName),
                                   {EditScope::showEntry(showId)});
    if (!m_dialogs.addEditShow || !m_dialogs.addEditShow(m_owner, 2, CurShowID, check))
        return false;
    step.finish();
    m_storedDataChanged = true;
    LoadShowList(true);
    return true;
}

namespace {

QString ShowFileFilter()
{
    return QStringLiteral("Tavolan show (*.%1)").arg(QLatin1String(ShowExchange::FileSuffix));
}

// The chosen name with the file kind's suffix when the operator left it off.
QString WithShowSuffix(const QString& path)
{
    const QString suffix = QLatin1Char('.') + QLatin1String(ShowExchange::FileSuffix);
    return path.endsWith(suffix, Qt::CaseInsensitive) ? path : path + suffix;
}

} // namespace

bool ShowSetupLogic::exportShow()
{
    if (!m_dialogs.files) {
        m_messages.tell(m_owner, QStringLiteral("Export is not available here."));
        return false;
    }
    int showId = 0;
    if (!RequireCurrentShow() || !ToId(CurShowID, &showId))
        return false;
    pausePlaying();
    const QString suggested = ProgramPath(CurShowName.isEmpty() ? CurShowID : CurShowName);
    const QString path = m_dialogs.files->saveFileName(m_owner, QStringLiteral("Export Show"), ShowFileFilter(),
                                                       WithShowSuffix(suggested));
    if (path.isEmpty())
        return false;
    return ShowExchange::ExportShowAsked(m_settings, showId, WithShowSuffix(path), m_messages, m_owner);
}

bool ShowSetupLogic::importShow()
{
    if (!m_dialogs.files || !m_dialogs.writableSettings) {
        m_messages.tell(m_owner, QStringLiteral("Import is not available here."));
        return false;
    }
    pausePlaying();
    const QString path =
        m_dialogs.files->openFileName(m_owner, QStringLiteral("Import Show"), ShowFileFilter(), ProgramPath());
    if (path.isEmpty())
        return false;
    if (m_snapshots)
        m_snapshots->snapshotBeforeChange();
    auto step = UndoHistory::begin(m_history, QStringLiteral("Import Show"), NewShowScopes(ShowStore::NextShowId()));
    const auto imported = ShowExchange::ImportShowAsked(*m_dialogs.writableSettings, path, m_messages, m_owner);
    if (!imported)
        return false;
    step.finish(QStringLiteral("Import Show (%1)").arg(ShowNameOf(m_settings, *imported)));
    m_storedDataChanged = true;
    clearCurrentTimePoint();
    LoadShowList(false);
    for (int row = 0; row < m_shows.size(); ++row)
        if (m_shows[row].ShowID == *imported)
            showClicked(row);
    return true;
}

bool ShowSetupLogic::deleteShow()
{
    if (m_shows.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("No show!"));
        return false;
    }
    int showId = 0;
    if (CurShowID.isEmpty() || !ToId(CurShowID, &showId)) {
        m_messages.tell(m_owner, QStringLiteral("Please select show that you want to delete!"));
        return false;
    }
    const QString question =
        QStringLiteral("The time point and commands of current show will delete too,\r\nare you sure you want to "
                       "delete show (") +
        CurShowName + QStringLiteral(")?");
    if (m_messages.ask(m_owner, question) != MessageAnswer::Yes)
        return false;
    if (m_snapshots)
        m_snapshots->snapshotBeforeChange();
    auto step = UndoHistory::begin(m_history, QStringLiteral("Delete Show (%1)").arg(CurShowName),
                                   {EditScope::wholeShow(showId)});
    const auto deleted = ShowStore::DeleteShow(showId);
    if (deleted)
        step.finish();
    if (!deleted) {
        m_messages.error(nullptr,
                         QStringLiteral("The show was not deleted, nothing was removed: ") + deleted.error);
        return false;
    }
    // The player lets go of the show's media: nothing can be captured for
    // a show that is gone.
    m_player.setUrl(QString());
    StopPlayer(false);
    CurShowID.clear();
    CurShowName.clear();
    clearCurrentTimePoint();
    m_storedDataChanged = true;
    LoadShowList(true);
    return true;
}

void ShowSetupLogic::StopPlayer(bool release)
{
    if (m_player.isBusy())
        m_player.stop();
    if (release)
        m_player.release();
}

// ---------------------------------------------------------------------------
// Time points

bool ShowSetupLogic::captureTimePoint()
{
    if (!RequireCurrentShow())
        return false;
    if (m_player.url().isEmpty() || m_selectedShow < 0)
        return false;
    const int showId = m_shows[m_selectedShow].ShowID;
    const int state = m_player.playState();
    if (state == MediaPlayer::Stopped || state == MediaPlayer::Undefined)
        return false;
    m_player.pause();
    const int second = int(std::trunc(qMax(0.0, m_player.currentPosition())));
    // The position read here is not always the picture on screen: a paused
    // player still shows the next frame (past a second's end, that is the
    // next second), and a position read while a seek or the pause is under
    // way can be from before it. Putting the player on the start of the
    // second taken makes the picture, the player's time display and the
    // time point stored show the same moment: the one the commands go out at.
    m_player.setCurrentPosition(second);
    const auto exists = ShowStore::TimePointExistsAt(showId, second);
    if (!exists) {
        m_messages.error(nullptr, QStringLiteral("The time point was not added: ") + exists.error);
        return false;
    }
    if (*exists)
        return false;
    const auto nextId = ShowStore::NextTimePointId(showId);
    auto step = UndoHistory::begin(m_history, QStringLiteral("Add Time Point (%1)").arg(FormatTimePoint(second)),
                                   nextId ? QVector<EditScope>{EditScope::timePoint(showId, *nextId)}
                                          : QVector<EditScope>{});
    const auto added = ShowStore::AddTimePoint(showId, second);
    if (added)
        step.finish();
    if (!added) {
        m_messages.error(nullptr, QStringLiteral("The time point was not added: ") + added.error);
        return false;
    }
    CurTimePointID = QString::number(*added);
    LoadTimePoints(QString::number(showId));
    m_storedDataChanged = true;
    for (int i = 0; i < m_timePoints.size(); ++i) {
        if (m_timePoints[i].TimePointID == *added) {
            m_selectedTimePoint = i;
            SelectTimePoint();
            break;
        }
    }
    return true;
}

bool ShowSetupLogic::editTimePoint()
{
    if (!RequireCurrentShow() || m_timePoints.isEmpty())
        return false;
    if (CurTimePointID.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("Please select the time point that you want to edit!"));
        return false;
    }
    int showId = 0, timePointId = 0;
    ToId(CurShowID, &showId);
    ToId(CurTimePointID, &timePointId);
    auto step = UndoHistory::begin(m_history, QStringLiteral("Edit Time Point (%1)").arg(CurTimePointText),
                                   {EditScope::timePoint(showId, timePointId)});
    if (!m_dialogs.modifyTimePoint ||
        !m_dialogs.modifyTimePoint(m_owner, CurShowID, CurShowName, CurTimePointID, CurTimePointRemark))
        return false;
    step.finish();
    m_storedDataChanged = true;
    LoadTimePoints(CurShowID);
    return true;
}

void ShowSetupLogic::setSnapshots(SnapshotRequester* snapshots)
{
    m_snapshots = snapshots;
    m_commands.setSnapshots(snapshots);
}

void ShowSetupLogic::setHistory(UndoHistory* history)
{
    m_history = history;
    m_commands.setHistory(history);
}

bool ShowSetupLogic::undo()
{
    return undoStep(false);
}

bool ShowSetupLogic::redo()
{
    return undoStep(true);
}

bool ShowSetupLogic::undoStep(bool redo)
{
    pausePlaying();
    if (!m_commands.applyHistoryStep(redo))
        return false;
    m_storedDataChanged = true;
    // The current show and time point stay current where they still exist;
    // a show the step took away lets go of its media.
    const QString timePoint = CurTimePointID;
    LoadShowList(true);
    if (m_selectedShow < 0) {
        CurShowID.clear();
        CurShowName.clear();
        clearCurrentTimePoint();
        m_player.setUrl(QString());
        StopPlayer(false);
        notify();
        return true;
    }
    const ShowStore::ShowRow show = m_shows[m_selectedShow];
    m_showLabel = CurShowName;
    if (m_player.url() != show.URL)
        m_player.setUrl(show.URL);
    CurTimePointID = timePoint;
    LoadTimePoints(CurShowID);
    if (m_selectedTimePoint < 0) {
        clearCurrentTimePoint();
        notify();
        return true;
    }
    m_timePointLabel = CurTimePointText;
    m_commands.reload();
    notify();
    return true;
}

bool ShowSetupLogic::deleteTimePoint()
{
    if (!RequireCurrentShow())
        return false;
    if (m_timePoints.isEmpty()) {
        m_messages.tell(m_owner, QStringLiteral("No time point for current show!"));
        return false;
    }
    if (m_selectedTimePoint < 0) {
        m_messages.tell(m_owner, QStringLiteral("Please select the time point that you want to delete!"));
        return false;
    }
    const TTimePoint point = m_timePoints[m_selectedTimePoint];
    const QString question = QStringLiteral("The commands of current time point will be delete too,\r\nare you sure "
                                            "you want to delete current point (") +
                             FormatTimePoint(point.SecondOfTimePoint) + QStringLiteral(")?");
    if (m_messages.ask(m_owner, question) != MessageAnswer::Yes)
        return false;
    int showId = 0;
    ToId(CurShowID, &showId);
    if (m_snapshots)
        m_snapshots->snapshotBeforeChange();
    auto step = UndoHistory::begin(m_history,
                                   QStringLiteral("Delete Time Point (%1)").arg(FormatTimePoint(point.SecondOfTimePoint)),
                                   {EditScope::timePoint(showId, point.TimePointID)});
    const auto deleted = ShowStore::DeleteTimePoint(showId, point.TimePointID);
    if (deleted)
        step.finish();
    if (!deleted) {
        m_messages.error(nullptr, QStringLiteral("The time point was not deleted, nothing was removed: ")
                                      + deleted.error);
        return false;
    }
    if (CurTimePointID == QString::number(point.TimePointID))
        clearCurrentTimePoint();
    m_storedDataChanged = true;
    LoadTimePoints(CurShowID);
    return true;
}
