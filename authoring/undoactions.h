#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;
class UndoHistory;

// "Undo <step>" and "Redo <step>" of an authoring window: Ctrl+Z, and
// Ctrl+Shift+Z or Ctrl+Y, anywhere in the window, and the same two entries
// at the top of its popup menus, each named by the step it would take and
// greyed out while there is none.
class UndoActions : public QObject {
    Q_OBJECT
public:
    UndoActions(QWidget* window, std::function<void()> undo, std::function<void()> redo);

    // The history the entries are named from (not owned; none: both greyed).
    void setHistory(UndoHistory* history);
    // Puts the two entries at the top of the menu, above a separator.
    void addTo(QMenu* menu);

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

private:
    void rename();

    QAction* m_undo;
    QAction* m_redo;
    UndoHistory* m_history = nullptr;
    QMetaObject::Connection m_watch;
};
