#include "addresssettings.h"
#include "busmonitorwindow.h"
#include "database.h"
#include "fakemediaplayer.h"
#include "inifile.h"
#include "loopbackbuslink.h"
#include "mainwindow.h"
#include "mediaplayer.h"
#include "manualpacingtimer.h"
#include "programfolder.h"
#include "programsession.h"
#include "rawsql.h"
#include "scriptedmessages.h"
#include "showrunner.h"
#include "singleinstance.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

struct SentCommand {
    int subnet, device, kind, first, second, third;
};

// The menu windows, scripted: each does what the test asks and reports the
// given result.
struct ScriptedMenuWindows {
    std::function<void()> onShowSettings;
    OpenedWindowResult showSettingsResult;
    OpenedWindowResult addressResult;
    std::function<bool()> onAddress; // when set, decides whether the dialog saved
    std::function<OpenedWindowResult()> onFiringSettings;
    OpenedWindowResult remoteControlResult;
};

} // namespace

// The main window over a program session: start-up, exit and
// notification-area behaviour, driven with a fake player, a loopback bus and
// a recording bus sender on a throw-away program folder. No port is bound.
class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<FakeMediaPlayer> m_player;
    std::unique_ptr<ProgramSession> m_session;
    std::unique_ptr<MainWindow> m_window;
    LoopbackBusLink* m_link = nullptr;
    QList<quint16> m_portsTaken; // held by another program
    ScriptedMenuWindows m_menus;
    ManualPacingTimer* m_timer = nullptr;
    QList<SentCommand> m_sent;
    QStringList m_hosts{QStringLiteral("127.0.0.1")};
    std::optional<bool> m_trayAvailable = false;
    bool m_settingsRefused = false; // the settings files refuse every write

    void writeSystemIni(const QString& body)
    {
        QFile f(m_folder->path(QStringLiteral("Database/System.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(body.toUtf8());
    }

    QString systemIni(const QString& section, const QString& key)
    {
        return IniFile(m_folder->path(QStringLiteral("Database/System.ini"))).read(section, key, QStringLiteral("?"));
    }

    // A System.ini on the loopback address, with whatever the test adds.
    QString iniWithFreePort(const QString& more = QString())
    {
        return QStringLiteral("[Port]\nPort=15000\n[ip]\nip=127.0.0.1\n") + more;
    }

    MainWindow& makeWindow()
    {
        m_player = std::make_unique<FakeMediaPlayer>();
        ProgramSessionDependencies deps;
        deps.player = m_player.get();
        auto timer = std::make_unique<ManualPacingTimer>();
        m_timer = timer.get();
        deps.pacingTimer = std::move(timer);
        deps.sender = [this](quint8 s, quint8 d, quint8 k, quint16 a, quint16 b, quint16 c) {
            m_sent.append({s, d, k, a, b, c});
        };
        deps.hostAddresses = [this] { return m_hosts; };
        auto link = std::make_unique<LoopbackBusLink>();
        m_link = link.get();
        m_link->setPortsTakenElsewhere(m_portsTaken);
        deps.busLink = std::move(link);
        deps.messages = m_messages.get();
        deps.beforeSettingsReplace = [this] { return !m_settingsRefused; };
        m_session = std::make_unique<ProgramSession>(std::move(deps));
        MainWindowDependencies windowDeps;
        windowDeps.trayAvailable = m_trayAvailable;
        windowDeps.showWindow = false;
        windowDeps.messages = m_messages.get();
        windowDeps.windows.showSettings = [this] {
            if (m_menus.onShowSettings)
                m_menus.onShowSettings();
            return m_menus.showSettingsResult;
        };
        windowDeps.windows.playSettings = [] { return OpenedWindowResult(); };
        windowDeps.windows.addressDialog = [this] {
            return m_menus.onAddress ? OpenedWindowResult{false, m_menus.onAddress()} : m_menus.addressResult;
        };
        windowDeps.windows.firingSettings = [this] {
            return m_menus.onFiringSettings ? m_menus.onFiringSettings() : OpenedWindowResult();
        };
        windowDeps.windows.remoteControl = [this] { return m_menus.remoteControlResult; };
        auto window = std::make_unique<MainWindow>(*m_session, windowDeps);
        MainWindow& made = *window;
        m_window = std::move(window);
        return made;
    }

    MainWindow& startedWindow(const QString& ini)
    {
        writeSystemIni(ini);
        MainWindow& w = makeWindow();
        const bool started = w.FormCreate();
        if (!started)
            qWarning() << "start-up failed:" << m_messages->texts();
        return w;
    }

    void addShow(int showId, const QString& name, const QString& url, int switchNo = 0)
    {
        QVERIFY(IsDatabaseOpen() || m_folder->openDatabase());
        QVERIFY(RunSql(QStringLiteral("insert into Show (ShowID, SequenceNo, ActivedUniversalSwitch, "
                                      "UniversalSwitchID) values (%1, %1, %2, %3)")
                           .arg(showId)
                           .arg(switchNo ? 1 : 0)
                           .arg(switchNo)));
        IniFile shows(m_folder->path(QStringLiteral("Database/Show.ini")));
        QVERIFY(shows.write(QString::number(showId), QStringLiteral("ShowName"), name));
        QVERIFY(shows.write(QString::number(showId), QStringLiteral("URL"), url));
    }

    void addSetCommand(const QString& table, int commandId, int subnet, int device)
    {
        QVERIFY(IsDatabaseOpen() || m_folder->openDatabase());
        QVERIFY(RunSql(QStringLiteral("insert into %1 (CommandID, SequenceNo, Remark, SubnetID, DeviceID, "
                                      "CommandTypeID, FirstParameter, SecondParameter, ThirdParameter, "
                                      "DelayMS) values (%2, %2, '', %3, %4, 1, 1, 100, 0, 0)")
                           .arg(table)
                           .arg(commandId)
                           .arg(subnet)
                           .arg(device)));
    }

    bool sentTo(int subnet, int device) const
    {
        for (const auto& c : m_sent)
            if (c.subnet == subnet && c.device == device)
                return true;
        return false;
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->isValid());
        m_messages = std::make_unique<ScriptedMessages>();
        m_sent.clear();
        m_hosts = {QStringLiteral("127.0.0.1")};
        m_trayAvailable = false;
        m_portsTaken.clear();
        m_menus = {};
        m_settingsRefused = false;
    }

    void cleanup()
    {
        m_window.reset();
        m_session.reset();
        m_player.reset();
        m_link = nullptr;
        m_timer = nullptr;
        CloseDatabase();
        m_messages.reset();
        m_folder.reset();
    }

    void windowStructure()
    {
        MainWindow& w = makeWindow();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tavolan V1.4"));
        for (const char* name : {"panLeft", "wmp", "Splitter1", "panRight", "panLogo", "imgLogo", "panList",
                                 "panTitle", "lblTotal", "lsvShow", "statusbar", "popmenuIcon",
                                 "popmenuShowList"})
            QVERIFY2(w.findChild<QObject*>(QString::fromLatin1(name)), name);
        QCOMPARE(w.lsvShow->columnCount(), 2);
        QVERIFY(!w.timerRunShow->isActive());

        auto menuTexts = [](QMenu* menu) {
            QStringList out;
            for (QAction* a : menu->actions())
                out << (a->isSeparator() ? QStringLiteral("-") : a->text());
            return out;
        };
        const QStringList tail{QStringLiteral("Play/Pause/Stop Settings..."), QStringLiteral("-"),
                               QStringLiteral("Software Address and UDP Port Settings..."),
                               QStringLiteral("Firing Settings..."), QStringLiteral("Remote Control..."),
                               QStringLiteral("Restore Backup..."), QStringLiteral("Bus Monitor..."), QStringLiteral("-"),
                               QStringLiteral("About..."), QStringLiteral("-"), QStringLiteral("Exit")};
        QCOMPARE(menuTexts(w.popmenuIcon), QStringList{QStringLiteral("Show Settings...")} + tail);
        QCOMPARE(menuTexts(w.popmenuShowList), QStringList{QStringLiteral("Add/Edit Show...")} + tail);
    }

    void firingSettingsReachTheRunner()
    {
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[Firing]\nMode=Precise\nOffsetMS=120\n")));
        FiringSettings precise{FiringSettings::Precise, 120};
        QCOMPARE(w.runner().firingSettings(), precise);

        // Saved in the dialog: the runner fires the new way at once.
        m_menus.onFiringSettings = [this] {
            WriteFiringSettings(m_session->settingsFiles(), {FiringSettings::Tick, -50});
            return OpenedWindowResult{false, true};
        };
        w.FiringSettingsClick();
        QCOMPARE(w.runner().firingSettings(), (FiringSettings{FiringSettings::Tick, -50}));
        QCOMPARE(systemIni(QStringLiteral("firing"), QStringLiteral("offsetms")), QStringLiteral("-50"));

        // Cancelled: nothing changes.
        m_menus.onFiringSettings = [this] {
            WriteFiringSettings(m_session->settingsFiles(), {FiringSettings::Precise, 0});
            return OpenedWindowResult{};
        };
        w.FiringSettingsClick();
        QCOMPARE(w.runner().firingSettings(), (FiringSettings{FiringSettings::Tick, -50}));
    }

    // Saved remote control settings are handed on at once; cancelled ones
    // are not.
    void remoteControlSettingsAreHandedOn()
    {
        MainWindow& w = startedWindow(iniWithFreePort(QString()));
        QSignalSpy saved(&w, &MainWindow::remoteSettingsSaved);
        w.RemoteControlClick();
        QCOMPARE(saved.count(), 0);
        m_menus.remoteControlResult = OpenedWindowResult{false, true};
        w.RemoteControlClick();
        QCOMPARE(saved.count(), 1);
    }

    void portRules_data()
    {
        QTest::addColumn<QString>("portLine");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing") << QString() << 15000;
        QTest::newRow("out of range") << QStringLiteral("[Port]\nPort=70000\n") << 15000;
        QTest::newRow("not a number") << QStringLiteral("[Port]\nPort=abc\n") << 15000;
        QTest::newRow("6000") << QStringLiteral("[Port]\nPort=6000\n") << 6000;
    }

    void portRules()
    {
        QFETCH(QString, portLine);
        QFETCH(int, expected);
        MainWindow& w = startedWindow(QStringLiteral("[ip]\nip=127.0.0.1\n") + portLine);
        QCOMPARE(int(m_link->port()), expected);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:%1").arg(expected));
        QVERIFY(w.timerRunShow->isActive());
        QCOMPARE(w.timerRunShow->interval(), 100);
        QVERIFY(!m_session->hasEnded());
    }

    void generationRules_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2 is too old") << QStringLiteral("2") << 3;
        QTest::newRow("4 is kept") << QStringLiteral("4") << 4;
        QTest::newRow("abc") << QStringLiteral("abc") << 3;
    }

    void generationRules()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        startedWindow(iniWithFreePort(QStringLiteral("[Generation]\nGenerationNo=%1\n").arg(value)));
        QCOMPARE(int(m_link->identity().generation), expected);
    }

    void addressAndStatusPanels()
    {
        // A configured address the host does not have is replaced by the
        // host's first one, and the file follows.
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        MainWindow& w = startedWindow(QStringLiteral("[Port]\nPort=15000\n[ip]\nip=10.20.30.40\n"
                                                          "[SubnetID]\nSubnetID=1\n[DeviceID]\nDeviceID=99\n"));
        QCOMPARE(m_link->localAddress(), QStringLiteral("127.0.0.5"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.5"));
        QCOMPARE(m_link->identity().localOctets(), (std::array<quint8, 4>{127, 0, 0, 5}));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:1 Device ID:99"));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("IP:127.0.0.5"));
        for (int panel = 3; panel < 6; ++panel)
            QCOMPARE(w.statusPanelText(panel), QString());
    }

    void knownAddressIsKept()
    {
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        startedWindow(iniWithFreePort());
        QCOMPARE(m_link->localAddress(), QStringLiteral("127.0.0.1"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.1"));
    }

    void unreadableSubnetKeepsTheConfiguredAddress()
    {
        // The address is not the host's first one: losing it would move the
        // program to another network.
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[SubnetID]\nSubnetID=abc\n"
                                                                          "[IP]\nMUTE=1\nVOL=35\n")));
        QCOMPARE(m_link->localAddress(), QStringLiteral("127.0.0.1"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));
        // The reading stopped at the subnet: the player keeps its own state.
        QVERIFY(!m_player->calls.contains(QStringLiteral("setMute:1")));
        QVERIFY(m_link->isOpen());
    }

    void muteAndVolumeAtStartUp_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("muted at 35") << QStringLiteral("MUTE=1\nVOL=35\n") << true << 35
                                     << QStringList{QStringLiteral("setVolume:35"), QStringLiteral("setMute:1")};
        QTest::newRow("not muted") << QStringLiteral("MUTE=0\nVOL=60\n") << false << 60
                                   << QStringList{QStringLiteral("setMute:0"), QStringLiteral("setVolume:60")};
        QTest::newRow("defaults") << QString() << false << 20
                                  << QStringList{QStringLiteral("setMute:0"), QStringLiteral("setVolume:20")};
    }

    void muteAndVolumeAtStartUp()
    {
        QFETCH(QString, lines);
        QFETCH(bool, muted);
        QFETCH(int, volume);
        QFETCH(QStringList, calls);
        startedWindow(iniWithFreePort(QStringLiteral("[IP]\n") + lines));
        QCOMPARE(m_player->mute(), muted);
        QCOMPARE(m_player->volume(), volume);
        QCOMPARE(m_player->calls, calls);
    }

    void boundPortEndsStartUp()
    {
        m_portsTaken = {6000};
        MainWindow& w = startedWindow(QStringLiteral("[Port]\nPort=6000\n[ip]\nip=127.0.0.1\n"));
        QVERIFY(m_session->hasEnded());
        QVERIFY(m_messages->texts().contains(QStringLiteral("Fail to initialize UDP socket!")));
        QVERIFY(!w.timerRunShow->isActive());
    }

    void fitsA1024x768Screen()
    {
        // The player keeps its width; the list side gives way, frame and
        // all within 1024 pixels.
        MainWindow& w = startedWindow(iniWithFreePort());
        QVERIFY2(w.minimumSizeHint().width() <= 1000, qPrintable(QString::number(w.minimumSizeHint().width())));
        QCOMPARE(w.panLeft->width(), 650);
    }

    void anEmptyListSaysHowToStart()
    {
        MainWindow& w = startedWindow(iniWithFreePort());
        QVERIFY(w.lblEmptyHint->isVisibleTo(&w));
        QVERIFY(w.lblEmptyHint->text().startsWith(QStringLiteral("Right-click")));
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        m_session->reloadShowList();
        QVERIFY(!w.lblEmptyHint->isVisibleTo(&w));
    }

    void showListAndChoosing()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"), 5);
        addShow(2, QStringLiteral("Finale"), QStringLiteral("/media/finale.avi"));
        addSetCommand(QStringLiteral("CommandsForPlay"), 1, 7, 8);
        MainWindow& w = startedWindow(iniWithFreePort());

        QCOMPARE(w.lblTotal->text(), QStringLiteral("2"));
        QCOMPARE(w.lsvShow->topLevelItemCount(), 2);
        QCOMPARE(w.lsvShow->topLevelItem(0)->text(0), QStringLiteral("Opening"));
        QCOMPARE(w.lsvShow->topLevelItem(1)->text(1), QStringLiteral("2"));
        QCOMPARE(m_session->shows().size(), 2);
        QCOMPARE(int(m_session->shows().at(0).UniversalSwitchID), 5);
        QVERIFY(m_player->url().isEmpty()); // filling the list chose nothing

        // Choosing a row plays its show; playing sends the play set and goes
        // full screen.
        w.lsvShow->setCurrentItem(w.lsvShow->topLevelItem(1));
        QCOMPARE(m_player->url(), QStringLiteral("/media/finale.avi"));
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        QCOMPARE(m_session->loadedShows().currentId, 2);
        QVERIFY(sentTo(7, 8));
        QVERIFY(!m_player->fullScreen()); // not before the play set has gone out
        m_timer->runOut();
        QVERIFY(m_player->fullScreen());
        QVERIFY(w.lsvShow->isEnabled());

        // The bus switches shows on through the same session operation, and
        // the list follows.
        m_session->switchShowOn(0);
        QCOMPARE(m_player->url(), QStringLiteral("/media/opening.avi"));
        QCOMPARE(m_session->currentShowIndex(), 0);
        QCOMPARE(w.lsvShow->indexOfTopLevelItem(w.lsvShow->currentItem()), 0);
        m_session->switchShowOff();
        QCOMPARE(m_player->playState(), int(MediaPlayer::Stopped));
        // The current show again: it plays on.
        m_session->switchShowOn(0);
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        m_session->switchShowOn(17); // no such row: nothing happens
        QCOMPARE(m_session->currentShowIndex(), 0);
    }

    void switchingAShowOffSilencesItAndSendsTheStopSetAtOnce()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"), 5);
        addSetCommand(QStringLiteral("CommandsForStop"), 1, 3, 4);
        // Two thousand commands at second 0: minutes of bus time.
        QVERIFY(RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,"
                                      "SecondOfTimePoint) values(1,1,0)")));
        QStringList rows;
        for (int id = 1; id <= 2000; ++id)
            rows << QStringLiteral("(1,1,%1,%1,1,20,4,5,100,3,0)").arg(id);
        QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,"
                                      "SubnetID,DeviceID,CommandTypeID,FirstParameter,SecondParameter,"
                                      "ThirdParameter,DelayMS) values ") + rows.join(u',')));
        MainWindow& w = startedWindow(iniWithFreePort());
        m_session->switchShowOn(0);
        m_player->playTo(0.5);
        w.runner().tick();
        m_timer->advance(6000);
        QVERIFY(w.sequencer().isBusy());
        const qsizetype before = m_sent.size();
        QVERIFY(before > 100);

        m_session->switchShowOff(); // as the bus's switch-off does
        m_timer->advance(50);
        QCOMPARE(m_sent.size(), before + 1);
        QCOMPARE(m_sent.last().device, 4);
        m_timer->runOut();
        QCOMPARE(m_sent.size(), before + 1);
    }

    void settingsThatCannotBeWrittenAreReported()
    {
        // The configured address is not the host's, so start-up writes the
        // host's back; the file refuses every write.
        m_settingsRefused = true;
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("address 127\\.0\\.0\\.1 could not be written to .*System\\.ini")));
        MainWindow& w =
            startedWindow(QStringLiteral("[Port]\nPort=15000\n[ip]\nip=10.1.2.3\n[IP]\nMUTE=0\nVOL=35\n"));
        QCOMPARE(w.statusPanelText(MainWindow::SettingsProblemPanel), QStringLiteral("Not saved to System.ini"));

        m_player->setVolume(70);
        m_messages->answerNext(MessageAnswer::Yes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("volume 70 could not be written")));
        QVERIFY(w.ExitProgram());
        QCOMPARE(systemIni(QStringLiteral("IP"), QStringLiteral("VOL")), QStringLiteral("35"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("10.1.2.3"));
    }

    void mediaThatCannotPlaySendsNoPlaySet()
    {
        addShow(1, QStringLiteral("Broken"), QStringLiteral("/media/notes.mp4"));
        addShow(2, QStringLiteral("Good"), QStringLiteral("/media/good.avi"));
        addSetCommand(QStringLiteral("CommandsForPlay"), 1, 7, 8);
        MainWindow& w = startedWindow(iniWithFreePort());
        m_player->unplayable.insert(QStringLiteral("/media/notes.mp4"), QStringLiteral("not a media file"));
        m_messages->clear();

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot play.*notes\\.mp4")));
        m_session->switchShowOn(0);
        m_timer->runOut();
        QVERIFY(m_sent.isEmpty());
        QVERIFY(!m_player->fullScreen());
        const QString problem = w.statusPanelText(MainWindow::PlayProblemPanel);
        QVERIFY2(problem.contains(QStringLiteral("cannot play")) &&
                     problem.contains(QStringLiteral("/media/notes.mp4")) &&
                     problem.contains(QStringLiteral("not a media file")),
                 qPrintable(problem));
        QVERIFY(m_messages->shown.isEmpty()); // no box: the bus stays served
        QVERIFY(w.timerRunShow->isActive());

        // The next show plays as usual and the status bar is cleared.
        m_session->switchShowOn(1);
        QVERIFY(sentTo(7, 8));
        QCOMPARE(w.statusPanelText(MainWindow::PlayProblemPanel), QString());
    }

    void menuWindowsReportWhatChanged()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        MainWindow& w = startedWindow(iniWithFreePort());
        QCOMPARE(w.lsvShow->topLevelItemCount(), 1);
        m_menus.onShowSettings = [this] { addShow(2, QStringLiteral("Finale"), QStringLiteral("/media/finale.avi")); };

        // A window that reports no change leaves the list alone ...
        w.ShowSettingsClick();
        QCOMPARE(w.lsvShow->topLevelItemCount(), 1);
        // ... one that does has it read again.
        m_menus.onShowSettings = {};
        m_menus.showSettingsResult.showListChanged = true;
        w.ShowSettingsClick();
        QCOMPARE(w.lsvShow->topLevelItemCount(), 2);
        QCOMPARE(w.lblTotal->text(), QStringLiteral("2"));

        // A saved address dialog has the status panels written anew.
        m_link->setIdentity({9, 0, 3, m_link->localAddress()});
        w.AddressSettingsClick();
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));
        m_menus.addressResult.saved = true;
        w.AddressSettingsClick();
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:9 Device ID:0"));
    }

    void editsToThePlayingShowReachTheRunner()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        MainWindow& w = startedWindow(iniWithFreePort());
        m_session->switchShowOn(0);
        m_timer->runOut();
        m_sent.clear();
        // The show settings window adds a time point at 5 s with one command.
        m_menus.onShowSettings = [] {
            QVERIFY(RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,"
                                          "SecondOfTimePoint) values(1,1,5)")));
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,"
                                          "SequenceNo,SubnetID,DeviceID,CommandTypeID,FirstParameter,"
                                          "SecondParameter,ThirdParameter,DelayMS) "
                                          "values(1,1,1,1,3,4,1,1,100,0,0)")));
        };
        m_menus.showSettingsResult.showListChanged = true;
        const QStringList callsBefore = m_player->calls;
        w.ShowSettingsClick();
        QCOMPARE(m_player->calls, callsBefore); // playback goes on untouched
        m_player->playTo(5.4);
        QMetaObject::invokeMethod(w.timerRunShow, "timeout");
        QVERIFY(sentTo(3, 4));
    }

    void statusBarFollowsThePortInUse()
    {
        MainWindow& w = startedWindow(iniWithFreePort());
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:15000"));
        // The dialog's save sequence, with a port the system chose standing
        // in for the Orvane port.
        AddressSettings::Ports ports{15000, 6000};
        m_link->setPortsTakenElsewhere({6000});
        m_menus.onAddress = [&] {
            AddressSettings settings(*m_messages, m_session->settingsFiles(), *m_link, ports);
            return settings.save(QStringLiteral("4"), QStringLiteral("5"), true) == AddressSettings::SaveResult::Saved;
        };

        // The port is held elsewhere: the panels keep what is in use.
        w.AddressSettingsClick();
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:15000"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));

        m_link->setPortsTakenElsewhere({});
        w.AddressSettingsClick();
        QCOMPARE(m_link->port(), ports.orvane);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:%1").arg(ports.orvane));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:4 Device ID:5"));
    }

    // The monitor stays open beside the window, one at a time, and stops
    // watching the bus once closed.
    void busMonitorIsOneNonModalWindow()
    {
        MainWindow& w = startedWindow(iniWithFreePort());
        QVERIFY(!w.busMonitor());
        w.BusMonitorClick();
        BusMonitorWindow* monitor = w.busMonitor();
        QVERIFY(monitor);
        QVERIFY(monitor->isVisible());
        QVERIFY(!monitor->isModal());
        QVERIFY(monitor->isWindow());
        w.BusMonitorClick();
        QCOMPARE(w.busMonitor(), monitor);
        QVERIFY(m_link->isObserved());
        monitor->close();
        QTRY_VERIFY(!w.busMonitor());
        QVERIFY(!m_link->isObserved());
    }

    // A program folder can ask for the monitor from the start.
    void busMonitorOpenAtStart()
    {
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[Monitor]\nOpenAtStart=1\n")));
        BusMonitorWindow* monitor = w.busMonitor();
        QVERIFY(monitor);
        QVERIFY(monitor->isVisible());
        QVERIFY(m_link->isObserved());

        // It shares the screen with the full-screen video: kept above it, in
        // the bottom right corner, leaving most of the screen free.
        QVERIFY(monitor->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QRect free = monitor->screen()->availableGeometry();
        QTRY_COMPARE(monitor->frameGeometry().bottomRight(), free.bottomRight());
        const QRect placed = monitor->frameGeometry();
        QVERIFY(free.contains(placed));
        QVERIFY(placed.bottom() > free.center().y());
        QVERIFY(placed.width() * placed.height() < free.width() * free.height() / 2);

        // Opened again from the menu it stays where it is; a monitor opened
        // from the menu alone is an ordinary window.
        w.BusMonitorClick();
        QCOMPARE(monitor->frameGeometry(), placed);
        monitor->close();
        QTRY_VERIFY(!w.busMonitor());
        w.BusMonitorClick();
        QVERIFY(!w.busMonitor()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void exitOnYes()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        addSetCommand(QStringLiteral("CommandsForStop"), 1, 3, 4);
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[IP]\nMUTE=1\nVOL=35\n")));
        m_session->switchShowOn(0);
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        m_player->setMute(false);
        m_player->setVolume(70);

        QSignalSpy ended(&w, &MainWindow::programEnded);
        m_messages->answerNext(MessageAnswer::Yes);
        m_sent.clear();
        QVERIFY(w.ExitProgram());

        QCOMPARE(m_messages->shown.last().text, QStringLiteral("Are you sure you want to exit?"));
        QCOMPARE(m_messages->shown.last().kind, ScriptedMessages::Shown::Question);
        QVERIFY(m_session->hasEnded());
        QVERIFY(!w.timerRunShow->isActive());
        QVERIFY(!m_link->isOpen());
        QCOMPARE(systemIni(QStringLiteral("IP"), QStringLiteral("MUTE")), QStringLiteral("0"));
        QCOMPARE(systemIni(QStringLiteral("IP"), QStringLiteral("VOL")), QStringLiteral("70"));
        QVERIFY(m_player->calls.contains(QStringLiteral("stop")));
        QCOMPARE(m_player->calls.last(), QStringLiteral("release"));
        QCOMPARE(ended.count(), 1);
        // The stop that exit causes sends no stop set, not even later.
        m_timer->runOut();
        QVERIFY(!sentTo(3, 4));
        QVERIFY(!w.sequencer().isBusy());
    }

    void exitDeclined_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(MessageAnswer::No);
        QTest::newRow("Cancel") << int(MessageAnswer::Cancel);
    }

    void exitDeclined()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[IP]\nMUTE=1\nVOL=35\n")));
        m_session->switchShowOn(0);
        m_player->setVolume(70);
        QSignalSpy ended(&w, &MainWindow::programEnded);

        QFETCH(int, answer);
        m_messages->answerNext(MessageAnswer(answer));
        QVERIFY(!w.ExitProgram());
        QVERIFY(!m_session->hasEnded());
        QVERIFY(w.timerRunShow->isActive());
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        QVERIFY(!m_player->calls.contains(QStringLiteral("release")));
        QCOMPARE(systemIni(QStringLiteral("IP"), QStringLiteral("VOL")), QStringLiteral("35"));
        QVERIFY(m_link->isOpen());
        QCOMPARE(ended.count(), 0);
    }

    void closeHidesOrMinimises()
    {
        // With a notification area the window hides there and comes back
        // on a left click; the program goes on either way.
        m_trayAvailable = true;
        MainWindow& w = startedWindow(iniWithFreePort());
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isHidden());
        QVERIFY(!m_session->hasEnded());
        QVERIFY(w.timerRunShow->isActive());
        w.TrayIconLeftClick();
        QVERIFY(w.isVisible());

        // It comes back as it was put away, maximised or not.
        QVERIFY(!w.isMaximized());
        w.showMaximized();
        QVERIFY(!w.close());
        QVERIFY(w.isHidden());
        w.TrayIconLeftClick();
        QVERIFY(w.isVisible());
        QVERIFY(w.isMaximized());
    }

    void closeWithoutNotificationAreaMinimises()
    {
        m_trayAvailable = false;
        MainWindow& w = startedWindow(iniWithFreePort());
        w.show();
        QVERIFY(!w.close());
        QVERIFY(!w.isHidden()); // hidden, it could never be reached again
        QTRY_VERIFY(w.isMinimized());
        w.BringToFront();
        QTRY_VERIFY(!w.isMinimized());
        QVERIFY(!w.isMaximized());

        // Maximised, then minimised by a window manager that forgets the
        // maximised state: a second start brings it back maximised.
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(w.isMinimized());
        w.BringToFront();
        QTRY_VERIFY(w.isMaximized());
    }

    void trayRightClickPausesFirst()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        addSetCommand(QStringLiteral("CommandsForPause"), 1, 9, 9);
        m_trayAvailable = true;
        MainWindow& w = startedWindow(iniWithFreePort());
        m_session->switchShowOn(0);
        m_sent.clear();
        w.TrayIconRightClick();
        QCOMPARE(m_player->playState(), int(MediaPlayer::Paused));
        QVERIFY(sentTo(9, 9));
        QTRY_VERIFY(w.popmenuIcon->isVisible());
        w.popmenuIcon->close();

        // Not playing: the menu comes up and the player is left alone.
        m_player->calls.clear();
        w.TrayIconRightClick();
        QVERIFY(!m_player->calls.contains(QStringLiteral("pause")));
        w.popmenuIcon->close();
    }

    void singleInstance()
    {
        QTemporaryDir dir;
        SingleInstance first(QStringLiteral("tavolan-test"), dir.path());
        QVERIFY(first.tryBecomePrimary());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);

        SingleInstance second(QStringLiteral("tavolan-test"), dir.path());
        QVERIFY(!second.tryBecomePrimary());
        QVERIFY(second.activateRunningInstance());
        QTRY_COMPARE(activated.count(), 1);

        // Another key is another program; each program folder has its own.
        SingleInstance other(QStringLiteral("tavolan-other"), dir.path());
        QVERIFY(other.tryBecomePrimary());
        const QString site = dir.filePath(QStringLiteral("site"));
        QVERIFY(QDir().mkpath(site));
        QCOMPARE(SingleInstance::DefaultKey(site), SingleInstance::DefaultKey(site + QStringLiteral("/.")));
        SingleInstance siteCopy(SingleInstance::DefaultKey(site), dir.path());
        QVERIFY(siteCopy.tryBecomePrimary());
        SingleInstance otherFolder(SingleInstance::DefaultKey(dir.filePath(QStringLiteral("demo"))), dir.path());
        QVERIFY(otherFolder.tryBecomePrimary());
        SingleInstance sameFolder(SingleInstance::DefaultKey(site), dir.path());
        QVERIFY(!sameFolder.tryBecomePrimary());
    }

    void staleLockDoesNotBlock()
    {
        QTemporaryDir dir;
        SingleInstance probe(QStringLiteral("tavolan-test"), dir.path());

        // A lock in the exact form a live copy leaves, but naming a process
        // that has ended, as after a crash.
        QProcess gone;
        gone.start(QStringLiteral("true"), {});
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        {
            const QString template_ = dir.filePath(QStringLiteral("template.lock"));
            QLockFile live(template_);
            QVERIFY(live.tryLock(0));
            QFile t(template_);
            QVERIFY(t.open(QIODevice::ReadOnly));
            QList<QByteArray> lines = t.readAll().split('\n');
            lines[0] = QByteArray::number(deadPid);
            QFile stale(probe.lockFilePath());
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(lines.join('\n'));
        }
        // The dead copy's socket file is left behind too.
        QFile leftover(probe.serverName());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();

        QVERIFY(probe.tryBecomePrimary());
        QSignalSpy activated(&probe, &SingleInstance::activationRequested);
        SingleInstance later(QStringLiteral("tavolan-test"), dir.path());
        QVERIFY(!later.tryBecomePrimary());
        QVERIFY(later.activateRunningInstance());
        QTRY_COMPARE(activated.count(), 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
