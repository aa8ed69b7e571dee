#pragma once

#include <QString>

class QWidget;

// The open-file and save-file dialogs are asked of a chooser that whoever
// opens them is handed: the program hands QtFileChooser, tests a scripted chooser that
// answers with a path of their choosing.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's path, or empty text when the operator cancelled.
    // The filter takes QFileDialog's form ("Media files (*.avi *.mp4)").
    virtual QString openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                 const QString& startDir) = 0;
    // The path to write, or empty text when the operator cancelled.
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                                 const QString& startDir) = 0;
};

// The chooser on QFileDialog.
class QtFileChooser : public FileChooser {
public:
    QString openFileName(QWidget* owner, const QString& caption, const QString& filter,
                         const QString& startDir) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                         const QString& startDir) override;
};
