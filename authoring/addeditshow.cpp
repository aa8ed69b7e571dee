#include "addeditshow.h"

#include "showstore.h"
#include "filechooser.h"
#include "formlayout.h"
#include "placedwidgets.h"
#include "messages.h"
#include "textops.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool holdsLineBreak(const QString& text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// A show identifier passed as text; nullopt when it is not one.
std::optional<int> showIdOf(const QString& text)
{
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(id) : std::nullopt;
}

} // namespace

// ---- AddEditShowLogic -------------------------------------------------------

AddEditShowLogic::AddEditShowLogic(MessagePresenter& messages, FileChooser& files, SettingsFiles& settings,
                                   int mode, const QString& showId, ShowNameCheck nameExists)
    : m_messages(messages),
      m_files(files),
      m_settings(settings),
      m_mode(mode == EditMode ? EditMode : AddMode),
      m_showId(showId),
      m_nameExists(std::move(nameExists))
{
}

QString AddEditShowLogic::title() const
{
    return m_mode == EditMode ? QStringLiteral("Edit Show") : QStringLiteral("Add Show");
}

void AddEditShowLogic::load()
{
    const auto next = ShowStore::NextShowSequenceNo();
    if (next)
        sequenceNo = QString::number(*next);
    else
        m_messages.error(nullptr,
                         QStringLiteral("The next sequence number could not be read: ") + next.error);
    if (m_mode != EditMode)
        return;
    const auto id = showIdOf(m_showId);
    if (!id)
        return;
    const auto show = ShowStore::ReadShow(m_settings, *id);
    if (!show) {
        m_messages.error(nullptr, QStringLiteral("The show could not be read: ") + show.error);
        return;
    }
    if (!show->has_value())
        return; // the fields keep what they were given on creation
    const ShowStore::ShowRow& row = **show;
    showName = row.Name;
    path = row.URL;
    sequenceNo = QString::number(row.SequenceNo);
    activeUniversalSwitch = row.ActivedUniversalSwitch == 1;
    universalSwitchId = activeUniversalSwitch ? QString::number(row.UniversalSwitchID) : QStringLiteral("0");
}

bool AddEditShowLogic::chooseMediaFile(QWidget* owner)
{
    const QString chosen =
        m_files.openFileName(owner, QStringLiteral("Open"), QStringLiteral("All(*.*) (*)"), QString());
    if (chosen.isEmpty())
        return false;
    takeMediaFile(chosen);
    return true;
}

void AddEditShowLogic::takeMediaFile(const QString& chosenPath)
{
    path = chosenPath.trimmed();
    const QFileInfo file(path);
    fileName = file.fileName();
    // The name shortened by its extension, dot included; a name without a
    // dot is taken whole.
    const qsizetype dot = fileName.lastIndexOf(u'.');
    showName = dot < 0 ? fileName : fileName.left(dot);
}

bool AddEditShowLogic::nameTaken(const QString& name, QWidget* owner, bool* taken) const
{
    if (m_nameExists) {
        *taken = m_nameExists(m_mode, name, m_showId);
        return true;
    }
    const std::optional<int> except = m_mode == EditMode ? showIdOf(m_showId) : std::nullopt;
    const auto exists = ShowStore::ShowNameExists(m_settings, name, except);
    if (!exists) {
        m_messages.error(nullptr, QStringLiteral("The show names could not be read: ") + exists.error);
        return false;
    }
    *taken = *exists;
    return true;
}

bool AddEditShowLogic::save(QWidget* owner)
{
    const QString name = showName.trimmed();
    if (name.isEmpty()) {
        m_messages.tell(owner, QStringLiteral("Show name can not be empty!"));
        return false;
    }
    // Show.ini keeps one value a line: a line break would cut the entry.
    if (holdsLineBreak(name)) {
        m_messages.tell(owner, QStringLiteral("Show name can not hold a line break!"));
        return false;
    }
    if (path.isEmpty()) {
        m_messages.tell(owner, QStringLiteral("Video or music can not be empty!"));
        return false;
    }
    if (holdsLineBreak(path)) {
        m_messages.tell(owner, QStringLiteral("The path of the video or music can not hold a line break!"));
        return false;
    }
    if (!CheckNumber(sequenceNo, false, 0, 0)) {
        m_messages.tell(owner, QStringLiteral("Sequence No only can be numeric"));
        return false;
    }
    ShowStore::ShowFields fields;
    fields.SequenceNo = sequenceNo.trimmed().toInt();
    fields.ActivedUniversalSwitch = activeUniversalSwitch;
    if (activeUniversalSwitch) {
        if (!CheckNumber(universalSwitchId, true, 0, 255)) {
            m_messages.tell(owner,
                            QStringLiteral("Universal switch No only can be numeric and range is 0-255"));
            return false;
        }
        fields.UniversalSwitchID = universalSwitchId.trimmed().toInt();
    }
    bool taken = false;
    if (!nameTaken(name, owner, &taken))
        return false;
    if (taken) {
        m_messages.tell(owner, m_mode == EditMode ? QStringLiteral("Current show name has already existed")
                                                  : QStringLiteral("Current show name has already existed!"));
        return false;
    }
    fields.Name = name;
    fields.URL = path;

    QString failure;
    if (m_mode == EditMode) {
        const auto id = showIdOf(m_showId);
        if (!id)
            failure = QStringLiteral("There is no show ") + m_showId;
        else if (const auto result = ShowStore::UpdateShow(m_settings, *id, fields); !result)
            failure = result.error;
    } else if (const auto added = ShowStore::AddShow(m_settings, fields); !added) {
        failure = added.error;
    }
    if (!failure.isEmpty()) {
        m_messages.error(nullptr, QStringLiteral("The show could not be saved: ") + failure);
        return false;
    }
    return true;
}

// ---- AddEditShowDialog ------------------------------------------------------

AddEditShowDialog::AddEditShowDialog(QWidget* parent, MessagePresenter& messages, FileChooser& files,
                                     SettingsFiles& settings, int mode, const QString& showId,
                                     const ShowNameCheck& nameExists)
    : QDialog(parent, FixedDialogFlags),
      m_logic(messages, files, settings, mode, showId, nameExists)
{
    setObjectName(QStringLiteral("frmAddEditShow"));
    resize(527, 343);

    lblTitle = PlacedLabel(this, "lblTitle", QString(), QRect(24, 16, 480, 30));
    QFont titleFont = lblTitle->font();
    titleFont.setPixelSize(20);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    const int labelX = 24, fieldX = 168;
    PlacedLabel(this, "Label1", QStringLiteral("Video/Music:"), QRect(labelX, 68, 140, 24));
    editPath = PlacedLineEdit(this, "editPath", QRect(fieldX, 68, 240, 24));
    editPath->setReadOnly(true);
    editPath->setFocusPolicy(Qt::ClickFocus);
    QPalette grey = editPath->palette();
    grey.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    editPath->setPalette(grey);
    bitbtnOpenFile = PlacedButton(this, "bitbtnOpenFile", QStringLiteral("Open..."), QRect(420, 66, 84, 28));

    PlacedLabel(this, "Label2", QStringLiteral("Show Name:"), QRect(labelX, 110, 140, 24));
    editShowName = PlacedLineEdit(this, "editShowName", QRect(fieldX, 110, 336, 24));
    editShowName->setMaxLength(100);

    PlacedLabel(this, "Label3", QStringLiteral("Sequence No:"), QRect(labelX, 152, 140, 24));
    editSequenceNo = PlacedLineEdit(this, "editSequenceNo", QRect(fieldX, 152, 100, 24));

    chkActiveUniversalSwitch = new QCheckBox(QStringLiteral("Active Universal Switch"), this);
    chkActiveUniversalSwitch->setObjectName(QStringLiteral("chkActiveUniversalSwitch"));
    chkActiveUniversalSwitch->setGeometry(fieldX, 192, 240, 24);

    lblUniversalSwitchID = PlacedLabel(this, "lblUniversalSwitchID", QStringLiteral("Universal Switch ID:"),
                                 QRect(labelX, 232, 140, 24));
    editUniversalSwitchID = PlacedLineEdit(this, "editUniversalSwitchID", QRect(fieldX, 232, 100, 24));

    bitbtnSave = PlacedButton(this, "bitbtnSave", QStringLiteral("Save"), QRect(300, 290, 96, 30));
    bitbtnClose = PlacedButton(this, "bitbtnClose", QStringLiteral("Close"), QRect(408, 290, 96, 30));

    lblFileName = PlacedLabel(this, "lblFileName", QString(), QRect(labelX, 290, 200, 24));
    lblFileName->hide();

    connect(bitbtnOpenFile, &QPushButton::clicked, this, &AddEditShowDialog::bitbtnOpenFileClick);
    connect(bitbtnSave, &QPushButton::clicked, this, &AddEditShowDialog::bitbtnSaveClick);
    connect(bitbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkActiveUniversalSwitch, &QCheckBox::clicked, this, &AddEditShowDialog::chkActiveUniversalSwitchClick);

    ApplyFixedFormLayout(this);
    CentreOnScreen(this, nullptr);

    m_logic.load();
    setWindowTitle(m_logic.title());
    lblTitle->setText(m_logic.title());
    showFields();
}

void AddEditShowDialog::showFields()
{
    editPath->setText(m_logic.path);
    lblFileName->setText(m_logic.fileName);
    editShowName->setText(m_logic.showName);
    editSequenceNo->setText(m_logic.sequenceNo);
    chkActiveUniversalSwitch->setChecked(m_logic.activeUniversalSwitch);
    editUniversalSwitchID->setText(m_logic.universalSwitchId);
    lblUniversalSwitchID->setVisible(m_logic.activeUniversalSwitch);
    editUniversalSwitchID->setVisible(m_logic.activeUniversalSwitch);
}

void AddEditShowDialog::gatherFields()
{
    m_logic.path = editPath->text();
    m_logic.fileName = lblFileName->text();
    m_logic.showName = editShowName->text();
    m_logic.sequenceNo = editSequenceNo->text();
    m_logic.activeUniversalSwitch = chkActiveUniversalSwitch->isChecked();
    m_logic.universalSwitchId = editUniversalSwitchID->text();
}

void AddEditShowDialog::bitbtnOpenFileClick()
{
    gatherFields();
    if (m_logic.chooseMediaFile(this))
        showFields();
}

void AddEditShowDialog::chkActiveUniversalSwitchClick()
{
    const bool on = chkActiveUniversalSwitch->isChecked();
    lblUniversalSwitchID->setVisible(on);
    editUniversalSwitchID->setVisible(on);
}

void AddEditShowDialog::bitbtnSaveClick()
{
    gatherFields();
    if (m_logic.save(this))
        accept();
}

bool RunAddEditShowDialog(QWidget* parent, MessagePresenter& messages, FileChooser& files, SettingsFiles& settings,
                          int mode, const QString& showId, const ShowNameCheck& nameExists)
{
    // Only a save closes the dialog with Accepted.
    AddEditShowDialog dialog(parent, messages, files, settings, mode, showId, nameExists);
    return dialog.exec() == QDialog::Accepted;
}
