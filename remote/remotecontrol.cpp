#include "remotecontrol.h"

#include "mediaplayer.h"
#include "programsession.h"
#include "showrunner.h"
#include "showstore.h"
#include "version.h"

#include <cmath>

namespace {

QString stateName(int playState)
{
    switch (playState) {
    case MediaPlayer::Playing:
        return QStringLiteral("playing");
    case MediaPlayer::Paused:
        return QStringLiteral("paused");
    default:
        return QStringLiteral("stopped");
    }
}

qint64 toMs(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? qint64(std::llround(seconds * 1000.0)) : 0;
}

} // namespace

RemoteControl::RemoteControl(ProgramSession& session, QObject* parent) : QObject(parent), m_session(session)
{
    m_position.setInterval(1000);
    connect(&m_position, &QTimer::timeout, this, [this] {
        Q_EMIT positionChanged(toMs(m_session.player().currentPosition()));
    });
    const auto stateChange = [this] {
        followPosition();
        if (m_listeners > 0)
            Q_EMIT stateChanged(state());
    };
    connect(&m_session, &ProgramSession::playStateChanged, this, stateChange);
    connect(&m_session, &ProgramSession::currentShowChanged, this, stateChange);
    connect(&m_session, &ProgramSession::timePointFired, this, [this](int showId, qint64 second, int commands) {
        if (m_listeners > 0)
            Q_EMIT fired(showId, second, commands);
    });
    connect(&m_session, &ProgramSession::showListChanged, this, [this] {
        if (m_listeners > 0)
            Q_EMIT showsChanged();
    });
}

QJsonObject RemoteControl::version()
{
    return {{QStringLiteral("name"), QStringLiteral("Tavolan")},
            {QStringLiteral("version"), QString::fromLatin1(TavolanVersion)},
            {QStringLiteral("api"), 1}};
}

QJsonArray RemoteControl::shows() const
{
    QJsonArray out;
    const auto read = ShowStore::ReadShows(m_session.settingsFiles());
    if (!read)
        return out;
    for (const ShowStore::ShowRow& row : *read) {
        const auto points = ShowStore::ReadTimePoints(row.ShowID);
        out.append(QJsonObject{{QStringLiteral("id"), row.ShowID},
                               {QStringLiteral("name"), row.Name},
                               {QStringLiteral("sequence"), row.SequenceNo},
                               {QStringLiteral("switch"), row.UniversalSwitchID},
                               {QStringLiteral("switchActive"), row.ActivedUniversalSwitch != 0},
                               {QStringLiteral("media"), row.URL},
                               {QStringLiteral("timePoints"), points ? int(points->size()) : 0}});
    }
    return out;
}

QJsonObject RemoteControl::state() const
{
    QJsonValue show = QJsonValue::Null;
    const int index = m_session.currentShowIndex();
    if (index >= 0 && index < m_session.showRows().size()) {
        const ShowListRow& row = m_session.showRows().at(index);
        show = QJsonObject{{QStringLiteral("id"), row.showId.toInt()}, {QStringLiteral("name"), row.name}};
    }
    const MediaPlayer& player = m_session.player();
    const FiringSettings& firing = m_session.runner().firingSettings();
    return {{QStringLiteral("show"), show},
            {QStringLiteral("state"), stateName(player.playState())},
            {QStringLiteral("positionMs"), toMs(player.currentPosition())},
            {QStringLiteral("durationMs"), toMs(player.duration())},
            {QStringLiteral("firing"),
             QJsonObject{{QStringLiteral("mode"), firing.mode == FiringSettings::Precise ? QStringLiteral("precise")
                                                                                       : QStringLiteral("tick")},
                         {QStringLiteral("offsetMs"), firing.offsetMS}}}};
}

bool RemoteControl::play(int showId, std::optional<double> fromSecond)
{
    const QVector<TShow>& shows = m_session.shows();
    for (int i = 0; i < shows.size(); ++i) {
        if (shows.at(i).ShowID == showId) {
            m_session.playShowFrom(i, fromSecond.value_or(0.0));
            return true;
        }
    }
    return false;
}

void RemoteControl::pause()
{
    m_session.pauseShow();
}

void RemoteControl::resume()
{
    m_session.resumeShow();
}

void RemoteControl::stop()
{
    m_session.switchShowOff();
}

void RemoteControl::seek(qint64 positionMs)
{
    m_session.seek(double(positionMs) / 1000.0);
}

void RemoteControl::addListener()
{
    ++m_listeners;
    followPosition();
}

void RemoteControl::removeListener()
{
    m_listeners = qMax(0, m_listeners - 1);
    followPosition();
}

void RemoteControl::followPosition()
{
    const bool follow = m_listeners > 0 && m_session.player().playState() == MediaPlayer::Playing;
    if (follow && !m_position.isActive())
        m_position.start();
    else if (!follow)
        m_position.stop();
}
