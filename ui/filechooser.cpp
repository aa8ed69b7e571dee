#include "filechooser.h"

#include <QFileDialog>

QString QtFileChooser::openFileName(QWidget* owner, const QString& caption, const QString& filter,
                                    const QString& startDir)
{
    return QFileDialog::getOpenFileName(owner, caption, startDir, filter);
}

QString QtFileChooser::saveFileName(QWidget* owner, const QString& caption, const QString& filter,
                                    const QString& startDir)
{
    return QFileDialog::getSaveFileName(owner, caption, startDir, filter);
}
