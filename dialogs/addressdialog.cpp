#include "addressdialog.h"

#include "buslink.h"
#include "formlayout.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

template <typename Widget>
Widget* placed(Widget* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h)
{
    return placed(new QLabel(text, parent), name, x, y, w, h);
}

// The grey-green of the two hints under the port choices.
void hintColour(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0x5F, 0x80, 0x5F));
    label->setPalette(p);
}

} // namespace

AddressDialog::AddressDialog(QWidget* parent, AddressSettings settings)
    : QDialog(parent, FixedDialogFlags)
    , m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("frmSettings_Address"));
    resize(527, 340);

    Label1 = label(this, "Label1", QStringLiteral("Subnet ID (0-254):"), 20, 32, 160, 24);
    editSubnetID = placed(new QLineEdit(this), "editSubnetID", 180, 30, 120, 26);
    Label2 = label(this, "Label2", QStringLiteral("Device ID (0-254):"), 20, 72, 160, 24);
    editDeviceID = placed(new QLineEdit(this), "editDeviceID", 180, 70, 120, 26);
    Label3 = label(this, "Label3", QStringLiteral("UDP Receive Port: "), 20, 116, 160, 24);

    QFont bold = font();
    bold.setBold(true);
    rdobtnPortOfShowControl = placed(new QRadioButton(QStringLiteral("Show Control Port 15000"), this),
                                     "rdobtnPortOfShowControl", 180, 114, 300, 24);
    rdobtnPortOfShowControl->setFont(bold);
    Label5 = label(this, "Label5", QStringLiteral("(No need received data from Orvane,Only Control)"), 198, 138,
                   320, 20);
    hintColour(Label5);
    rdobtnPortOfOrvane =
        placed(new QRadioButton(QStringLiteral("Orvane Port 6000"), this), "rdobtnPortOfOrvane", 180, 168, 300, 24);
    rdobtnPortOfOrvane->setFont(bold);
    Label4 = label(this, "Label4",
                   QStringLiteral("(Need receive data from Orvane such as Universal Switch Command)"), 198, 192,
                   300, 40);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hintColour(Label4);

    auto* ports = new QButtonGroup(this);
    ports->addButton(rdobtnPortOfShowControl);
    ports->addButton(rdobtnPortOfOrvane);

    bitbtnSave = placed(new QPushButton(QStringLiteral("Save"), this), "bitbtnSave", 150, 272, 100, 32);
    bitbtnSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    bitbtnClose = placed(new QPushButton(QStringLiteral("Close"), this), "bitbtnClose", 280, 272, 100, 32);
    bitbtnSave->setAutoDefault(false);
    bitbtnClose->setAutoDefault(false);
    connect(bitbtnSave, &QPushButton::clicked, this, &AddressDialog::bitbtnSaveClick);
    connect(bitbtnClose, &QPushButton::clicked, this, &QDialog::reject);

    ApplyFixedFormLayout(this);
    setWindowTitle(QStringLiteral("Software Address and UDP Port Settings"));

    editSubnetID->setText(m_settings.initialSubnet());
    editDeviceID->setText(m_settings.initialDevice());
    if (m_settings.orvaneInitiallyChecked())
        rdobtnPortOfOrvane->setChecked(true);
    else
        rdobtnPortOfShowControl->setChecked(true);

    CentreOnScreen(this, parent);
}

void AddressDialog::bitbtnSaveClick()
{
    if (m_settings.save(editSubnetID->text(), editDeviceID->text(), rdobtnPortOfOrvane->isChecked(), this) ==
        AddressSettings::SaveResult::Saved)
        accept();
}

bool AddressDialog::Execute(QWidget* parent, BusLink& link, MessagePresenter& messages, SettingsFiles& files)
{
    // Only a save closes the dialog with Accepted.
    AddressDialog dialog(parent, AddressSettings(messages, files, link));
    return dialog.exec() == QDialog::Accepted;
}
