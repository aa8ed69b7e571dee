#include "firingsettings.h"

#include "formlayout.h"
#include "inifile.h"
#include "messages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

bool ParseFiringOffset(MessagePresenter& messages, const QString& text, int* offsetMS, QWidget* owner)
{
    qint32 n = 0;
    if (!ParseSettingsInteger(text, &n)) {
        messages.tell(owner, QStringLiteral("The offset must be a whole number of milliseconds."));
        return false;
    }
    if (n < FiringSettings::MinOffsetMS || n > FiringSettings::MaxOffsetMS) {
        messages.tell(owner, QStringLiteral("The offset must lie between %1 and %2 milliseconds.")
                                 .arg(FiringSettings::MinOffsetMS)
                                 .arg(FiringSettings::MaxOffsetMS));
        return false;
    }
    if (offsetMS)
        *offsetMS = n;
    return true;
}

bool SaveFiringSettings(MessagePresenter& messages, SettingsFiles& files, bool precise, const QString& offsetText,
                        FiringSettings* saved, QWidget* owner)
{
    FiringSettings s;
    s.mode = precise ? FiringSettings::Precise : FiringSettings::Tick;
    if (!ParseFiringOffset(messages, offsetText, &s.offsetMS, owner))
        return false;
    if (!WriteFiringSettings(files, s)) {
        messages.error(nullptr, QStringLiteral("The firing settings could not be written to Database/System.ini"));
        return false;
    }
    if (saved)
        *saved = s;
    return true;
}

FiringSettingsDialog::FiringSettingsDialog(MessagePresenter& messages, SettingsFiles& files, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_messages(messages),
      m_files(files)
{
    setObjectName(QStringLiteral("frmFiringSettings"));
    setWindowTitle(QStringLiteral("Firing Settings"));

    rdobtnTick = new QRadioButton(QStringLiteral("Tick: every 100 ms within a time point's second"), this);
    rdobtnTick->setObjectName(QStringLiteral("rdobtnTick"));
    rdobtnPrecise = new QRadioButton(QStringLiteral("Precise: once, when playback reaches the time point"), this);
    rdobtnPrecise->setObjectName(QStringLiteral("rdobtnPrecise"));
    editOffset = new QLineEdit(this);
    editOffset->setObjectName(QStringLiteral("editOffset"));
    editOffset->setMaxLength(6);
    bitbtnSave = new QPushButton(QStringLiteral("Save"), this);
    bitbtnSave->setObjectName(QStringLiteral("bitbtnSave"));
    bitbtnSave->setDefault(true);
    bitbtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    bitbtnCancel->setObjectName(QStringLiteral("bitbtnCancel"));

    auto* offsetRow = new QFormLayout;
    offsetRow->addRow(QStringLiteral("Offset (ms, %1 to %2; positive fires earlier):")
                          .arg(FiringSettings::MinOffsetMS)
                          .arg(FiringSettings::MaxOffsetMS),
                      editOffset);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bitbtnSave);
    buttons->addWidget(bitbtnCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(rdobtnTick);
    column->addWidget(rdobtnPrecise);
    column->addLayout(offsetRow);
    column->addLayout(buttons);

    const IniFile* ini = files.SystemIni.get();
    const FiringSettings current = ini ? ReadFiringSettings(*ini) : FiringSettings();
    (current.mode == FiringSettings::Precise ? rdobtnPrecise : rdobtnTick)->setChecked(true);
    editOffset->setText(QString::number(current.offsetMS));

    connect(bitbtnSave, &QPushButton::clicked, this, &FiringSettingsDialog::bitbtnSaveClick);
    connect(bitbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyFormLayout(this);
}

bool FiringSettingsDialog::Execute(QWidget* parent, MessagePresenter& messages, SettingsFiles& files)
{
    FiringSettingsDialog dialog(messages, files, parent);
    return dialog.exec() == QDialog::Accepted;
}

void FiringSettingsDialog::bitbtnSaveClick()
{
    if (SaveFiringSettings(m_messages, m_files, rdobtnPrecise->isChecked(), editOffset->text(), nullptr, this)) {
        accept();
        return;
    }
    editOffset->setFocus();
    editOffset->selectAll();
}
