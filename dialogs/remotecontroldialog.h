#pragma once

#include "remotesettings.h"

#include <QDialog>

class MessagePresenter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct SettingsFiles;

// ---- Without widgets --------------------------------------------------------

// The remote settings as the operator typed them.
struct RemoteSettingsForm {
    bool enabled = false;
    QString httpPort;
    QString oscPort;
    QString bind;
    QString token;
};

// The form's text of the settings.
RemoteSettingsForm RemoteSettingsFormOf(const RemoteSettings& settings);

// The form checked: the HTTP port a whole number from 1 to 65535, the OSC
// port from 0 (off) to 65535 and not the HTTP port, the bind an IP address,
// the token one line without blanks. Otherwise the operator is told why
// through the presenter and the result is false.
bool ParseRemoteSettingsForm(MessagePresenter& messages, const RemoteSettingsForm& form, RemoteSettings* settings,
                             QWidget* owner = nullptr);

// Checks the form and writes [Remote] to System.ini. False, with the
// operator told why, when the form is refused or the file cannot be
// written; nothing is written then.
bool SaveRemoteSettingsForm(MessagePresenter& messages, SettingsFiles& files, const RemoteSettingsForm& form,
                            RemoteSettings* saved = nullptr, QWidget* owner = nullptr);

// Where a phone opens the page: "http://<bind>:<port>/" (an IPv6 address
// in brackets; a bind to every address names this computer's own address
// instead, when `ownAddress` is given).
QString RemotePageAddress(const RemoteSettings& settings, const QString& ownAddress = QString());

// ---- The dialog -------------------------------------------------------------

// "Remote Control": whether and where the HTTP API, its page and OSC listen,
// and the token they ask for, as System.ini holds them.
class RemoteControlDialog : public QDialog {
    Q_OBJECT
public:
    // `ownAddress` is the program's network address, shown in the page's
    // address when the bind is every address.
    RemoteControlDialog(MessagePresenter& messages, SettingsFiles& files, const QString& ownAddress = QString(),
                        QWidget* parent = nullptr);

    // Opens the dialog modally; true when it was closed with Save.
    static bool Execute(QWidget* parent, MessagePresenter& messages, SettingsFiles& files,
                        const QString& ownAddress = QString());

    RemoteSettingsForm form() const;

    QCheckBox* chkEnabled = nullptr;
    QLineEdit* editHttpPort = nullptr;
    QLineEdit* editOscPort = nullptr;
    QLineEdit* editBind = nullptr;
    QLineEdit* editToken = nullptr;
    QLabel* lblAddress = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnCancel = nullptr;

    // Saves and closes; a refused setting keeps the dialog open.
    void bitbtnSaveClick();

private:
    void showAddress();

    MessagePresenter& m_messages;
    SettingsFiles& m_files;
    QString m_ownAddress;
};
