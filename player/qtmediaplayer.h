#pragma once

#include "mediaplayer.h"

#include <QPointer>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoWidget;

// The media player the operator sees: video output with its own transport
// controls (play, pause, stop, a seek slider with position and duration,
// mute and volume). Writing a path opens the file and starts it at once.
//
// Playing is reported only once the media has loaded: media that cannot be
// played (a missing file, a folder, a file that is not media) never shows
// as playing; the player raises failed() with the reason instead.
//
// The state numbers follow the rest of the program: 1 stopped, 2 paused,
// 3 playing; when the media runs out the player reports 8 (media ended)
// and then 1. playStateChanged is raised on the GUI thread for every change,
// whether the program or the operator's use of the controls caused it.
class QtMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QObject* parent = nullptr);
    ~QtMediaPlayer() override;

    QString url() const override { return m_url; }
    void setUrl(const QString& path) override;

    int playState() const override { return m_state; }

    void play() override;
    void pause() override;
    void stop() override;

    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double duration() const override;
    double playbackRate() const override;
    QString failure() const override { return m_failure; }

    int volume() const override { return m_volume; }
    void setVolume(int volume) override;
    bool mute() const override;
    void setMute(bool mute) override;

    bool fullScreen() const override;
    void setFullScreen(bool on) override;

    // Not owned by a parent until the caller places it in a layout; the
    // player deletes it when it is still around at the end.
    QWidget* widget() override;

    void release() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidget();
    void createBackend();
    void report(int state);
    void fail(const QString& reason);
    bool mediaReady() const;
    void onPlaybackStateChanged();
    void onMediaStatusChanged();
    void finishStop();
    void onPositionChanged(qint64 ms);
    void onDurationChanged(qint64 ms);
    void updateTimeLabel();
    void showContextMenu(const QPoint& pos);

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QPointer<QWidget> m_widget;
    QVideoWidget* m_video = nullptr;
    QToolButton* m_playButton = nullptr;
    QToolButton* m_pauseButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    QToolButton* m_muteButton = nullptr;
    QSlider* m_seek = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QLabel* m_timeLabel = nullptr;

    QString m_url;
    QString m_failure;
    int m_state = Undefined;
    int m_volume = 50;
    // A position asked for before the media could seek, in ms; -1 for none.
    qint64 m_pendingPosition = -1;
    bool m_switchingMedia = false;
    bool m_released = false;
    bool m_seeking = false;
};
