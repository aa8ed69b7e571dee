#pragma once

#include "mediaplayer.h"

#include <QHash>
#include <QStringList>

// A media player without media. Tests set its position and state; play,
// pause and stop change the state and report it like a real player, and
// writing a path starts playback as automatic start does. A path the test
// marks unplayable (and an empty one) never plays: writing it or playing it
// raises failed() instead. Every call the code under test makes is recorded
// in calls.
class FakeMediaPlayer : public MediaPlayer {
public:
    using MediaPlayer::MediaPlayer;

    QString url() const override { return m_url; }
    void setUrl(const QString& path) override
    {
        calls << QStringLiteral("setUrl:") + path;
        m_url = path;
        m_failure = path.isEmpty() ? QString() : unplayable.value(path);
        if (!m_failure.isEmpty()) {
            if (m_state == Playing || m_state == Paused)
                changeState(Stopped);
            Q_EMIT failed(m_failure);
        } else if (!path.isEmpty()) {
            changeState(Playing);
        }
    }

    int playState() const override { return m_state; }
    void play() override
    {
        calls << QStringLiteral("play");
        if (m_url.isEmpty())
            Q_EMIT failed(m_failure = QStringLiteral("no media file given"));
        else if (!m_failure.isEmpty())
            Q_EMIT failed(m_failure);
        else
            changeState(Playing);
    }
    void pause() override
    {
        calls << QStringLiteral("pause");
        if (m_state == Playing) {
            m_picture += pauseRunsOn;
            changeState(Paused);
        }
    }
    void stop() override
    {
        calls << QStringLiteral("stop");
        if (m_state != Undefined)
            changeState(Stopped);
    }

    double currentPosition() const override { return m_position; }
    // A seek by the code under test.
    void setCurrentPosition(double seconds) override
    {
        calls << QStringLiteral("seek:%1").arg(seconds);
        m_position = m_picture = qMax(0.0, seconds);
    }
    double duration() const override { return m_duration; }
    QString failure() const override { return m_failure; }

    // The media has played up to this position (no call is recorded): the
    // picture is there, the position reported reportLag behind it.
    void playTo(double seconds) { m_position = (m_picture = seconds) - reportLag; }
    // Where the frame on screen belongs. As with a real back end, the
    // position reported can trail it, and a pause can leave a later frame on
    // screen while the position stays; a seek puts both on its target.
    double picture() const { return m_picture; }
    double reportLag = 0.0;
    double pauseRunsOn = 0.0;
    void setDuration(double seconds) { m_duration = seconds; }

    int volume() const override { return m_volume; }
    void setVolume(int volume) override
    {
        calls << QStringLiteral("setVolume:%1").arg(volume);
        m_volume = volume;
    }
    bool mute() const override { return m_mute; }
    void setMute(bool mute) override
    {
        calls << QStringLiteral("setMute:%1").arg(mute ? 1 : 0);
        m_mute = mute;
    }

    bool fullScreen() const override { return m_fullScreen; }
    void setFullScreen(bool on) override
    {
        calls << QStringLiteral("setFullScreen:%1").arg(on ? 1 : 0);
        m_fullScreen = on;
    }

    void release() override { calls << QStringLiteral("release"); }

    // Moves to a state and reports it, as the operator's own buttons would.
    void changeState(int state)
    {
        if (state == m_state)
            return;
        m_state = state;
        Q_EMIT playStateChanged(state);
    }
    // Sets the state without reporting it.
    void setStateQuietly(int state) { m_state = state; }
    // Sets the path without starting playback.
    void setUrlQuietly(const QString& path) { m_url = path; }

    QStringList calls;
    // Paths that cannot be played, with the reason the player gives.
    QHash<QString, QString> unplayable;

private:
    QString m_url;
    int m_state = Undefined;
    double m_position = 0.0;
    double m_picture = 0.0;
    double m_duration = 0.0;
    QString m_failure;
    int m_volume = 50;
    bool m_mute = false;
    bool m_fullScreen = false;
};
