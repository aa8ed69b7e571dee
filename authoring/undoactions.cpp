#include "undoactions.h"

#include "undohistory.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

UndoActions::UndoActions(QWidget* window, std::function<void()> undo, std::function<void()> redo)
    : QObject(window), m_undo(new QAction(window)), m_redo(new QAction(window))
{
    m_undo->setObjectName(QStringLiteral("actUndo"));
    m_redo->setObjectName(QStringLiteral("actRedo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {m_undo, m_redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
    connect(m_undo, &QAction::triggered, this, [undo = std::move(undo)] { undo(); });
    connect(m_redo, &QAction::triggered, this, [redo = std::move(redo)] { redo(); });
    rename();
}

void UndoActions::setHistory(UndoHistory* history)
{
    disconnect(m_watch);
    m_history = history;
    if (history)
        m_watch = connect(history, &UndoHistory::changed, this, &UndoActions::rename);
    rename();
}

void UndoActions::addTo(QMenu* menu)
{
    QAction* first = menu->actions().value(0);
    menu->insertAction(first, m_undo);
    menu->insertAction(first, m_redo);
    menu->insertSeparator(first);
}

void UndoActions::rename()
{
    const QString undo = m_history ? m_history->undoText() : QString();
    const QString redo = m_history ? m_history->redoText() : QString();
    m_undo->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
    m_redo->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
    m_undo->setEnabled(!undo.isEmpty());
    m_redo->setEnabled(!redo.isEmpty());
}
