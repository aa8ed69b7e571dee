#pragma once

#include "commandsequencer.h"
#include "inifile.h"
#include "showswitchtarget.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class BusMonitorWindow;
class BusReceiver;
class FileChooser;
class MediaPlayer;
class MessagePresenter;
class QFrame;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class ShowRunner;

// What the main window uses from outside. Everything has a default for the
// real program; tests replace what they need.
struct MainWindowDependencies {
    // Taken over by the window; a QtMediaPlayer when null.
    MediaPlayer* player = nullptr;
    // How commands reach the bus; SendCommand when empty.
    CommandSequencer::Sender sender;
    // The host's own IPv4 addresses; GetLocalAddresses() when empty.
    std::function<QStringList()> hostAddresses;
    // Whether the desktop has a notification area; asked of the desktop
    // when unset.
    std::optional<bool> trayAvailable;
    // Paces the commands the window sends; a QtPacingTimer when null.
    // Tests give a manual timer and step time by hand.
    std::unique_ptr<PacingTimer> pacingTimer;
    // Start-up shows the window maximised; tests keep it hidden.
    bool showWindow = true;
    // Opens the program's UDP socket at start-up; InitUDPSocket when empty.
    // Tests bind a port the system chooses instead of the configured one.
    std::function<bool(const QString& localAddress, quint16 port, bool reportFailure)> openSocket;
    // Given to the settings files start-up opens; tests make their writes
    // fail.
    IniFile::BeforeReplaceHook beforeSettingsReplace;
    // What the windows opened from the menus ask for a file to open; a
    // QtFileChooser of the window's own when null.
    FileChooser* files = nullptr;
    // How the window and what it opens talk to the operator; message boxes
    // of the window's own when null.
    MessagePresenter* messages = nullptr;
};

// What a window or dialog opened from the menus reported when it closed.
struct OpenedWindowResult {
    bool showListChanged = false; // shows were added, changed or removed
    bool saved = false;           // the dialog was closed with Save
};

// The main window: the media player on the left, the list of shows on the
// right, a status bar with the program's bus address, port and network
// address. Closing it hides it in the notification area; the program ends
// only through Exit.
class MainWindow : public QMainWindow, public ShowSwitchTarget {
    Q_OBJECT
public:
    using Dependencies = MainWindowDependencies;

    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(Dependencies deps, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: layout file, database, settings files, show
    // list, lookup lists, System.ini settings, local address, status bar,
    // UDP socket, receiver, notification-area icon, show timer. False when
    // the socket could not be bound: the operator has been told, ClosingFlag
    // is set and the program must end.
    bool FormCreate();

    // Exit: asks first; on Yes stops the timer and the receiver, sets
    // ClosingFlag, writes the player's mute state and volume to System.ini,
    // removes the icon, stops the player and ends. False when the operator
    // did not answer Yes (everything keeps running).
    bool ExitProgram();

    // Rebuilds the show list from the database and Show.ini.
    void ReloadShowList();

    // Plays the show of the selected row (also on a double click).
    void ChooseSelectedShow();

    // The notification-area icon's clicks.
    void TrayIconLeftClick();
    void TrayIconRightClick();

    // A later copy of the program asked for the window.
    void BringToFront();

    // ShowSwitchTarget: what a universal-switch command does to the window.
    void selectShowRow(int index) override;
    void playPlayer() override;
    void stopPlayer() override;

    MediaPlayer& player() const { return *m_player; }
    CommandSequencer& sequencer() const { return *m_sequencer; }
    ShowRunner& runner() const { return *m_runner; }
    bool isTrayAvailable() const;
    // The open bus monitor, or null.
    BusMonitorWindow* busMonitor() const;
    QString statusPanelText(int panel) const;

    // The status panel that tells the operator why a show's media did not
    // play; empty while the last media played.
    static constexpr int PlayProblemPanel = 4;
    // The status panel that tells the operator a setting could not be
    // written to System.ini (its tool tip says which and where).
    static constexpr int SettingsProblemPanel = 3;

    // Controls, named as the rest of the program knows them.
    QFrame* panLeft = nullptr;
    QFrame* Splitter1 = nullptr;
    QFrame* panRight = nullptr;
    QFrame* panLogo = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* imgLogo2 = nullptr;
    QFrame* panList = nullptr;
    QFrame* panTitle = nullptr;
    QLabel* lblTotal = nullptr;
    QTreeWidget* lsvShow = nullptr;
    QTimer* timerRunShow = nullptr;
    QMenu* popmenuIcon = nullptr;
    QMenu* popmenuShowList = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;

Q_SIGNALS:
    // Exit has finished; the program's event loop should end.
    void programEnded();

public Q_SLOTS:
    // Menu items of both popup menus.
    void ShowSettingsClick();
    void PlaySettingsClick();
    void AddressSettingsClick();
    void FiringSettingsClick();
    // Opens the bus monitor, or brings the open one forward. It stays open
    // beside the window until the operator closes it.
    void BusMonitorClick();
    void AboutClick();
    void ExitClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The windows the menus open, each returning what it reported. The
    // authoring windows and the address dialog plug in here; until then
    // these open nothing and report nothing.
    virtual OpenedWindowResult openShowSettingsWindow();
    virtual OpenedWindowResult openPlaySettingsWindow();
    virtual OpenedWindowResult openAddressDialog();
    virtual OpenedWindowResult openFiringSettingsDialog();

private:
    void buildWindow();
    QMenu* buildPopupMenu(const char* name, const QString& firstItem);
    void sizeShowColumns();
    void applySettings();
    void chooseLocalAddress(const QString& configuredIp);
    void writeStatusPanels();
    void setPanelText(int panel, const QString& text);
    void writePortPanel();
    void addTrayIcon();
    void reportPlayFailure(const QString& reason);
    void reportSettingsNotSaved(const QString& what);

    Dependencies m_deps;
    std::unique_ptr<FileChooser> m_ownFiles;
    std::unique_ptr<MessagePresenter> m_ownMessages;
    MediaPlayer* m_player = nullptr;
    std::unique_ptr<CommandSequencer> m_sequencer;
    std::unique_ptr<ShowRunner> m_runner;
    std::unique_ptr<BusReceiver> m_receiver;
    QPointer<BusMonitorWindow> m_busMonitor;
    QList<QLabel*> m_statusPanels;
    bool m_exiting = false;
};
