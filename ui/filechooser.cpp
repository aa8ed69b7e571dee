#include "filechooser.h"

#include <QFileDialog>

namespace {
FileChooser* installed = nullptr;
} // namespace

QString QtFileChooser::openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                    const QString& startDir)
{
    return QFileDialog::getOpenFileName(owner, caption, startDir, filter);
}

void SetFileChooser(FileChooser* chooser)
{
    installed = chooser;
}

FileChooser& CurrentFileChooser()
{
    static QtFileChooser dialogs;
    return installed ? *installed : dialogs;
}

QString ChooseFileToOpen(QWidget* owner, const QString& caption, const QString& filter, const QString& startDir)
{
    return CurrentFileChooser().openFileName(owner, caption, filter, startDir);
}
