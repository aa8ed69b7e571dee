#pragma once

#include "filechooser.h"

#include <QList>
#include <QStringList>

// Answers the file dialogs of whatever it is handed to with the paths
// queued by the test (empty text, as a cancel, once the queue is empty) and
// records what each dialog asked for.
class ScriptedFileChooser : public FileChooser {
public:
    struct Asked {
        QString caption, filter, startDir;
    };

    void answerNext(const QString& path) { m_answers << path; }

    QString openFileName(QWidget*, const QString& caption, const QString& filter,
                         const QString& startDir) override
    {
        asked.append({caption, filter, startDir});
        return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    }
    QString saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                         const QString& startDir) override
    {
        return openFileName(owner, caption, filter, startDir);
    }

    QList<Asked> asked;

private:
    QStringList m_answers;
};
