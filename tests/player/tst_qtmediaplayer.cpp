#include "qtmediaplayer.h"
#include "wavfile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVideoWidget>

// The real player over a generated silent WAV file. The test environment
// routes audio to a sink that needs no sound device.
class TestQtMediaPlayer : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_wav;

    static QList<int> states(const QSignalSpy& spy)
    {
        QList<int> out;
        for (const auto& args : spy)
            out << args.at(0).toInt();
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // No sound device here: take the real sinks out of the running so
        // that GStreamer falls back to a clocked sink that discards audio.
        qputenv("GST_PLUGIN_FEATURE_RANK",
                "pulsesink:NONE,alsasink:NONE,oss4sink:NONE,osssink:NONE,jackaudiosink:NONE,aasink:NONE");
        QVERIFY(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("two seconds.wav"));
        QVERIFY(WriteSilentWav(m_wav, 2000));
    }

    void seekMovesThePositionAndKeepsTheState()
    {
        const QString longer = m_dir.filePath(QStringLiteral("six seconds.wav"));
        QVERIFY(WriteSilentWav(longer, 6000));
        QtMediaPlayer player;
        QCOMPARE(player.duration(), 0.0);
        player.setUrl(longer);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(qAbs(player.duration() - 6.0) < 0.1);
        player.pause();
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Paused));

        QSignalSpy spy(&player, &MediaPlayer::playStateChanged);
        player.setCurrentPosition(4.0);
        QTRY_VERIFY(qAbs(player.currentPosition() - 4.0) < 0.2);
        QCOMPARE(player.playState(), int(MediaPlayer::Paused));
        player.setCurrentPosition(-2.0); // before the start: the start
        QTRY_VERIFY(player.currentPosition() < 0.2);
        QCOMPARE(spy.count(), 0);

        // Playing on from a seek goes on from there.
        player.setCurrentPosition(5.0);
        QTRY_VERIFY(player.currentPosition() > 4.8);
        player.play();
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QVERIFY(player.currentPosition() > 4.8);

        // A position asked for while the media loads is where it plays from.
        player.setUrl(longer);
        player.setCurrentPosition(3.0);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(player.currentPosition() >= 3.0);
    }

    void mediaThatCannotPlayFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("gone.mp4");
        QTest::newRow("text renamed .mp4") << QStringLiteral("notes.mp4");
        QTest::newRow("folder") << QStringLiteral("folder.avi");
        QTest::newRow("empty path") << QString();
    }

    void mediaThatCannotPlayFails()
    {
        QFETCH(QString, name);
        {
            QFile text(m_dir.filePath(QStringLiteral("notes.mp4")));
            QVERIFY(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
            text.write(QByteArray("Lighting cues for the second act.\n").repeated(200));
        }
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.avi")));
        const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);

        QtMediaPlayer player;
        QSignalSpy seen(&player, &MediaPlayer::playStateChanged);
        QSignalSpy failures(&player, &MediaPlayer::failed);
        player.setUrl(path);
        player.play();
        QTRY_VERIFY(failures.count() >= 1);
        QVERIFY(!failures.first().at(0).toString().isEmpty());
        QCOMPARE(player.failure(), failures.last().at(0).toString());
        QVERIFY2(!states(seen).contains(MediaPlayer::Playing), qPrintable(player.failure()));
        if (!name.isEmpty()) // nothing played, so nothing stopped either
            QCOMPARE(seen.count(), 0);
        QVERIFY(!player.isBusy());

        // Each further attempt fails again.
        const int before = failures.count();
        player.play();
        QTRY_VERIFY(failures.count() > before);
        QVERIFY(!states(seen).contains(MediaPlayer::Playing));

        // Good media afterwards plays as usual.
        player.setUrl(m_wav);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QCOMPARE(player.failure(), QString());
    }

    void settingsWithoutMedia()
    {
        QtMediaPlayer player;
        QCOMPARE(player.volume(), 50);
        QCOMPARE(player.url(), QString());
        QVERIFY(!player.isBusy());

        player.setVolume(35);
        QCOMPARE(player.volume(), 35); // kept exactly, not via a float round trip
        player.setVolume(250);
        QCOMPARE(player.volume(), 100);
        player.setMute(true);
        QVERIFY(player.mute());
        player.setMute(false);
        QVERIFY(!player.mute());

        // The operator's controls drive the same values.
        auto* slider = player.widget()->findChild<QSlider*>(QStringLiteral("wmpVolume"));
        QVERIFY(slider);
        slider->setValue(12);
        QCOMPARE(player.volume(), 12);
        player.widget()->findChild<QToolButton*>(QStringLiteral("wmpMute"))->click();
        QVERIFY(player.mute());

        // Nothing to play: play() leaves the state alone.
        QSignalSpy spy(&player, &MediaPlayer::playStateChanged);
        player.play();
        QCOMPARE(spy.count(), 0);
        QCOMPARE(player.widget()->objectName(), QStringLiteral("wmp"));

        // Every control has a name a screen reader can say, each its own.
        QStringList names;
        for (QWidget* control : player.widget()->findChildren<QWidget*>())
            if (qobject_cast<QToolButton*>(control) || qobject_cast<QSlider*>(control))
                names << control->accessibleName();
        names.sort();
        QCOMPARE(names, (QStringList{"Mute", "Pause", "Play", "Position", "Stop", "Volume"}));
    }

    void closingTheFullScreenVideoPutsItBack()
    {
        QtMediaPlayer player;
        QWidget* wmp = player.widget();
        wmp->show();
        auto* video = wmp->findChild<QVideoWidget*>(QStringLiteral("wmpVideo"));
        QVERIFY(video);

        player.setFullScreen(true);
        QVERIFY(player.fullScreen());
        // The operator closes the full-screen picture (Alt+F4, the window
        // manager): the video returns to the player instead of vanishing.
        video->close();
        QVERIFY(!player.fullScreen());
        QVERIFY(video->isVisible());
        QVERIFY(!video->isWindow());

        // The next start of playback can go full screen again.
        player.setFullScreen(true);
        QVERIFY(player.fullScreen());
        QVERIFY(video->isVisible());
        player.setFullScreen(false);
        QVERIFY(!video->isWindow());
        QVERIFY(video->isVisible());
    }

    void playsPausesAndReportsEndOfMedia()
    {
        QtMediaPlayer player;
        QSignalSpy spy(&player, &MediaPlayer::playStateChanged);

        player.setUrl(m_wav);
        QCOMPARE(player.url(), m_wav);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(player.currentPosition() > 0.2);

        // The player's own pause button reports like the program's call.
        player.widget()->findChild<QToolButton*>(QStringLiteral("wmpPause"))->click();
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Paused));
        const double kept = player.currentPosition();
        QVERIFY(kept > 0.0);
        QVERIFY(player.isBusy());

        player.play();
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QVERIFY(player.currentPosition() >= kept);

        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::Stopped), 15000);
        const QList<int> seen = states(spy);
        QStringList trail;
        for (int v : seen)
            trail << QString::number(v);
        QVERIFY2(seen.size() >= 2 && seen.at(seen.size() - 2) == MediaPlayer::MediaEnded &&
                     seen.last() == MediaPlayer::Stopped,
                 qPrintable(trail.join(QLatin1Char(','))));
        QCOMPARE(seen.first(), int(MediaPlayer::Playing));
        // No state is reported twice in a row.
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen.at(i) != seen.at(i - 1));
    }

    void stopAndSwitchMedia()
    {
        QtMediaPlayer player;
        QSignalSpy spy(&player, &MediaPlayer::playStateChanged);
        // Long enough to be still playing at the switch on a busy machine.
        const QString first = m_dir.filePath(QStringLiteral("first.wav"));
        QVERIFY(WriteSilentWav(first, 20000));
        player.setUrl(first);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));

        // Loading other media while playing is a transition, not a stop.
        const QString other = m_dir.filePath(QStringLiteral("other.wav"));
        QVERIFY(WriteSilentWav(other, 3000));
        spy.clear();
        player.setUrl(other);
        QCOMPARE(player.url(), other);
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Playing));
        QVERIFY(!states(spy).contains(MediaPlayer::Stopped));

        player.stop();
        QTRY_COMPARE(player.playState(), int(MediaPlayer::Stopped));
        QVERIFY(!player.isBusy());

        // After release nothing is reported any more.
        player.release();
        spy.clear();
        player.play();
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestQtMediaPlayer)
#include "tst_qtmediaplayer.moc"
