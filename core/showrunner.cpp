#include "showrunner.h"

#include "commandsequencer.h"
#include "mediaplayer.h"
#include "settingsfiles.h"
#include "showmodel.h"

#include <QElapsedTimer>

#include <cmath>

namespace {
// A backward move smaller than this is taken as the player's report
// wavering, not as a seek.
constexpr qint64 BackwardSlackMS = 100;
// Playback may run this far ahead of where the clock says it should be
// before the move counts as a forward seek.
constexpr qint64 ForwardSlackMS = 300;

qint64 toMS(double seconds)
{
    return qint64(std::floor(seconds * 1000.0 + 1e-6));
}
} // namespace

bool LoadShow(LoadedShows& shows, int showId)
{
    TShow* show = shows.find(showId);
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

ShowRunner::ShowRunner(LoadedShows& shows, MediaPlayer& player, CommandSequencer& sequencer,
                       const SettingsFiles& files, std::unique_ptr<PacingTimer> firingTimer, Clock clock)
    : m_shows(shows), m_files(files), m_player(player), m_sequencer(sequencer), m_timer(std::move(firingTimer)),
      m_clock(std::move(clock))
{
    if (!m_timer)
        m_timer = std::make_unique<QtPacingTimer>();
    if (!m_clock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        m_clock = [started] { return started->elapsed(); };
    }
    m_stateConnection =
        QObject::connect(&m_player, &MediaPlayer::playStateChanged, &m_player, [this](int state) { onPlayState(state); });
}

ShowRunner::~ShowRunner()
{
    QObject::disconnect(m_stateConnection);
    m_timer->cancel();
}

void ShowRunner::setFiringSettings(const FiringSettings& settings)
{
    const bool enteringPrecise = settings.mode == FiringSettings::Precise && m_settings.mode != settings.mode;
    m_settings = settings;
    m_settings.offsetMS = qBound(FiringSettings::MinOffsetMS, m_settings.offsetMS, FiringSettings::MaxOffsetMS);
    m_timer->cancel();
    if (m_player.playState() == MediaPlayer::Playing || m_player.playState() == MediaPlayer::Paused)
        m_startPending = false; // the start has passed, in whichever mode
    if (m_settings.mode != FiringSettings::Precise)
        return;
    if (enteringPrecise) {
        m_known = false; // the next sync arms from the position it finds
    }
    // A new offset moves the next crossing: set the timer again.
    if (m_player.playState() == MediaPlayer::Playing)
        m_timer->start(0, [this] { sync(false); });
}

const TShow* ShowRunner::currentShow() const
{
    return m_ended ? nullptr : m_shows.current();
}

void ShowRunner::chooseShow(const QString& showIdText)
{
    bool numeric = false;
    const int showId = showIdText.trimmed().toInt(&numeric);
    if (!numeric)
        return;

    const int index = m_shows.indexOf(showId);
    if (index >= 0)
        m_shows.currentIndex = index;

    const QString path = ShowUrlOf(m_files, showId);
    if (m_player.url() != path) {
        // Nothing of the show that played goes out after the new one starts.
        m_sequencer.dropShowLists();
        LoadShow(m_shows, showId);
        rearm(0); // other media starts from its beginning
        m_player.setUrl(path);
        // Media refused at once has been reported; asking again would only
        // report it twice.
        if (m_player.failure().isEmpty())
            m_player.play();
        m_shows.currentId = showId;
        return;
    }
    // The same media: another show sharing the file must still bring its own
    // time points, or the runner would fire the previous show's commands.
    if (showId != m_shows.currentId) {
        m_sequencer.dropShowLists();
        LoadShow(m_shows, showId);
        m_shows.currentId = showId;
        m_known = false; // its time points are armed from where the media is
    }
    if (!m_player.url().isEmpty() && m_player.playState() != MediaPlayer::Playing)
        m_player.play();
}

void ShowRunner::end()
{
    m_ended = true;
    m_timer->cancel();
}

void ShowRunner::tick()
{
    if (m_settings.mode == FiringSettings::Precise)
        sync(false);
    else
        tickMode();
}

void ShowRunner::tickMode()
{
    if (m_ended || m_player.playState() != MediaPlayer::Playing)
        return;
    if (m_sequencer.isBusy())
        return;
    const TShow* show = currentShow();
    if (!show)
        return;

    const double position = m_player.currentPosition();
    if (!std::isfinite(position))
        return;
    if (show->TimePoints.isEmpty())
        return;

    // Without an offset the second is the position cut to whole seconds;
    // with one, the shifted position rounded down, so a negative result
    // never counts as second 0.
    const double shifted = m_settings.offsetMS == 0 ? std::trunc(position)
                                                    : std::floor(position + m_settings.offsetMS / 1000.0);
    const qint64 second = qint64(shifted);
    QVector<TControlObject> due;
    if (m_startPending) {
        // Playback started from the beginning: the seconds whose early
        // moment lies before it fire once now, as in precise mode.
        m_startPending = false;
        for (qint64 early = 0; early * 1000 < m_settings.offsetMS && early < second; ++early)
            due += CommandsDueAt(*show, early);
    }
    // A time point before the media's start never fires.
    if (second >= 0)
        due += CommandsDueAt(*show, second);
    if (!due.isEmpty())
        hand(std::move(due), *show, second);
}

void ShowRunner::hand(QVector<TControlObject> due, const TShow& show, qint64 second)
{
    const int count = int(due.size());
    m_sequencer.enqueue(std::move(due), {}, {}, CommandSequencer::Owner::Show);
    if (fired)
        fired(show.ShowID, second, count);
}

void ShowRunner::onPlayState(int state)
{
    if (state == MediaPlayer::Stopped) {
        // The bus goes quiet: nothing the show queued goes out after a stop.
        m_sequencer.dropShowLists();
        m_timer->cancel();
        rearm(0);
        return;
    }
    if (m_settings.mode != FiringSettings::Precise)
        return;
    if (state == MediaPlayer::Playing) {
        // After every other handler of the change (the play set goes out
        // first), look at the position and set the timer.
        m_timer->start(0, [this] { sync(false); });
    } else {
        sync(false); // notes where it held; cancels the timer
    }
}

void ShowRunner::rearm(qint64 positionMS)
{
    m_armedFrom = positionMS;
    m_lastPosition = positionMS;
    m_lastAt = m_clock();
    m_running = false;
    m_known = true;
    m_startPending = positionMS == 0;
}

qint64 ShowRunner::nextArmed(const TShow& show) const
{
    qint64 best = -1;
    for (const TTimePoint& point : show.TimePoints) {
        const qint64 at = qint64(point.SecondOfTimePoint) * 1000;
        if (at >= 0 && at >= m_armedFrom && (best < 0 || at < best))
            best = at;
    }
    return best;
}

void ShowRunner::sync(bool fromTimer)
{
    const TShow* show = currentShow();
    const double seconds = m_player.currentPosition();
    if (!show || m_settings.mode != FiringSettings::Precise || !std::isfinite(seconds)) {
        m_timer->cancel();
        return;
    }
    const qint64 position = toMS(seconds);
    const qint64 now = m_clock();
    const bool playing = m_player.playState() == MediaPlayer::Playing;
    double rate = m_player.playbackRate();
    if (!std::isfinite(rate) || rate <= 0.0)
        rate = 1.0;

    // Where playback should be by the clock since the last tick.
    const qint64 predicted = m_lastPosition + (m_running ? qint64(double(now - m_lastAt) * m_rate) : 0);
    bool seeked = false;
    if (!m_known) {
        // Entering precise mode or another show on the same media: only
        // what lies ahead is armed.
        m_armedFrom = position + 1;
        seeked = true;
    } else if (position < m_lastPosition - BackwardSlackMS || position > predicted + ForwardSlackMS) {
        // A seek either way: what lies before the new position is passed
        // over, what lies at and after it is armed again.
        m_armedFrom = position;
        seeked = true;
    }
    // The timer was set for a crossing by the clock; the player's own
    // report may lag behind it. Ticks (and seeks) set the clock's base.
    const qint64 reached = fromTimer && !seeked ? qMax(position, predicted) : position;
    if (!fromTimer || seeked) {
        m_known = true;
        m_lastPosition = position;
        m_lastAt = now;
        m_rate = rate;
        m_running = playing;
    }
    if (!playing) {
        m_timer->cancel();
        return;
    }

    // Every crossing up to where playback has reached fires now, each of
    // its second's lists once, in order. The sequencer queues them behind
    // whatever it is still sending.
    for (qint64 at = nextArmed(*show); at >= 0 && crossingOf(at) <= reached; at = nextArmed(*show)) {
        m_armedFrom = at + 1;
        QVector<TControlObject> due = CommandsDueAt(*show, at / 1000);
        if (!due.isEmpty())
            hand(std::move(due), *show, at / 1000);
    }

    const qint64 next = nextArmed(*show);
    if (next < 0) {
        m_timer->cancel();
        return;
    }
    const double wait = double(crossingOf(next) - reached) / rate;
    m_timer->start(int(qBound(1.0, std::ceil(wait), 60000.0)), [this] { sync(true); });
}
