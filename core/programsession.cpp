#include "programsession.h"

#include "buslink.h"
#include "commandsets.h"
#include "database.h"
#include "inifile.h"
#include "localaddresses.h"
#include "lookups.h"
#include "mediaplayer.h"
#include "messages.h"
#include "settingsfiles.h"
#include "showrunner.h"
#include "textops.h"
#include "udpbuslink.h"

#include <QDebug>
#include <QDir>

ProgramSession::ProgramSession(Dependencies deps, QObject* parent)
    : QObject(parent), m_player(*deps.player),
      m_link(deps.busLink ? std::move(deps.busLink) : std::make_unique<UdpBusLink>()),
      m_hostAddresses(std::move(deps.hostAddresses)), m_messages(deps.messages),
      m_beforeSettingsReplace(std::move(deps.beforeSettingsReplace)), m_clock(std::move(deps.clock))
{
    if (!m_messages) {
        m_ownMessages = std::make_unique<LogMessagePresenter>();
        m_messages = m_ownMessages.get();
    }
    CommandSequencer::Sender sender = std::move(deps.sender);
    if (!sender)
        sender = [link = m_link.get()](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                       quint16 third) { SendCommand(*link, subnet, device, kind, first, second, third); };
    m_sequencer = std::make_unique<CommandSequencer>(std::move(sender), std::move(deps.pacingTimer));
    m_runner = std::make_unique<ShowRunner>(m_shows, m_player, *m_sequencer, m_files);
    m_runner->fired = [this](int showId, qint64 second, int commands) {
        Q_EMIT timePointFired(showId, second, commands);
    };

    m_showTimer.setObjectName(QStringLiteral("timerRunShow"));
    m_showTimer.setInterval(100);
    connect(&m_showTimer, &QTimer::timeout, this, [this] { m_runner->tick(); });

    connect(&m_player, &MediaPlayer::playStateChanged, this, &ProgramSession::onPlayState);
    // No box for media that cannot play: a show may be running on the bus,
    // and the bus must stay served.
    connect(&m_player, &MediaPlayer::failed, this, [this](const QString& reason) {
        const QString text = QStringLiteral("cannot play \"%1\": %2").arg(m_player.url(), reason);
        qWarning().noquote() << text;
        Q_EMIT playProblemChanged(text);
    });
}

ProgramSession::~ProgramSession()
{
    m_showTimer.stop();
    m_link->stopReceiving();
    m_player.disconnect(this);
    m_runner->end();
    m_sequencer->stop();
}

// ---------------------------------------------------------------------------
// Start-up and exit

bool ProgramSession::start()
{
    m_shows.currentId = -1;
    m_shows.currentIndex = -1;
    m_ended = false;

    // A restore that a kill broke off is carried through before anything
    // reads the files.
    if (CompleteInterruptedRestore(BackupPaths::InFolder(ProgramPath(QStringLiteral("Database")))))
        qWarning().noquote() << "finished a restore that was broken off";
    QString failure;
    const bool databaseOpen = OpenDatabase(ProgramPath(QStringLiteral("Database/DB.mdb")), &failure);
    if (!databaseOpen)
        m_messages->error(nullptr, failure);
    for (const QString& unread : OpenSettingsFiles(m_files, m_beforeSettingsReplace))
        m_messages->error(nullptr, unread);
    if (!m_backups) {
        m_backups = std::make_unique<BackupService>(BackupPaths::InFolder(ProgramPath(QStringLiteral("Database"))),
                                                    m_clock);
        connect(m_backups.get(), &BackupService::restored, this, &ProgramSession::onRestored);
        connect(m_backups.get(), &BackupService::snapshotFailed, this,
                [](const QString& why) { qWarning().noquote() << "no snapshot taken:" << why; });
    }
    // A database that did not open has nothing worth a snapshot.
    if (databaseOpen)
        m_backups->snapshotNow();
    m_backups->startDaily();
    reloadShowList();

    // Only the switch-status and security-mode tables end this step when
    // they cannot be read; the other loaders fail quietly.
    if (LoadUniversalSwitchStatuses(m_lookups)) {
        LoadCommandTypes(m_lookups, m_files);
        LoadSecurityAlarmTypes(m_lookups);
        if (LoadSecurityModes(m_lookups))
            LoadCurtainStatuses(m_lookups);
    }

    applySettings();

    if (!m_link->open(m_link->localAddress(), m_port)) {
        m_messages->tell(nullptr, QStringLiteral("Fail to initialize UDP socket!"));
        m_ended = true;
        return false;
    }
    m_link->startReceiving(*this);
    m_showTimer.start();
    return true;
}

void ProgramSession::applySettings()
{
    if (!m_files.SystemIni)
        return;
    const SystemSettings s = ReadSystemSettings(*m_files.SystemIni);
    BusIdentity identity;
    identity.subnet = s.subnetId;
    identity.device = s.deviceId;
    identity.generation = s.generation;
    m_link->setIdentity(identity);
    m_port = s.port;
    // A value that is not a number stops the reading before the player is
    // touched: it keeps its own volume and mute state.
    if (s.complete) {
        if (s.mute) {
            m_player.setVolume(s.volume);
            m_player.setMute(true);
        } else {
            m_player.setMute(false);
            m_player.setVolume(s.volume);
        }
    }
    m_runner->setFiringSettings(ReadFiringSettings(*m_files.SystemIni));
    // A subnet or device value that is not a number ends the reading before
    // the address; the address is still the operator's choice, and taking it
    // as empty would overwrite it with the host's first address.
    chooseLocalAddress(s.complete ? s.configuredIp
                                  : m_files.SystemIni->read(QStringLiteral("ip"), QStringLiteral("ip")));
}

void ProgramSession::chooseLocalAddress(const QString& configuredIp)
{
    const QStringList hosts = m_hostAddresses ? m_hostAddresses() : LocalAddresses();
    bool writeFailed = false;
    BusIdentity identity = m_link->identity();
    identity.localAddress = ApplyLocalAddress(*m_files.SystemIni, hosts, configuredIp, &writeFailed);
    m_link->setIdentity(identity);
    if (writeFailed)
        reportSettingsNotSaved(QStringLiteral("The address ") + identity.localAddress);
}

void ProgramSession::reportSettingsNotSaved(const QString& what)
{
    const IniFile* ini = m_files.SystemIni.get();
    const QString text = QStringLiteral("%1 could not be written to %2")
                             .arg(what, ini ? QDir::toNativeSeparators(ini->path()) : QStringLiteral("System.ini"));
    qWarning().noquote() << text;
    Q_EMIT settingsNotSaved(text);
}

void ProgramSession::end()
{
    m_showTimer.stop();
    m_link->stopReceiving();
    m_ended = true;
    m_runner->end();

    if (!WriteMuteAndVolume(m_files, m_player.mute(), m_player.volume()))
        reportSettingsNotSaved(QStringLiteral("The volume %1%2").arg(m_player.volume())
                                   .arg(m_player.mute() ? QStringLiteral(" (muted)") : QString()));

    // Ended already, so stopping sends no stop set.
    if (m_player.isBusy())
        m_player.stop();
    m_player.release();
    m_sequencer->stop();
    m_link->close();
}

bool ProgramSession::monitorAtStart() const
{
    const auto& ini = m_files.SystemIni;
    return ini && ini->read(QStringLiteral("Monitor"), QStringLiteral("OpenAtStart")).trimmed() == QStringLiteral("1");
}

// ---------------------------------------------------------------------------
// Shows

void ProgramSession::switchShowOn(int index)
{
    if (m_ended || index < 0 || index >= m_shows.shows.size())
        return;
    m_runner->chooseShow(QString::number(m_shows.shows.at(index).ShowID));
    Q_EMIT currentShowChanged(currentShowIndex());
}

void ProgramSession::switchShowOff()
{
    if (!m_ended)
        m_player.stop();
}

void ProgramSession::playShowFrom(int index, double second)
{
    switchShowOn(index);
    if (!m_ended && index >= 0 && index == currentShowIndex() && second > 0)
        m_player.setCurrentPosition(second);
}

void ProgramSession::pauseShow()
{
    if (!m_ended && m_player.playState() == MediaPlayer::Playing)
        m_player.pause();
}

void ProgramSession::resumeShow()
{
    if (!m_ended && m_player.playState() == MediaPlayer::Paused)
        switchShowOn(currentShowIndex());
}

void ProgramSession::seek(double second)
{
    if (!m_ended && currentShowIndex() >= 0)
        m_player.setCurrentPosition(qMax(0.0, second));
}

int ProgramSession::currentShowIndex() const
{
    return m_shows.currentIndex;
}

void ProgramSession::reloadShowList()
{
    ShowListReload reload = ::ReloadShowList(m_files, m_shows);
    if (!reload.ok)
        return;
    m_rows = std::move(reload.rows);
    Q_EMIT showListChanged();
}

void ProgramSession::showsEdited()
{
    reloadShowList();
    if (const TShow* current = m_shows.current())
        LoadShow(m_shows, current->ShowID);
}

void ProgramSession::onRestored(const SnapshotInfo& snapshot)
{
    for (IniFile* ini : {m_files.ShowIni.get(), m_files.SystemIni.get()}) {
        if (ini)
            ini->reload();
    }
    // The steps describe rows the restore replaced.
    m_history.clear();
    showsEdited();
    reloadFiringSettings();
    Q_EMIT backupRestored(snapshot.name);
}

void ProgramSession::reloadFiringSettings()
{
    if (const auto& ini = m_files.SystemIni)
        m_runner->setFiringSettings(ReadFiringSettings(*ini));
}

void ProgramSession::onPlayState(int state)
{
    if (m_ended)
        return;
    if (state == MediaPlayer::Playing)
        Q_EMIT playProblemChanged(QString());
    HandlePlayStateChange(m_player, *m_sequencer, state);
    Q_EMIT playStateChanged(state);
}
