#pragma once

#include "commandlist.h"
#include "parameterrules.h"
#include "records.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>

class MessagePresenter;
struct LookupLists;
struct SettingsFiles;

// The state of the command editor grid without its widgets: the rows of
// display texts, which rows were changed, the current row, and the floating
// editors laid over the selected row (which show, what they hold). The
// window renders this state and feeds the operator's actions back in; every
// rule of the grid lives here.
//
// Rows are numbered from 1 as on screen (row 0 holds the headings);
// columns 1 to 10, column 0 stays empty.

enum CommandGridColumn {
    ColCommandID = 1,
    ColOrder = 2,
    ColRemark = 3,
    ColSubNetID = 4,
    ColDeviceID = 5,
    ColType = 6,
    ColFirstPara = 7,
    ColSecondPara = 8,
    ColThirdPara = 9,
    ColDelay = 10,
};
constexpr int CommandGridColumns = 11;

// The floating editors, in keyboard order. List is the list of names of the
// row kind's lookup (listLookup()); each lookup's list keeps its own choice.
enum class GridEditor {
    SubNetID,
    DeviceID,
    Type,
    FirstPara,
    SecondPara,
    Minute,
    Second,
    List,
    OrderID,
    Remark,
    Delay,
};
constexpr int GridEditorCount = 11;

// The check boxes that apply a change to every row at once.
enum class SyncBox { SubNetID, DeviceID, Kind, ThirdPara, Delay };

// What saving the changed rows came to; reason is the database's own text.
struct GridWriteResult {
    bool ok = true;
    QString reason;
};
// Writes the changed commands, all or none.
using CommandRowsWriter =
    std::function<GridWriteResult(const ShowStore::CommandTarget&, const QList<TControlObject>&)>;
// Updates each command (by its CommandID) through the show store, in one
// transaction.
GridWriteResult WriteCommandRows(const ShowStore::CommandTarget& target, const QList<TControlObject>& rows);

class CommandGridModel : public QObject {
    Q_OBJECT
public:
    // Refusals, failed saves and the question on closing go through the
    // presenter; headings, kind names and parameter descriptions come from
    // the language file of the settings files, the kinds and the names of a
    // parameter's list from the lookup lists.
    CommandGridModel(MessagePresenter& messages, const SettingsFiles& files, const LookupLists& lookups,
                     QObject* parent = nullptr);

    const LookupLists& lookups() const { return m_lookups; }

    // Column headings (language file) and width shares of the data columns.
    QString ColumnHeader(int column) const;
    static double ColumnShare(int column);
    // The object name of an editor (of a lookup's list for List) or check
    // box, and the keyboard order of the window's controls by object name.
    static QString EditorName(GridEditor editor, ParameterLookup list = ParameterLookup::None);
    static QString SyncBoxName(SyncBox box);
    static QStringList TabOrder();

    void setWriter(CommandRowsWriter writer) { m_writer = std::move(writer); }

    // Loads the commands of the target whose IDs are listed, in the order
    // the command list shows them; every command of the set when the list
    // is empty. Returns the number of rows.
    int LoadCheckedCommands(const NamedCommandList& list, const QList<int>& checkedIds);
    // Loads rows as a command list shows them: the CommandID and the nine
    // texts after it.
    void LoadRows(const NamedCommandList& list, const QList<QStringList>& listRows);

    const ShowStore::CommandTarget& target() const { return m_target; }
    // The context line: "Current Show:" and the show name, "Current Time
    // Point:" and its text; or "Current mode:" and the set's name alone.
    QString firstCaption() const { return m_captions.firstCaption; }
    QString firstValue() const { return m_captions.firstValue; }
    QString secondCaption() const { return m_captions.secondCaption; }
    QString secondValue() const { return m_captions.secondValue; }
    bool secondLineVisible() const { return m_target.setCode == CommandsForShowSet; }

    int rowCount() const { return int(m_rows.size()); }
    QString cell(int row, int column) const;
    bool RowModified(int row) const;
    bool anyRowModified() const;
    int currentRow() const { return m_currentRow; }

    bool editorVisible(GridEditor editor) const { return state(editor).visible; }
    QString editorText(GridEditor editor) const;
    // The selection of a list editor, -1 for none.
    int editorIndex(GridEditor editor) const;
    // The choices of a list editor, in list order.
    QStringList EditorItems(GridEditor editor) const;
    static bool IsListEditor(GridEditor editor);
    // The lookup whose names List offers.
    ParameterLookup listLookup() const { return m_listLookup; }

    bool syncChecked(SyncBox box) const { return m_sync[int(box)]; }

    // ---- What the operator does ----
    // A cell is about to be selected; false when the selection is refused.
    bool SelectCell(int row, int column);
    // A box's text changed (every keystroke).
    void EditText(GridEditor editor, const QString& text);
    // A list's choice changed.
    void ChooseItem(GridEditor editor, int index);
    // An editor lost the keyboard focus.
    void LeaveEditor(GridEditor editor);
    void SetSyncChecked(SyncBox box, bool checked);
    // A click on the window's background.
    void ClickBackground();
    // Save: true when everything was written and the window is to close.
    bool Save();
    // A Save went through (from the button or when closing).
    bool saved() const { return m_saved; }
    // The window is asked to close: true when it may.
    bool CloseQuery();

    // ---- The window's own undo ----
    // Every action above that changed rows is one step (typing into one box
    // is one step until another action); undo and redo put the rows back as
    // they were and close the editors, for a row to be selected anew.
    // Nothing is written until Save.
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    void Undo();
    void Redo();

    void CommitEditors();
    void HideEditors();
    // Rewrites the parameter cells of one row (or of all rows when row is 0)
    // for the kind; rows are not marked.
    void DeriveParameters(int kind, int row = 0);

Q_SIGNALS:
    void rowsReset();
    void cellChanged(int row, int column);
    void editorChanged(GridEditor editor);
    void currentRowChanged(int row);

private:
    struct EditorState {
        bool visible = false;
        QString text;
        int index = -1;
    };
    struct Row {
        QStringList cells;   // CommandGridColumns texts
        bool modified = false;
        int storedKind = -1; // the kind the command had when loaded, -1 when unknown
        bool operator==(const Row&) const = default;
    };
    // Around an action of the operator: a step when the outermost one
    // changed rows. Typing (merge set) into the same box as the step before
    // adds to that step.
    class ActionStep {
    public:
        explicit ActionStep(CommandGridModel& model, int merge = -1);
        ~ActionStep();

    private:
        CommandGridModel& m_model;
        int m_merge;
        bool m_outermost;
        QVector<Row> m_before;
    };
    void putRows(const QVector<Row>& rows);

    EditorState& state(GridEditor e) { return m_editors[size_t(e)]; }
    const EditorState& state(GridEditor e) const { return m_editors[size_t(e)]; }
    bool rowsLoaded() const { return !m_rows.isEmpty(); }
    bool validRow(int row) const { return row >= 1 && row <= rowCount(); }
    int rowKind(int row) const;

    void setCell(int row, int column, const QString& text);
    void markRow(int row);
    void showEditor(GridEditor e, bool visible);
    // Puts a text into a box as the program does; a different text counts
    // as an edit.
    void fillEditor(GridEditor e, const QString& text);
    // Puts a text into a box without counting it as an edit.
    void putEditor(GridEditor e, const QString& text);
    void selectItem(GridEditor e, int index);
    void changed(GridEditor e);

    // Shows the parameter editors of a kind and hides the others.
    void showParameterEditors(int kind, ParameterEditors shown);
    void leaveTextBox(GridEditor e);
    void leaveList();
    void leaveTimeBoxes();
    void typeChanged();
    // Writes the kind's default parameter cells into the row.
    void giveKindDefaults(int kind, int row);
    void syncRunningTime();
    int kindForSave(int row) const;
    // The first column of a row whose shown text would not be stored as it
    // is shown; 0 when the whole row would.
    int unstorableColumn(int row) const;
    TControlObject rowForSave(int row) const;

    MessagePresenter& m_messages;
    const SettingsFiles& m_files;
    const LookupLists& m_lookups;
    ShowStore::CommandTarget m_target = ShowStore::CommandTarget::set(CommandsForPlaySet);
    CommandListCaptions m_captions;
    QVector<Row> m_rows;
    int m_currentRow = 0;
    bool m_saved = false;
    std::array<EditorState, GridEditorCount> m_editors;
    ParameterLookup m_listLookup = ParameterLookup::None;
    QMap<ParameterLookup, int> m_listIndex; // the choice of each lookup's list
    std::array<bool, 5> m_sync{};
    CommandRowsWriter m_writer = WriteCommandRows;
    QVector<QVector<Row>> m_undo;
    QVector<QVector<Row>> m_redo;
    int m_actionDepth = 0;
    int m_lastMerge = -1; // the box the last step was typed into, -1 for none
};
