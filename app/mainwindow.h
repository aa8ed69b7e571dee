#pragma once

#include "commandlist.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class BusMonitorWindow;
class FileChooser;
class MessagePresenter;
class CommandSequencer;
class MediaPlayer;
class ProgramSession;
class QFrame;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;
class ShowRunner;

// What a window or dialog opened from the menus reported when it closed.
struct OpenedWindowResult {
    bool showListChanged = false; // shows were added, changed or removed
    bool saved = false;           // the dialog was closed with Save
};

// The windows the menus open, each reporting what it did when it closed. An
// empty one opens the program's own window; tests script them.
struct MenuWindows {
    std::function<OpenedWindowResult()> showSettings;
    std::function<OpenedWindowResult()> playSettings;
    std::function<OpenedWindowResult()> addressDialog;
    std::function<OpenedWindowResult()> firingSettings;
    std::function<OpenedWindowResult()> remoteControl;
    std::function<OpenedWindowResult()> restoreBackup;
};

// What the main window uses beside the session. Everything has a default
// for the real program; tests replace what they need.
struct MainWindowDependencies {
    // Whether the desktop has a notification area; asked of the desktop
    // when unset.
    std::optional<bool> trayAvailable;
    // Start-up shows the window maximised; tests keep it hidden.
    bool showWindow = true;
    MenuWindows windows;
    // What the windows opened from the menus ask for a file to open; a
    // QtFileChooser of the window's own when null.
    FileChooser* files = nullptr;
    // How the window and what it opens talk to the operator; message boxes
    // of the window's own when null.
    MessagePresenter* messages = nullptr;
};

// The main window: the media player on the left, the list of shows on the
// right, a status bar with the program's bus address, port and network
// address. It shows the program session and forwards the operator's
// actions to it. Closing it hides it in the notification area; the program
// ends only through Exit.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    using Dependencies = MainWindowDependencies;

    // The session's player gives the window its video widget.
    explicit MainWindow(ProgramSession& session, Dependencies deps = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: the layout file, then the session's start-up
    // (database, settings, show list, own address, bus link, show timer),
    // the status bar, the notification-area icon and the window. False when
    // the bus link could not be opened: the operator has been told and the
    // program must end.
    bool FormCreate();

    // Exit: asks first; on Yes the session ends (nothing more is sent, mute
    // state and volume are written to System.ini), the icon goes and the
    // program ends. False when the operator did not answer Yes (everything
    // keeps running).
    bool ExitProgram();

    // Switches on the show of the selected row (also on a double click).
    void ChooseSelectedShow();

    // The notification-area icon's clicks.
    void TrayIconLeftClick();
    void TrayIconRightClick();

    // A later copy of the program asked for the window.
    void BringToFront();

    ProgramSession& session() const { return m_session; }
    MediaPlayer& player() const;
    CommandSequencer& sequencer() const;
    ShowRunner& runner() const;
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
    // Says how to start while the show list is empty.
    QLabel* lblEmptyHint = nullptr;
    QTreeWidget* lsvShow = nullptr;
    QTimer* timerRunShow = nullptr; // the session's show timer
    QMenu* popmenuIcon = nullptr;
    QMenu* popmenuShowList = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;

Q_SIGNALS:
    // Exit has finished; the program's event loop should end.
    void programEnded();
    // The remote control settings were saved in System.ini; whoever runs
    // remote control applies them now.
    void remoteSettingsSaved();

public Q_SLOTS:
    // Menu items of both popup menus.
    void ShowSettingsClick();
    void PlaySettingsClick();
    void AddressSettingsClick();
    void FiringSettingsClick();
    void RemoteControlClick();
    void RestoreBackupClick();
    // Opens the bus monitor, or brings the open one forward. It stays open
    // beside the window until the operator closes it.
    void BusMonitorClick();
    void AboutClick();
    void ExitClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The program's own windows behind the menus.
    OpenedWindowResult openShowSettingsWindow();
    OpenedWindowResult openPlaySettingsWindow();
    OpenedWindowResult openAddressDialog();
    OpenedWindowResult openFiringSettingsDialog();
    OpenedWindowResult openRemoteControlDialog();
    OpenedWindowResult openRestoreBackupDialog();
    // The bus monitor window, made if it is not open; not shown yet.
    void createBusMonitor();

    void buildWindow();
    QMenu* buildPopupMenu(const char* name, const QString& firstItem);
    void sizeShowColumns();
    void fillShowList();
    void selectCurrentShow(int index);
    void writeStatusPanels();
    void setPanelText(int panel, const QString& text);
    void writePortPanel();
    void addTrayIcon();
    void showPlayProblem(const QString& text);
    void showSettingsNotSaved(const QString& text);

    ProgramSession& m_session;
    Dependencies m_deps;
    std::unique_ptr<FileChooser> m_ownFiles;
    std::unique_ptr<MessagePresenter> m_ownMessages;
    QPointer<BusMonitorWindow> m_busMonitor;
    // Commands copied in the show settings or play settings window, for
    // pasting in either.
    CommandClipboard m_clipboard;
    QList<QLabel*> m_statusPanels;
    bool m_exiting = false;
    // Whether the window was maximised when it was last on screen: a
    // window manager may forget it while the window is minimised.
    bool m_restoreMaximized = false;
};
