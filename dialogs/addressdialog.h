#pragma once

#include "addresssettings.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class BusLink;
class QRadioButton;

// The dialog in which the operator sets the program's own bus address and
// chooses the port its socket listens on. What saving does lives in
// AddressSettings; the dialog shows its values and forwards the buttons.
class AddressDialog : public QDialog {
    Q_OBJECT
public:
    AddressDialog(QWidget* parent, AddressSettings settings);

    // Opens the dialog modally on the program's two ports and releases it
    // when it closes. True when it was saved; saving moves the bus link to
    // the chosen port.
    static bool Execute(QWidget* parent, BusLink& link, MessagePresenter& messages, SettingsFiles& files);

    QLabel* Label1 = nullptr;
    QLineEdit* editSubnetID = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* editDeviceID = nullptr;
    QLabel* Label3 = nullptr;
    QRadioButton* rdobtnPortOfShowControl = nullptr;
    QLabel* Label5 = nullptr;
    QRadioButton* rdobtnPortOfOrvane = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnClose = nullptr;

    // Runs the save sequence; the dialog closes only when it saved.
    void bitbtnSaveClick();

private:
    AddressSettings m_settings;
};
