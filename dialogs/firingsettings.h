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
bool SaveFiringSettings(MessagePresenter& messages, bool precise, const QString& offsetText,
                        FiringSettings* saved = nullptr, QWidget* owner = nullptr);

// ---- The dialog -------------------------------------------------------------

// "Firing Settings": tick or precise firing and the latency offset, shown as
// System.ini holds them.
class FiringSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit FiringSettingsDialog(MessagePresenter& messages, QWidget* parent = nullptr);

    // Opens the dialog modally; true when it was closed with Save.
    static bool Execute(QWidget* parent, MessagePresenter& messages);

    QRadioButton* rdobtnTick = nullptr;
    QRadioButton* rdobtnPrecise = nullptr;
    QLineEdit* editOffset = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnCancel = nullptr;

    // Saves and closes; a refused offset keeps the dialog open.
    void bitbtnSaveClick();

private:
    MessagePresenter& m_messages;
};
