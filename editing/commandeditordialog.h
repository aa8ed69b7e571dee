#pragma once

#include "commandgridmodel.h"

#include <QDialog>
#include <QMap>
#include <QTableWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

// The grid of the command editor. Its cells are only shown, never typed
// into; it tells when its cells move under the floating editors.
class CommandGridView : public QTableWidget {
    Q_OBJECT
public:
    explicit CommandGridView(QWidget* parent = nullptr);

Q_SIGNALS:
    // The cells moved within the view (scrolled) or the view changed size.
    void cellsMoved();
    void viewResized();

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
};

// "Modify commands": the checked commands of a list side by side, one row
// each, edited through editors laid over the selected row's cells. The
// rules live in CommandGridModel; this window shows its state and hands it
// the operator's actions.
class CommandEditorDialog : public QDialog {
    Q_OBJECT
public:
    CommandEditorDialog(MessagePresenter& messages, const SettingsFiles& files, const LookupLists& lookups,
                        QWidget* parent = nullptr);

    // Loads the checked commands (CommandIDs) of the list. No checked
    // command: an empty grid.
    void LoadCheckedCommands(const NamedCommandList& list, const QList<int>& checkedIds);

    CommandGridModel& model() { return m_model; }
    // The widget of an editor; for List, the list of the model's lookup.
    QWidget* editorWidget(GridEditor editor) const;
    // The column an editor is laid over.
    static int EditorColumn(GridEditor editor);

    CommandGridView* strgrd = nullptr;
    QLabel* lblFirst = nullptr;
    QLabel* lblFirstValue = nullptr;
    QLabel* lblSecond = nullptr;
    QLabel* lblSecondValue = nullptr;
    QFrame* panRunTime = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnClose = nullptr;

public Q_SLOTS:
    // Close (also the title bar's button and Escape): asks about unsaved rows.
    void reject() override;
    void bitbtnSaveClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createEditors();
    QComboBox* createList(QWidget* parent, ParameterLookup lookup);
    void setColumnWidths();
    void placeEditors();
    void renderRows();
    void renderCell(int row, int column);
    void renderEditor(GridEditor editor);
    void renderContext();
    void strgrdSelectCell(int row, int column, int previousRow, int previousColumn);
    void editorTyped(GridEditor editor, const QString& text);

    CommandGridModel m_model;
    std::array<QWidget*, GridEditorCount> m_editors{}; // none for List
    QMap<ParameterLookup, QComboBox*> m_lists;
    std::array<QCheckBox*, 5> m_syncBoxes{};
    QLabel* m_timeColon = nullptr;
    bool m_rendering = false;
};

// Opens the window modally over the checked commands of the list; true when
// it saved.
bool RunCommandEditorDialog(QWidget* parent, MessagePresenter& messages, const SettingsFiles& files,
                            const LookupLists& lookups, const NamedCommandList& list, const QList<int>& checkedIds);
