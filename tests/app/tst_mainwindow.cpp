#include "addresssettings.h"
#include "busmonitorwindow.h"
#include "database.h"
#include "fakemediaplayer.h"
#include "inifile.h"
#include "mainwindow.h"
#include "manualpacingtimer.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "rawsql.h"
#include "scriptedmessages.h"
#include "showrunner.h"
#include "singleinstance.h"
#include "udpsocket.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>

#include <memory>

namespace {

struct SentCommand {
    int subnet, device, kind, first, second, third;
};

// A main window whose menu windows are scripted: each hook does what the test
// asks and reports the given result.
class HookedWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    std::function<void()> onShowSettings;
    OpenedWindowResult showSettingsResult;
    OpenedWindowResult addressResult;
    std::function<bool()> onAddress; // when set, decides whether the dialog saved
    std::function<OpenedWindowResult()> onFiringSettings;

protected:
    OpenedWindowResult openFiringSettingsDialog() override
    {
        return onFiringSettings ? onFiringSettings() : OpenedWindowResult();
    }
    OpenedWindowResult openShowSettingsWindow() override
    {
        if (onShowSettings)
            onShowSettings();
        return showSettingsResult;
    }
    OpenedWindowResult openAddressDialog() override
    {
        if (onAddress)
            return {false, onAddress()};
        return addressResult;
    }
};

} // namespace

// The main window's start-up, exit and notification-area behaviour, driven
// with a fake player and a recording bus sender on a throw-away program
// folder. Only the loopback network is ever used.
class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<MainWindow> m_window;
    FakeMediaPlayer* m_player = nullptr;
    ManualPacingTimer* m_timer = nullptr;
    QList<SentCommand> m_sent;
    QStringList m_hosts{QStringLiteral("127.0.0.1")};
    std::optional<bool> m_trayAvailable = false;
    quint16 m_askedPort = 0; // the port start-up opened the socket on
    quint16 m_heldPort = 0;  // a port the test holds, bound for real
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

    template <typename Window = MainWindow>
    Window& makeWindow()
    {
        m_player = new FakeMediaPlayer;
        MainWindowDependencies deps;
        deps.player = m_player;
        auto timer = std::make_unique<ManualPacingTimer>();
        m_timer = timer.get();
        deps.pacingTimer = std::move(timer);
        deps.sender = [this](quint8 s, quint8 d, quint8 k, quint16 a, quint16 b, quint16 c) {
            m_sent.append({s, d, k, a, b, c});
        };
        deps.hostAddresses = [this] { return m_hosts; };
        deps.trayAvailable = m_trayAvailable;
        deps.showWindow = false;
        deps.beforeSettingsReplace = [this] { return !m_settingsRefused; };
        deps.messages = m_messages.get();
        // The socket takes a port the system chooses, so that copies of the
        // window can start side by side; only a port the test holds itself
        // is bound as configured.
        deps.openSocket = [this](const QString& address, quint16 port, bool report) {
            m_askedPort = port;
            return InitUDPSocket(address, port == m_heldPort ? port : 0, report);
        };
        auto window = std::make_unique<Window>(std::move(deps));
        Window& made = *window;
        m_window = std::move(window);
        return made;
    }

    template <typename Window = MainWindow>
    Window& startedWindow(const QString& ini)
    {
        writeSystemIni(ini);
        Window& w = makeWindow<Window>();
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
        ResetPublicVariables();
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->isValid());
        m_messages = std::make_unique<ScriptedMessages>();
        m_sent.clear();
        m_hosts = {QStringLiteral("127.0.0.1")};
        m_trayAvailable = false;
        m_askedPort = m_heldPort = 0;
        m_settingsRefused = false;
    }

    void cleanup()
    {
        m_window.reset();
        m_player = nullptr;
        m_timer = nullptr;
        CloseUDPSocket();
        CloseDatabase();
        m_messages.reset();
        m_folder.reset();
        ResetPublicVariables();
    }

    void windowStructure()
    {
        MainWindow& w = makeWindow();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tavolan V1.4"));
        for (const char* name : {"panLeft", "wmp", "Splitter1", "panRight", "panLogo", "imgLogo", "panList",
                                 "panTitle", "lblTotal", "lsvShow", "statusbar", "timerRunShow", "popmenuIcon",
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
                               QStringLiteral("Firing Settings..."), QStringLiteral("Bus Monitor..."),
                               QStringLiteral("-"),
                               QStringLiteral("About..."), QStringLiteral("-"), QStringLiteral("Exit")};
        QCOMPARE(menuTexts(w.popmenuIcon), QStringList{QStringLiteral("Show Settings...")} + tail);
        QCOMPARE(menuTexts(w.popmenuShowList), QStringList{QStringLiteral("Add/Edit Show...")} + tail);
    }

    void firingSettingsReachTheRunner()
    {
        auto& w = startedWindow<HookedWindow>(iniWithFreePort(QStringLiteral("[Firing]\nMode=Precise\nOffsetMS=120\n")));
        FiringSettings precise{FiringSettings::Precise, 120};
        QCOMPARE(w.runner().firingSettings(), precise);

        // Saved in the dialog: the runner fires the new way at once.
        w.onFiringSettings = [] {
            WriteFiringSettings({FiringSettings::Tick, -50});
            return OpenedWindowResult{false, true};
        };
        w.FiringSettingsClick();
        QCOMPARE(w.runner().firingSettings(), (FiringSettings{FiringSettings::Tick, -50}));
        QCOMPARE(systemIni(QStringLiteral("firing"), QStringLiteral("offsetms")), QStringLiteral("-50"));

        // Cancelled: nothing changes.
        w.onFiringSettings = [] {
            WriteFiringSettings({FiringSettings::Precise, 0});
            return OpenedWindowResult{};
        };
        w.FiringSettingsClick();
        QCOMPARE(w.runner().firingSettings(), (FiringSettings{FiringSettings::Tick, -50}));
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
        QCOMPARE(int(mPublicVariable().UdpPort), expected);
        QCOMPARE(int(m_askedPort), expected);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:%1").arg(expected));
        QVERIFY(IsUDPSocketOpen());
        QVERIFY(w.timerRunShow->isActive());
        QCOMPARE(w.timerRunShow->interval(), 100);
        QVERIFY(!mPublicVariable().ClosingFlag);
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
        QCOMPARE(int(mPublicVariable().ProtocolGeneration), expected);
    }

    void addressAndStatusPanels()
    {
        // A configured address the host does not have is replaced by the
        // host's first one, and the file follows.
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        MainWindow& w = startedWindow(QStringLiteral("[Port]\nPort=15000\n[ip]\nip=10.20.30.40\n"
                                                          "[SubnetID]\nSubnetID=1\n[DeviceID]\nDeviceID=99\n"));
        const auto& pv = mPublicVariable();
        QCOMPARE(pv.LocalAddress, QStringLiteral("127.0.0.5"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.5"));
        QCOMPARE(pv.LocalOctets, (std::array<quint8, 4>{127, 0, 0, 5}));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:1 Device ID:99"));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("IP:127.0.0.5"));
        for (int panel = 3; panel < 6; ++panel)
            QCOMPARE(w.statusPanelText(panel), QString());
    }

    void knownAddressIsKept()
    {
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        startedWindow(iniWithFreePort());
        QCOMPARE(mPublicVariable().LocalAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.1"));
    }

    void unreadableSubnetKeepsTheConfiguredAddress()
    {
        // The address is not the host's first one: losing it would move the
        // program to another network.
        m_hosts = {QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.1")};
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[SubnetID]\nSubnetID=abc\n"
                                                                          "[IP]\nMUTE=1\nVOL=35\n")));
        const auto& pv = mPublicVariable();
        QCOMPARE(pv.LocalAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(systemIni(QStringLiteral("ip"), QStringLiteral("ip")), QStringLiteral("127.0.0.1"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));
        // The reading stopped at the subnet: the player keeps its own state.
        QVERIFY(!m_player->calls.contains(QStringLiteral("setMute:1")));
        QVERIFY(IsUDPSocketOpen());
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
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
        m_heldPort = holder.localPort();
        MainWindow& w =
            startedWindow(QStringLiteral("[Port]\nPort=%1\n[ip]\nip=127.0.0.1\n").arg(holder.localPort()));
        QVERIFY(mPublicVariable().ClosingFlag);
        QVERIFY(m_messages->texts().contains(QStringLiteral("Fail to initialize UDP socket!")));
        QVERIFY(!w.timerRunShow->isActive());
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
        QCOMPARE(mPublicVariable().ShowList.size(), 2);
        QCOMPARE(int(mPublicVariable().ShowList.at(0).UniversalSwitchID), 5);
        QVERIFY(m_player->url().isEmpty()); // filling the list chose nothing

        // Choosing a row plays its show; playing sends the play set and goes
        // full screen.
        w.lsvShow->setCurrentItem(w.lsvShow->topLevelItem(1));
        QCOMPARE(m_player->url(), QStringLiteral("/media/finale.avi"));
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        QCOMPARE(mPublicVariable().CurrentShowID, 2);
        QVERIFY(sentTo(7, 8));
        QVERIFY(!m_player->fullScreen()); // not before the play set has gone out
        m_timer->runOut();
        QVERIFY(m_player->fullScreen());
        QVERIFY(w.lsvShow->isEnabled());

        // The bus selects rows through the same path.
        w.selectShowRow(0);
        QCOMPARE(m_player->url(), QStringLiteral("/media/opening.avi"));
        QCOMPARE(mPublicVariable().CurrentShowIndex, 0);
        w.stopPlayer();
        QCOMPARE(m_player->playState(), int(MediaPlayer::Stopped));
        // Selecting the row that is already selected still means "this show".
        w.selectShowRow(0);
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        w.selectShowRow(17); // no such row: nothing happens
        QCOMPARE(mPublicVariable().CurrentShowIndex, 0);
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
        w.selectShowRow(0);
        m_player->playTo(0.5);
        w.runner().tick();
        m_timer->advance(6000);
        QVERIFY(w.sequencer().isBusy());
        const qsizetype before = m_sent.size();
        QVERIFY(before > 100);

        w.stopPlayer(); // as the bus's switch-off does
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
        w.selectShowRow(0);
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
        w.selectShowRow(1);
        QVERIFY(sentTo(7, 8));
        QCOMPARE(w.statusPanelText(MainWindow::PlayProblemPanel), QString());
    }

    void menuWindowsReportWhatChanged()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        HookedWindow& w = startedWindow<HookedWindow>(iniWithFreePort());
        QCOMPARE(w.lsvShow->topLevelItemCount(), 1);
        w.onShowSettings = [this] { addShow(2, QStringLiteral("Finale"), QStringLiteral("/media/finale.avi")); };

        // A window that reports no change leaves the list alone ...
        w.ShowSettingsClick();
        QCOMPARE(w.lsvShow->topLevelItemCount(), 1);
        // ... one that does has it read again.
        w.onShowSettings = {};
        w.showSettingsResult.showListChanged = true;
        w.ShowSettingsClick();
        QCOMPARE(w.lsvShow->topLevelItemCount(), 2);
        QCOMPARE(w.lblTotal->text(), QStringLiteral("2"));

        // A saved address dialog has the status panels written anew.
        mPublicVariable().SubnetID = 9;
        w.AddressSettingsClick();
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));
        w.addressResult.saved = true;
        w.AddressSettingsClick();
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:9 Device ID:0"));
    }

    void editsToThePlayingShowReachTheRunner()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        HookedWindow& w = startedWindow<HookedWindow>(iniWithFreePort());
        w.selectShowRow(0);
        m_timer->runOut();
        m_sent.clear();
        // The show settings window adds a time point at 5 s with one command.
        w.onShowSettings = [] {
            QVERIFY(RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,"
                                          "SecondOfTimePoint) values(1,1,5)")));
            QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,"
                                          "SequenceNo,SubnetID,DeviceID,CommandTypeID,FirstParameter,"
                                          "SecondParameter,ThirdParameter,DelayMS) "
                                          "values(1,1,1,1,3,4,1,1,100,0,0)")));
        };
        w.showSettingsResult.showListChanged = true;
        const QStringList callsBefore = m_player->calls;
        w.ShowSettingsClick();
        QCOMPARE(m_player->calls, callsBefore); // playback goes on untouched
        m_player->playTo(5.4);
        QMetaObject::invokeMethod(w.timerRunShow, "timeout");
        QVERIFY(sentTo(3, 4));
    }

    void statusBarFollowsThePortInUse()
    {
        HookedWindow& w = startedWindow<HookedWindow>(iniWithFreePort());
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:15000"));
        // The dialog's save sequence, with a port the system chose standing
        // in for the Orvane port.
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        AddressSettings::Ports ports{15000, holder.localPort()};
        w.onAddress = [&] {
            return AddressSettings(*m_messages, ports).save(QStringLiteral("4"), QStringLiteral("5"), true) ==
                   AddressSettings::SaveResult::Saved;
        };

        // The port is held elsewhere: the panels keep what is in use.
        w.AddressSettingsClick();
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(w.statusPanelText(0), QStringLiteral("Ready,Port:15000"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Subnet ID:0 Device ID:0"));

        holder.close();
        w.AddressSettingsClick();
        QCOMPARE(UDPSocketPort(), ports.orvane);
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
        QVERIFY(CurrentBusObserver());
        monitor->close();
        QTRY_VERIFY(!w.busMonitor());
        QVERIFY(!CurrentBusObserver());
    }

    // A program folder can ask for the monitor from the start.
    void busMonitorOpenAtStart()
    {
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[Monitor]\nOpenAtStart=1\n")));
        QVERIFY(w.busMonitor());
        QVERIFY(w.busMonitor()->isVisible());
        QVERIFY(CurrentBusObserver());
    }

    void exitOnYes()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        addSetCommand(QStringLiteral("CommandsForStop"), 1, 3, 4);
        MainWindow& w = startedWindow(iniWithFreePort(QStringLiteral("[IP]\nMUTE=1\nVOL=35\n")));
        w.selectShowRow(0);
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        m_player->setMute(false);
        m_player->setVolume(70);

        QSignalSpy ended(&w, &MainWindow::programEnded);
        m_messages->answerNext(MessageAnswer::Yes);
        m_sent.clear();
        QVERIFY(w.ExitProgram());

        QCOMPARE(m_messages->shown.last().text, QStringLiteral("Are you sure you want to exit?"));
        QCOMPARE(m_messages->shown.last().kind, ScriptedMessages::Shown::Question);
        QVERIFY(mPublicVariable().ClosingFlag);
        QVERIFY(!w.timerRunShow->isActive());
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
        w.selectShowRow(0);
        m_player->setVolume(70);
        QSignalSpy ended(&w, &MainWindow::programEnded);

        QFETCH(int, answer);
        m_messages->answerNext(MessageAnswer(answer));
        QVERIFY(!w.ExitProgram());
        QVERIFY(!mPublicVariable().ClosingFlag);
        QVERIFY(w.timerRunShow->isActive());
        QCOMPARE(m_player->playState(), int(MediaPlayer::Playing));
        QVERIFY(!m_player->calls.contains(QStringLiteral("release")));
        QCOMPARE(systemIni(QStringLiteral("IP"), QStringLiteral("VOL")), QStringLiteral("35"));
        QVERIFY(IsUDPSocketOpen());
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
        QVERIFY(!mPublicVariable().ClosingFlag);
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
    }

    void trayRightClickPausesFirst()
    {
        addShow(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        addSetCommand(QStringLiteral("CommandsForPause"), 1, 9, 9);
        m_trayAvailable = true;
        MainWindow& w = startedWindow(iniWithFreePort());
        w.selectShowRow(0);
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

        // Another key is another program.
        SingleInstance other(QStringLiteral("tavolan-other"), dir.path());
        QVERIFY(other.tryBecomePrimary());
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
