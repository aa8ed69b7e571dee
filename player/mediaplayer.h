#pragma once

#include <QObject>
#include <QString>

class QWidget;

// What the program asks of an embedded media player. The main window and the
// show settings window each hold one. Play states use the numbers the rest of
// the program tests; everything happens on the GUI thread.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    enum PlayState {
        Undefined = 0,
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Buffering = 6,
        Waiting = 7,
        MediaEnded = 8,
        Transitioning = 9,
        Ready = 10,
    };

    using QObject::QObject;
    ~MediaPlayer() override = default;

    // The media path last written, compared exactly as text. Writing a path
    // opens the file and, with automatic start, begins playback.
    virtual QString url() const = 0;
    virtual void setUrl(const QString& path) = 0;

    virtual int playState() const = 0;
    // "Busy": paused, playing, scanning, waiting or in transition.
    bool isBusy() const
    {
        const int s = playState();
        return s == Paused || s == Playing || s == ScanForward || s == ScanReverse || s == Waiting ||
               s == Transitioning;
    }

    virtual void play() = 0;  // starts, or resumes from the paused position
    virtual void pause() = 0; // keeps the position
    virtual void stop() = 0;

    // Playback position in seconds from the start of the media.
    virtual double currentPosition() const = 0;
    // Moves the playback position (negative values mean the start); playing
    // or paused, the state stays as it was.
    virtual void setCurrentPosition(double seconds) = 0;
    // Length of the loaded media in seconds; 0 while unknown.
    virtual double duration() const = 0;
    // Media seconds per wall-clock second while playing.
    virtual double playbackRate() const { return 1.0; }

    // Why the media last written cannot be played (missing file, a folder,
    // not a media file, no path at all); empty while nothing has failed.
    virtual QString failure() const = 0;

    virtual int volume() const = 0; // 0..100
    virtual void setVolume(int volume) = 0;
    virtual bool mute() const = 0;
    virtual void setMute(bool mute) = 0;

    virtual bool fullScreen() const = 0;
    virtual void setFullScreen(bool on) = 0;

    // The player's own widget (video and controls), or null for a player
    // without one.
    virtual QWidget* widget() { return nullptr; }

    // Releases the media; the player is not used afterwards.
    virtual void release() = 0;

Q_SIGNALS:
    // Raised at every change of state, including those the operator causes
    // with the player's own controls and those the program's calls cause.
    void playStateChanged(int newState);
    // The media cannot be played: playback did not start (the player never
    // reported Playing for it) or broke off. Raised again by every further
    // attempt to play it.
    void failed(const QString& reason);
};
