#pragma once

#include <QString>

class QWidget;

// Every open-file dialog of the program goes through one chooser. The
// program uses QFileDialog; tests install a scripted chooser that answers
// with a path of their choosing.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's path, or empty text when the operator cancelled.
    // The filter takes QFileDialog's form ("Media files (*.avi *.mp4)").
    virtual QString openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                 const QString& startDir) = 0;
};

// The chooser on QFileDialog.
class QtFileChooser : public FileChooser {
public:
    QString openFileName(QWidget* owner, const QString& caption, const QString& filter,
                         const QString& startDir) override;
};

// Installs a chooser (not owned); nullptr restores the QFileDialog one.
void SetFileChooser(FileChooser* chooser);
FileChooser& CurrentFileChooser();

// Asks the current chooser for a file to open.
QString ChooseFileToOpen(QWidget* owner, const QString& caption, const QString& filter,
                         const QString& startDir = QString());
