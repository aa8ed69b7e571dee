#include "qtmediaplayer.h"

#include <QAudioOutput>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaPlayer>
#include <QMenu>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <cmath>
#include <utility>

namespace {

QString clockText(qint64 ms)
{
    const qint64 total = ms / 1000;
    const qint64 hours = total / 3600;
    const qint64 minutes = (total / 60) % 60;
    const qint64 seconds = total % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(seconds, 2, 10,
                                                                                               QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds, 2, 10, QLatin1Char('0'));
}

// Paths written by the show data are local files; anything that already
// names a scheme (http://, file://) is taken as it stands.
QUrl sourceFor(const QString& path)
{
    if (path.isEmpty())
        return QUrl();
    if (path.contains(QLatin1String("://")))
        return QUrl(path);
    return QUrl::fromLocalFile(path);
}

// Why a path cannot be played before the back end is even asked, or empty.
QString localFileProblem(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("no media file given");
    if (path.contains(QLatin1String("://")))
        return QString();
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("file not found");
    if (file.isDir())
        return QStringLiteral("a folder, not a media file");
    if (!file.isReadable())
        return QStringLiteral("file cannot be read");
    return QString();
}

} // namespace

QtMediaPlayer::QtMediaPlayer(QObject* parent) : MediaPlayer(parent)
{
    m_audio = new QAudioOutput(this);
    m_audio->setVolume(m_volume / 100.0f);

    buildWidget();
    createBackend();
    updateTimeLabel();
    connect(m_audio, &QAudioOutput::mutedChanged, this, [this](bool muted) {
        m_muteButton->setChecked(muted);
        m_muteButton->setIcon(m_widget->style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted
                                                                    : QStyle::SP_MediaVolume));
    });
}

// The back end that plays the media. Media that failed leaves a pipeline
// behind that may still report long after other media was written; a fresh
// back end for the next media keeps those late reports from stopping it.
void QtMediaPlayer::createBackend()
{
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
        m_player->setAudioOutput(nullptr);
        m_player->setVideoOutput(static_cast<QObject*>(nullptr));
        m_player->deleteLater();
    }
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(m_audio);
    m_player->setVideoOutput(m_video);

    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &QtMediaPlayer::onPlaybackStateChanged);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &QtMediaPlayer::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::positionChanged, this, &QtMediaPlayer::onPositionChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &QtMediaPlayer::onDurationChanged);
    connect(m_player, &QMediaPlayer::seekableChanged, this, [this](bool seekable) {
        if (seekable && m_pendingPosition >= 0)
            m_player->setPosition(std::exchange(m_pendingPosition, -1));
    });
    // An error counts when the media it leaves behind is invalid.
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error != QMediaPlayer::NoError && !m_switchingMedia && m_failure.isEmpty() &&
            m_player->mediaStatus() == QMediaPlayer::InvalidMedia)
            fail(text.isEmpty() ? QStringLiteral("not a playable media file") : text);
    });
}

QtMediaPlayer::~QtMediaPlayer()
{
    m_released = true;
    m_player->disconnect(this);
    m_player->stop();
    m_player->setVideoOutput(static_cast<QObject*>(nullptr));
    delete m_widget.data();
}

void QtMediaPlayer::buildWidget()
{
    m_widget = new QWidget;
    m_widget->setObjectName(QStringLiteral("wmp"));
    m_widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_widget, &QWidget::customContextMenuRequested, this, &QtMediaPlayer::showContextMenu);

    auto* column = new QVBoxLayout(m_widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    m_video = new QVideoWidget(m_widget);
    m_video->setObjectName(QStringLiteral("wmpVideo"));
    m_video->setMinimumSize(160, 120);
    QPalette dark = m_video->palette();
    dark.setColor(QPalette::Window, Qt::black);
    m_video->setPalette(dark);
    m_video->setAutoFillBackground(true);
    m_video->installEventFilter(this);
    column->addWidget(m_video, 1);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 0, 4, 4);
    QStyle* style = m_widget->style();

    auto makeButton = [&](const char* name, QStyle::StandardPixmap icon, const QString& tip) {
        auto* b = new QToolButton(m_widget);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style->standardIcon(icon));
        b->setToolTip(tip);
        // Screen readers and automation tell the buttons apart by name.
        b->setAccessibleName(tip);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    m_playButton = makeButton("wmpPlay", QStyle::SP_MediaPlay, tr("Play"));
    m_pauseButton = makeButton("wmpPause", QStyle::SP_MediaPause, tr("Pause"));
    m_stopButton = makeButton("wmpStop", QStyle::SP_MediaStop, tr("Stop"));
    connect(m_playButton, &QToolButton::clicked, this, &QtMediaPlayer::play);
    connect(m_pauseButton, &QToolButton::clicked, this, &QtMediaPlayer::pause);
    connect(m_stopButton, &QToolButton::clicked, this, &QtMediaPlayer::stop);

    m_seek = new QSlider(Qt::Horizontal, m_widget);
    m_seek->setObjectName(QStringLiteral("wmpSeek"));
    m_seek->setAccessibleName(tr("Position"));
    m_seek->setRange(0, 0);
    bar->addWidget(m_seek, 1);
    connect(m_seek, &QSlider::sliderPressed, this, [this] { m_seeking = true; });
    connect(m_seek, &QSlider::sliderReleased, this, [this] {
        m_seeking = false;
        m_player->setPosition(m_seek->value());
    });
    // Clicks on the groove and keyboard steps move the slider without a drag.
    connect(m_seek, &QSlider::actionTriggered, this, [this](int) {
        if (!m_seeking)
            m_player->setPosition(m_seek->sliderPosition());
    });

    m_timeLabel = new QLabel(m_widget);
    m_timeLabel->setObjectName(QStringLiteral("wmpTime"));
    bar->addWidget(m_timeLabel);

    m_muteButton = makeButton("wmpMute", QStyle::SP_MediaVolume, tr("Mute"));
    m_muteButton->setCheckable(true);
    connect(m_muteButton, &QToolButton::toggled, this, [this](bool on) { setMute(on); });

    m_volumeSlider = new QSlider(Qt::Horizontal, m_widget);
    m_volumeSlider->setObjectName(QStringLiteral("wmpVolume"));
    m_volumeSlider->setAccessibleName(tr("Volume"));
    m_volumeSlider->setRange(0, 100);
    m_volumeSlider->setValue(m_volume);
    m_volumeSlider->setMaximumWidth(90);
    bar->addWidget(m_volumeSlider);
    connect(m_volumeSlider, &QSlider::valueChanged, this, [this](int v) { setVolume(v); });

    column->addLayout(bar);
    updateTimeLabel();
}

void QtMediaPlayer::setUrl(const QString& path)
{
    if (m_released)
        return;
    m_url = path;
    m_pendingPosition = -1;
    const bool previousFailed = !m_failure.isEmpty();
    m_failure.clear();
    const QString problem = path.isEmpty() ? QString() : localFileProblem(path);
    // Changing the media stops the old one on the way; that is a transition,
    // not an operator's stop, so it is not reported as one.
    m_switchingMedia = true;
    if (m_state == Playing || m_state == Paused)
        report(Transitioning);
    if (previousFailed)
        createBackend();
    m_player->setSource(problem.isEmpty() ? sourceFor(path) : QUrl());
    m_switchingMedia = false;
    if (!problem.isEmpty()) {
        onPlaybackStateChanged();
        fail(problem);
    } else if (!path.isEmpty()) {
        m_player->play(); // automatic start
    } else {
        onPlaybackStateChanged();
    }
}

void QtMediaPlayer::play()
{
    if (m_released)
        return;
    if (m_url.isEmpty()) {
        fail(localFileProblem(m_url));
        return;
    }
    // Media that failed is tried afresh: the file may be back by now. If it
    // still cannot play, the failure is reported again.
    if (!m_failure.isEmpty() || m_player->source().isEmpty()) {
        setUrl(m_url); // a fresh back end opens the file anew
        return;
    }
    m_player->play();
}

void QtMediaPlayer::pause()
{
    if (m_released)
        return;
    m_player->pause();
}

void QtMediaPlayer::stop()
{
    if (m_released)
        return;
    m_player->stop();
}

double QtMediaPlayer::currentPosition() const
{
    return m_player->position() / 1000.0;
}

void QtMediaPlayer::setCurrentPosition(double seconds)
{
    if (m_released || !std::isfinite(seconds))
        return;
    const qint64 ms = qRound64(qMax(0.0, seconds) * 1000.0);
    // Media still loading cannot seek yet and drops the position; it is set
    // once the media can, so that a show asked to play from a second starts
    // there.
    m_pendingPosition = m_player->isSeekable() ? -1 : ms;
    m_player->setPosition(ms);
}

double QtMediaPlayer::playbackRate() const
{
    return m_player->playbackRate();
}

double QtMediaPlayer::duration() const
{
    return m_player->duration() / 1000.0;
}

void QtMediaPlayer::setVolume(int volume)
{
    volume = qBound(0, volume, 100);
    m_volume = volume;
    m_audio->setVolume(volume / 100.0f);
    if (m_volumeSlider->value() != volume)
        m_volumeSlider->setValue(volume);
}

bool QtMediaPlayer::mute() const
{
    return m_audio->isMuted();
}

void QtMediaPlayer::setMute(bool mute)
{
    m_audio->setMuted(mute);
    if (m_muteButton->isChecked() != mute)
        m_muteButton->setChecked(mute);
}

bool QtMediaPlayer::fullScreen() const
{
    return m_video->isFullScreen();
}

void QtMediaPlayer::setFullScreen(bool on)
{
    if (m_video->isFullScreen() == on)
        return;
    m_video->setFullScreen(on);
    if (on) {
        m_video->activateWindow();
        m_video->setFocus();
    }
}

QWidget* QtMediaPlayer::widget()
{
    return m_widget.data();
}

void QtMediaPlayer::release()
{
    if (m_released)
        return;
    m_released = true;
    m_player->disconnect(this);
    m_player->stop();
    m_player->setSource(QUrl());
    if (m_video->isFullScreen())
        m_video->setFullScreen(false);
}

bool QtMediaPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_video) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            m_video->isFullScreen()) {
            setFullScreen(false);
            return true;
        }
        // Closing the full-screen picture (Alt+F4, the window manager) only
        // leaves full screen; a closed video window would leave the player
        // without a picture for good.
        if (event->type() == QEvent::Close && m_video->isWindow()) {
            event->ignore();
            setFullScreen(false);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            setFullScreen(!m_video->isFullScreen());
            return true;
        }
        if (event->type() == QEvent::ContextMenu) {
            showContextMenu(m_widget->mapFromGlobal(static_cast<QContextMenuEvent*>(event)->globalPos()));
            return true;
        }
    }
    return MediaPlayer::eventFilter(watched, event);
}

void QtMediaPlayer::report(int state)
{
    if (m_released || state == m_state)
        return;
    m_state = state;
    m_playButton->setEnabled(state != Playing);
    m_pauseButton->setEnabled(state == Playing);
    m_stopButton->setEnabled(state == Playing || state == Paused);
    Q_EMIT playStateChanged(state);
}

void QtMediaPlayer::onPlaybackStateChanged()
{
    // Read the player's state now rather than trusting the signal's
    // argument: a change may arrive after a newer one has already happened.
    switch (m_player->playbackState()) {
    case QMediaPlayer::PlayingState:
        // Still loading: Playing waits for the media to prove playable.
        if (mediaReady())
            report(Playing);
        break;
    case QMediaPlayer::PausedState:
        report(Paused);
        break;
    case QMediaPlayer::StoppedState:
        if (m_switchingMedia)
            break;
        // The back end announces the end of the media only after it has
        // left the playing state, so look once the current event is done.
        QMetaObject::invokeMethod(this, &QtMediaPlayer::finishStop, Qt::QueuedConnection);
        break;
    }
}

void QtMediaPlayer::finishStop()
{
    if (m_released || m_switchingMedia || m_player->playbackState() != QMediaPlayer::StoppedState)
        return;
    // Media that failed before anything ever played has nothing to stop.
    if (!m_failure.isEmpty() && m_state == Undefined)
        return;
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia && m_state != Stopped)
        report(MediaEnded);
    report(Stopped);
}

bool QtMediaPlayer::mediaReady() const
{
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::EndOfMedia:
        return true;
    default:
        return false;
    }
}

void QtMediaPlayer::fail(const QString& reason)
{
    if (m_released)
        return;
    m_failure = reason;
    if (m_player->playbackState() != QMediaPlayer::StoppedState)
        m_player->stop();
    if (m_state == Playing || m_state == Paused || m_state == Transitioning)
        report(Stopped);
    Q_EMIT failed(reason);
}

void QtMediaPlayer::onMediaStatusChanged()
{
    const auto status = m_player->mediaStatus();
    if (mediaReady() && status != QMediaPlayer::EndOfMedia &&
        m_player->playbackState() == QMediaPlayer::PlayingState)
        report(Playing);
    if (status == QMediaPlayer::EndOfMedia) {
        // A back end that announces the end before it leaves the playing
        // state: report both steps at once so the stop set still goes out.
        if ((m_state == Playing || m_state == Paused) &&
            m_player->playbackState() == QMediaPlayer::StoppedState) {
            report(MediaEnded);
            report(Stopped);
        }
    } else if (status == QMediaPlayer::InvalidMedia && !m_switchingMedia) {
        // No error dialogs: the failure is reported and the player stops.
        if (m_failure.isEmpty())
            fail(m_player->errorString().isEmpty() ? QStringLiteral("not a playable media file")
                                                   : m_player->errorString());
        else if (m_state != Stopped && m_state != Undefined)
            report(Stopped);
    }
}

void QtMediaPlayer::onPositionChanged(qint64 ms)
{
    if (!m_seeking)
        m_seek->setValue(static_cast<int>(ms));
    updateTimeLabel();
}

void QtMediaPlayer::onDurationChanged(qint64 ms)
{
    m_seek->setRange(0, static_cast<int>(ms));
    updateTimeLabel();
}

void QtMediaPlayer::updateTimeLabel()
{
    if (!m_player)
        return;
    m_timeLabel->setText(clockText(m_player->position()) + QStringLiteral(" / ") + clockText(m_player->duration()));
}

void QtMediaPlayer::showContextMenu(const QPoint& pos)
{
    QMenu menu(m_widget);
    QAction* playAction = menu.addAction(tr("Play"));
    playAction->setEnabled(m_state != Playing && !m_player->source().isEmpty());
    QAction* pauseAction = menu.addAction(tr("Pause"));
    pauseAction->setEnabled(m_state == Playing);
    QAction* stopAction = menu.addAction(tr("Stop"));
    stopAction->setEnabled(m_state == Playing || m_state == Paused);
    menu.addSeparator();
    QAction* fullAction = menu.addAction(tr("Full Screen"));
    fullAction->setCheckable(true);
    fullAction->setChecked(fullScreen());
    QAction* chosen = menu.exec(m_widget->mapToGlobal(pos));
    if (chosen == playAction)
        play();
    else if (chosen == pauseAction)
        pause();
    else if (chosen == stopAction)
        stop();
    else if (chosen == fullAction)
        setFullScreen(!fullScreen());
}
