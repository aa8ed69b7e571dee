#pragma once

#include "messages.h"

#include <QQueue>
#include <QStringList>

// Records every message shown through it by the code under test it is
// handed to, and answers questions from a queue (No when the queue is
// empty).
class ScriptedMessages : public MessagePresenter {
public:
    struct Shown {
        enum Kind { Question, Notice, Error } kind;
        QString text;
        QString caption;
    };

    void answerNext(MessageAnswer answer) { answers.enqueue(answer); }

    MessageAnswer question(QWidget*, const QString& text, const QString& caption) override
    {
        shown.append({Shown::Question, text, caption});
        return answers.isEmpty() ? MessageAnswer::No : answers.dequeue();
    }
    void notice(QWidget*, const QString& text, const QString& caption) override
    {
        shown.append({Shown::Notice, text, caption});
    }
    void error(QWidget*, const QString& text) override { shown.append({Shown::Error, text, {}}); }

    QStringList texts() const
    {
        QStringList out;
        for (const auto& s : shown)
            out << s.text;
        return out;
    }
    void clear() { shown.clear(); }

    QList<Shown> shown;
    QQueue<MessageAnswer> answers;
};
