#include "showrunner.h"

#include "commandsequencer.h"
#include "mediaplayer.h"
#include "publicvariable.h"
#include "settingsfiles.h"
#include "showmodel.h"

#include <cmath>

namespace {
int indexOfShow(int showId)
{
    const auto& shows = mPublicVariable().ShowList;
    for (int i = 0; i < shows.size(); ++i) {
        if (shows.at(i).ShowID == showId)
            return i;
    }
    return -1;
}
} // namespace

bool LoadShow(int showId)
{
    TShow* show = FindShow(showId);
    return show && LoadShowTimePoints(*show);
}

QVector<TControlObject> CommandsDueAt(const TShow& show, qint64 second)
{
    QVector<TControlObject> due;
    for (const TTimePoint& point : show.TimePoints) {
        if (point.SecondOfTimePoint != second)
            continue;
        if (point.Commands.isEmpty())
            break;
        due += point.Commands;
    }
    return due;
}

ShowRunner::ShowRunner(MediaPlayer& player, CommandSequencer& sequencer) : m_player(player), m_sequencer(sequencer)
{
}

void ShowRunner::chooseShow(const QString& showIdText)
{
    bool numeric = false;
    const int showId = showIdText.trimmed().toInt(&numeric);
    if (!numeric)
        return;

    PublicVariables& pv = mPublicVariable();
    const int index = indexOfShow(showId);
    if (index >= 0)
        pv.CurrentShowIndex = index;

    const QString path = ShowUrlOf(showId);
    if (m_player.url() != path) {
        LoadShow(showId);
        m_player.setUrl(path);
        // Media refused at once has been reported; asking again would only
        // report it twice.
        if (m_player.failure().isEmpty())
            m_player.play();
        pv.CurrentShowID = showId;
        return;
    }
    // The same media: another show sharing the file must still bring its own
    // time points, or the runner would fire the previous show's commands.
    if (showId != pv.CurrentShowID) {
        LoadShow(showId);
        pv.CurrentShowID = showId;
    }
    if (!m_player.url().isEmpty() && m_player.playState() != MediaPlayer::Playing)
        m_player.play();
}

void ShowRunner::tick()
{
    const PublicVariables& pv = mPublicVariable();
    if (pv.ClosingFlag || m_player.playState() != MediaPlayer::Playing)
        return;
    if (m_sequencer.isBusy())
        return;
    if (pv.CurrentShowIndex < 0 || pv.CurrentShowIndex >= pv.ShowList.size())
        return;

    const double position = m_player.currentPosition();
    if (!std::isfinite(position))
        return;
    const TShow& show = pv.ShowList.at(pv.CurrentShowIndex);
    if (show.TimePoints.isEmpty())
        return;

    QVector<TControlObject> due = CommandsDueAt(show, qint64(std::trunc(position)));
    if (!due.isEmpty())
        m_sequencer.enqueue(std::move(due));
}
