#pragma once

#include "showstore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <deque>
#include <optional>

struct SettingsFiles;

// The part of the stored shows an edit may change: rows of the show tables
// picked by their keys, and a show's Show.ini entry. An undo step keeps what
// its parts held before and after the edit, so an edit needs no undo code of
// its own: whatever the windows wrote is put back as it was, row for row.
struct EditScope {
    // The show's row and its Show.ini entry.
    static EditScope showEntry(int showId);
    // The show's row, time points, commands and Show.ini entry.
    static EditScope wholeShow(int showId);
    // A time point's row and its commands.
    static EditScope timePoint(int showId, int timePointId);
    // The commands of a time point, or the whole play, pause or stop set.
    static EditScope commands(const ShowStore::CommandTarget& target);

    struct Rows {
        QString table; // only ever one of the program's own table names
        QString where; // with ? placeholders
        QVariantList values;
        QString order; // the table's key columns
    };
    QVector<Rows> rows;
    QString showIniSection; // empty when the scope holds no Show.ini entry
};

// What a scope held at one moment.
struct ScopeImage {
    struct Table {
        QStringList columns;
        QVector<QVariantList> rows; // in key order
        bool operator==(const Table&) const = default;
    };
    QVector<Table> tables;                  // one per EditScope::rows
    std::optional<QStringList> showIniLines; // the section as written, or none
    bool operator==(const ScopeImage&) const = default;
};

// The authoring edits of this run of the program, to be undone and redone.
// An edit is recorded as one step around the writes it makes (begin() before
// them, finish() after), however many rows it changes. Undo puts the step's
// scopes back as they were before it, redo as they were after it; either is
// refused, and both stacks stay as they are, when the scopes no longer hold
// what the step left there (something else wrote them since) or when the
// database or Show.ini refuses the write.
class UndoHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultCapacity = 100;

    explicit UndoHistory(SettingsFiles& files, int capacity = DefaultCapacity, QObject* parent = nullptr);
    ~UndoHistory() override;

    // An edit under way: what its scopes held before it.
    class Recording {
    public:
        Recording() = default;
        bool isActive() const { return m_history != nullptr; }
        // The edit wrote: the step is kept (named text when given, for a
        // name known only now, such as the name a new show got).
        void finish(const QString& text = QString());

    private:
        friend class UndoHistory;
        UndoHistory* m_history = nullptr;
        QString m_text;
        QVector<EditScope> m_scopes;
        QVector<ScopeImage> m_before;
    };

    // Reads what the scopes hold now, for an edit named text ("Delete Show
    // (Fountain)"). When they cannot be read, the edit can still go ahead
    // but will not be undoable, and nothing earlier is either.
    Recording begin(const QString& text, const QVector<EditScope>& scopes);
    // The same on a history that may be null (then nothing is recorded).
    static Recording begin(UndoHistory* history, const QString& text, const QVector<EditScope>& scopes);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The name of the step undo or redo would take, empty when none.
    QString undoText() const;
    QString redoText() const;
    int undoCount() const { return int(m_undo.size()); }

    ShowStore::EditResult undo();
    ShowStore::EditResult redo();
    // Forgets every step (after the files were replaced as a whole).
    void clear();

    // What the scopes hold now, as a step compares it.
    ShowStore::Outcome<ScopeImage> read(const EditScope& scope) const;

Q_SIGNALS:
    // A step was recorded, undone or redone, or the history was cleared.
    void changed();

private:
    // After the edit wrote: reads the scopes again and keeps the step, unless
    // nothing changed. The redo stack is dropped.
    void finish(Recording& recording);

    struct Step {
        QString text;
        QVector<EditScope> scopes;
        QVector<ScopeImage> before;
        QVector<ScopeImage> after;
    };
    ShowStore::Outcome<QVector<ScopeImage>> readAll(const QVector<EditScope>& scopes) const;
    ShowStore::EditResult move(std::deque<Step>& from, std::deque<Step>& to, bool forward);
    ShowStore::EditResult put(const QVector<EditScope>& scopes, const QVector<ScopeImage>& images,
                              const QVector<ScopeImage>& current);

    SettingsFiles& m_files;
    int m_capacity;
    std::deque<Step> m_undo; // newest last
    std::deque<Step> m_redo; // next to redo last
};
