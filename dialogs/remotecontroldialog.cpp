#include "remotecontroldialog.h"

#include "formlayout.h"
#include "inifile.h"
#include "messages.h"
#include "settingsfiles.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool parsePort(const QString& text, int lowest, quint16* port)
{
    qint32 n = 0;
    if (!ParseSettingsInteger(text.trimmed(), &n) || n < lowest || n > 65535)
        return false;
    *port = quint16(n);
    return true;
}

} // namespace

RemoteSettingsForm RemoteSettingsFormOf(const RemoteSettings& s)
{
    return {s.enabled, QString::number(s.httpPort), QString::number(s.oscPort), s.bind, s.token};
}

bool ParseRemoteSettingsForm(MessagePresenter& messages, const RemoteSettingsForm& form, RemoteSettings* settings,
                             QWidget* owner)
{
    RemoteSettings s;
    s.enabled = form.enabled;
    if (!parsePort(form.httpPort, 1, &s.httpPort)) {
        messages.tell(owner, QStringLiteral("The HTTP port must be a whole number from 1 to 65535."));
        return false;
    }
    if (!parsePort(form.oscPort, 0, &s.oscPort)) {
        messages.tell(owner, QStringLiteral("The OSC port must be a whole number from 0 (off) to 65535."));
        return false;
    }
    if (s.oscPort == s.httpPort) {
        messages.tell(owner, QStringLiteral("The OSC port must differ from the HTTP port."));
        return false;
    }
    s.bind = form.bind.trimmed();
    if (s.bind.isEmpty())
        s.bind = RemoteSettings().bind;
    if (QHostAddress(s.bind).isNull()) {
        messages.tell(owner, QStringLiteral("Bind must be an IP address, such as 127.0.0.1 (this computer only) "
                                            "or 0.0.0.0 (every network)."));
        return false;
    }
    s.token = form.token.trimmed();
    for (const QChar c : s.token) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            messages.tell(owner, QStringLiteral("The token must be one word without blanks."));
            return false;
        }
    }
    if (settings)
        *settings = s;
    return true;
}

bool SaveRemoteSettingsForm(MessagePresenter& messages, SettingsFiles& files, const RemoteSettingsForm& form,
                            RemoteSettings* saved, QWidget* owner)
{
    RemoteSettings s;
    if (!ParseRemoteSettingsForm(messages, form, &s, owner))
        return false;
    if (!WriteRemoteSettings(files, s)) {
        messages.error(nullptr, QStringLiteral("The remote control settings could not be written to "
                                               "Database/System.ini"));
        return false;
    }
    if (saved)
        *saved = s;
    return true;
}

QString RemotePageAddress(const RemoteSettings& settings, const QString& ownAddress)
{
    QString host = settings.bind;
    const QHostAddress bind(settings.bind);
    if ((bind == QHostAddress::AnyIPv4 || bind == QHostAddress::AnyIPv6) && !ownAddress.isEmpty())
        host = ownAddress;
    if (QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol)
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return QStringLiteral("http://%1:%2/").arg(host).arg(settings.httpPort);
}

RemoteControlDialog::RemoteControlDialog(MessagePresenter& messages, SettingsFiles& files, const QString& ownAddress,
                                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_messages(messages),
      m_files(files),
      m_ownAddress(ownAddress)
{
    setObjectName(QStringLiteral("frmRemoteControl"));
    setWindowTitle(QStringLiteral("Remote Control"));

    chkEnabled = new QCheckBox(QStringLiteral("Enabled: phones and show software may control the program"), this);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    const auto edit = [this](const char* name, int maxLength) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(maxLength);
        return e;
    };
    editHttpPort = edit("editHttpPort", 5);
    editOscPort = edit("editOscPort", 5);
    editBind = edit("editBind", 45);
    editToken = edit("editToken", 128);
    lblAddress = new QLabel(this);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    lblAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* advice = new QLabel(QStringLiteral("Keep Bind on 127.0.0.1, or set a token, unless everyone\n"
                                             "on the network may start and stop shows."),
                              this);
    advice->setObjectName(QStringLiteral("lblAdvice"));
    bitbtnSave = new QPushButton(QStringLiteral("Save"), this);
    bitbtnSave->setObjectName(QStringLiteral("bitbtnSave"));
    bitbtnSave->setDefault(true);
    bitbtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtnCancel->setObjectName(QStringLiteral("bitbtnCancel"));

    auto* rows = new QFormLayout;
    rows->addRow(QStringLiteral("HTTP port:"), editHttpPort);
    rows->addRow(QStringLiteral("OSC port (0: off):"), editOscPort);
    rows->addRow(QStringLiteral("Bind (IP address):"), editBind);
    rows->addRow(QStringLiteral("Token (empty: none):"), editToken);
    rows->addRow(QStringLiteral("Page address:"), lblAddress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitbtnSave);
    buttons->addWidget(bitbtnCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(chkEnabled);
    column->addLayout(rows);
    column->addWidget(advice);
    column->addLayout(buttons);

    const IniFile* ini = files.SystemIni.get();
    const RemoteSettingsForm current = RemoteSettingsFormOf(ini ? ReadRemoteSettings(*ini) : RemoteSettings());
    chkEnabled->setChecked(current.enabled);
    editHttpPort->setText(current.httpPort);
    editOscPort->setText(current.oscPort);
    editBind->setText(current.bind);
    editToken->setText(current.token);
    showAddress();

    connect(editHttpPort, &QLineEdit::textChanged, this, &RemoteControlDialog::showAddress);
    connect(editBind, &QLineEdit::textChanged, this, &RemoteControlDialog::showAddress);
    connect(bitbtnSave, &QPushButton::clicked, this, &RemoteControlDialog::bitbtnSaveClick);
    connect(bitbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyFormLayout(this);
}

bool RemoteControlDialog::Execute(QWidget* parent, MessagePresenter& messages, SettingsFiles& files,
                                  const QString& ownAddress)
{
    RemoteControlDialog dialog(messages, files, ownAddress, parent);
    return dialog.exec() == QDialog::Accepted;
}

RemoteSettingsForm RemoteControlDialog::form() const
{
    return {chkEnabled->isChecked(), editHttpPort->text(), editOscPort->text(), editBind->text(), editToken->text()};
}

void RemoteControlDialog::showAddress()
{
    // Shown as typed so far; what is not yet a port or an address is left out.
    RemoteSettings s;
    quint16 port = 0;
    if (parsePort(editHttpPort->text(), 1, &port))
        s.httpPort = port;
    const QString bind = editBind->text().trimmed();
    if (!QHostAddress(bind).isNull())
        s.bind = bind;
    lblAddress->setText(RemotePageAddress(s, m_ownAddress));
}

void RemoteControlDialog::bitbtnSaveClick()
{
    if (SaveRemoteSettingsForm(m_messages, m_files, form(), nullptr, this)) {
        accept();
        return;
    }
    editHttpPort->setFocus();
}
