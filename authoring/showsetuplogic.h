#pragma once

#include "commandlistops.h"
#include "showstore.h"

#include <QString>
#include <QVector>

#include <functional>

class CommandSequencer;
class FileChooser;
class MediaPlayer;
class MessagePresenter;
class QWidget;

// What the show settings window does, without widgets: the list of shows,
// the time points of the current show, the commands of the current time
// point (through CommandListOperations), the on-site preview, and the show
// and time point operations. The window renders its state after changed()
// and forwards the operator's clicks and keys here.
class ShowSetupLogic {
public:
    // The dialogs the window opens, each returning true when it saved.
    using ShowNameCheck = std::function<bool(int mode, const QString& name, const QString& showId)>;
    struct Dialogs {
        std::function<bool(QWidget*, int mode, const QString& showId, const ShowNameCheck&)> addEditShow;
        std::function<bool(QWidget*, const QString& showId, const QString& showName, const QString& timePointId,
                           const QString& remark)>
            modifyTimePoint;
        CommandListOperations::Dialogs commands;
        // "Export Show..." and "Import Show...": the file dialogs, and the
        // settings files an imported show's Show.ini entry goes into.
        // Without them the two entries say they are not available here.
        FileChooser* files = nullptr;
        SettingsFiles* writableSettings = nullptr;
    };

    // Refusals, questions and failures go through the presenter; the shows'
    // names and media paths and the command texts come from the settings
    // files, the names of the commands' lists from the lookup lists; copy
    // and paste go through the clipboard.
    ShowSetupLogic(MediaPlayer& player, CommandSequencer& sequencer, MessagePresenter& messages,
                   const SettingsFiles& settings, const LookupLists& lookups, CommandClipboard& clipboard,
                   Dialogs dialogs, QWidget* owner = nullptr);
    ~ShowSetupLogic();

    // "0:1:15" for 75 seconds: hours, minutes and seconds without leading zeros.
    static QString FormatTimePoint(qint64 seconds);

    // ---- State ------------------------------------------------------------
    QString CurShowID;
    QString CurShowName;
    QString CurTimePointID;
    QString CurTimePointText;
    QString CurTimePointRemark;

    const QVector<ShowStore::ShowRow>& shows() const { return m_shows; }
    const QVector<TTimePoint>& timePoints() const { return m_timePoints; }
    int selectedShowRow() const { return m_selectedShow; }
    int selectedTimePointRow() const { return m_selectedTimePoint; }
    QString currentShowLabel() const { return m_showLabel; }
    QString currentTimePointLabel() const { return m_timePointLabel; }
    bool previewOn() const { return m_previewOn; }
    CommandListOperations& commands() { return m_commands; }
    MediaPlayer& player() { return m_player; }
    // Shows, time points or their commands were written while the window
    // was open: the main window reads its show list again.
    bool storedDataChanged() const { return m_storedDataChanged || m_commands.showCommandsChanged(); }

    // The six cells of a show row and the three of a time point row.
    static QStringList ShowRowTexts(const ShowStore::ShowRow& show);
    static QStringList TimePointRowTexts(const TTimePoint& point);

    // Called after the show or time point list, a selection or a label changed.
    std::function<void()> changed;
    // Called with true when a preview starts on its way and with false when
    // the last one has gone out (the window shows a busy cursor meanwhile).
    std::function<void(bool)> previewBusy;

    // ---- Lists --------------------------------------------------------------
    void LoadShowList(bool reselect);
    void LoadTimePoints(const QString& showId);
    void LoadTimePointCommands();
    bool RequireCurrentShow();
    bool ShowNameExists(int mode, const QString& name, const QString& showId) const;

    // ---- Events -------------------------------------------------------------
    // A click on a show row (-1: the empty area).
    void showClicked(int row);
    // A click on a time point row, or the row Up or Down moved to.
    void timePointClicked(int row);
    void SelectTimePoint();
    void setPreviewOn(bool on);
    void PreviewTimePoint();

    // ---- Shows -------------------------------------------------------------
    bool addShow();
    bool editShow();
    bool deleteShow();
    // Writes the current show into a .tavshow file the operator names,
    // asking whether its media file goes along.
    bool exportShow();
    // Reads a .tavshow file the operator chooses, shows what it holds and
    // what clashes, and on Yes imports it as a new show and selects it.
    bool importShow();
    // Stops the player when it is busy; with release, lets go of it too.
    void StopPlayer(bool release);

    // ---- Time points ---------------------------------------------------------
    // "Pause  and Add Time Point": pauses, adds a time point at the whole
    // second the player reports and leaves the player on the start of that
    // second, so that what it shows is the time point added (or the one
    // already there).
    bool captureTimePoint();
    bool editTimePoint();
    bool deleteTimePoint();

    // Asked for a snapshot before a show, time point or commands are deleted
    // or commands pasted (not owned; none when null).
    void setSnapshots(SnapshotRequester* snapshots);
    // Every write of a show, time point or commands is recorded as one step
    // of the history (not owned; nothing is recorded when null).
    void setHistory(UndoHistory* history);

    // ---- Undo --------------------------------------------------------------
    // Undoes or redoes the history's last step, telling why when it cannot;
    // the lists are read afresh, the current show and time point kept where
    // they still exist. True when it went through.
    bool undo();
    bool redo();

private:
    void clearCurrentTimePoint();
    void pausePlaying();
    bool undoStep(bool redo);
    void notify();

    MediaPlayer& m_player;
    CommandSequencer& m_sequencer;
    MessagePresenter& m_messages;
    const SettingsFiles& m_settings;
    Dialogs m_dialogs;
    QWidget* m_owner;
    SnapshotRequester* m_snapshots = nullptr;
    UndoHistory* m_history = nullptr;
    CommandListOperations m_commands;
    QVector<ShowStore::ShowRow> m_shows;
    QVector<TTimePoint> m_timePoints;
    int m_selectedShow = -1;
    int m_selectedTimePoint = -1;
    QString m_showLabel;
    QString m_timePointLabel;
    bool m_previewOn = false;
    bool m_storedDataChanged = false;
    int m_previewsOnTheirWay = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
