#pragma once

#include "settingsfiles.h"

#include <QDialog>

class MessagePresenter;
class QLineEdit;
class QPushButton;
class QRadioButton;

// ---- Without widgets --------------------------------------------------------

// The offset as typed: a whole number of milliseconds within
// FiringSettings::MinOffsetMS..MaxOffsetMS. Otherwise the operator is told
// why through the presenter and the result is false.
bool ParseFiringOffset(MessagePresenter& messages, const QString& text, int* offsetMS,
                       QWidget* owner = nullptr);

// Checks the typed offset and writes the mode and offset to System.ini.
// False, with the operator told why, when the offset is refused or the file
// cannot be written; nothing is written then.
bool SaveFiringSettings(MessagePresenter& messages, SettingsFiles& files, bool precise, const QString& offsetText,
                        FiringSettings* saved = nullptr, QWidget* owner = nullptr);

// ---- The dialog -------------------------------------------------------------

// "Firing Settings": tick or precise firing and the latency offset, shown as
// System.ini holds them.
class FiringSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows and saves the settings of System.ini of the settings files.
    FiringSettingsDialog(MessagePresenter& messages, SettingsFiles& files, QWidget* parent = nullptr);

    // Opens the dialog modally; true when it was closed with Save.
    static bool Execute(QWidget* parent, MessagePresenter& messages, SettingsFiles& files);

    QRadioButton* rdobtnTick = nullptr;
    QRadioButton* rdobtnPrecise = nullptr;
    QLineEdit* editOffset = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnCancel = nullptr;

    // Saves and closes; a refused offset keeps the dialog open.
    void bitbtnSaveClick();

private:
    MessagePresenter& m_messages;
    SettingsFiles& m_files;
};
