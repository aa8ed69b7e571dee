#include "edittimepointdialog.h"

#include "showstore.h"
#include "formlayout.h"
#include "placedwidgets.h"
#include "messages.h"
#include "textops.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

std::optional<int> idOf(const QString& text)
{
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(id) : std::nullopt;
}

// One of the three time fields: CheckNumber's own message, then the
// field's.
bool checkField(MessagePresenter& messages, const QString& text, int maximum, const QString& refusal,
                QWidget* owner)
{
    QString why;
    if (CheckNumber(text, true, 0, maximum, &why))
        return true;
    messages.tell(owner, why);
    messages.tell(owner, refusal);
    return false;
}

} // namespace

// ---- EditTimePointLogic ---------------------------------------------------------

EditTimePointLogic::EditTimePointLogic(MessagePresenter& messages, const QString& showId,
                                       const QString& showName_, const QString& timePointId,
                                       const QString& remark_)
    : showName(showName_),
      remark(remark_.left(RemarkLength)),
      m_messages(messages),
      m_showId(showId),
      m_timePointId(timePointId)
{
}

void EditTimePointLogic::load()
{
    int seconds = 0;
    const auto showId = idOf(m_showId);
    const auto timePointId = idOf(m_timePointId);
    if (showId && timePointId) {
        const auto point = ShowStore::ReadTimePoint(*showId, *timePointId);
        if (!point)
            m_messages.error(nullptr, QStringLiteral("The time point could not be read: ") + point.error);
        else if (point->has_value())
            seconds = (*point)->SecondOfTimePoint;
    }
    hour = QString::number(seconds / 3600);
    minute = QString::number((seconds / 60) % 60);
    second = QString::number(seconds % 60);
}

bool EditTimePointLogic::save(QWidget* owner)
{
    const auto check = [&](const QString& text, int maximum, const QString& refusal) {
        return checkField(m_messages, text, maximum, refusal, owner);
    };
    if (!check(hour, 10, QStringLiteral("Hour is invalid, it should be 0  to 10"))
        || !check(minute, 59, QStringLiteral("Minute is invalid, it should be 0  to 59"))
        || !check(second, 59, QStringLiteral("Second is invalid, it should be 0  to 59")))
        return false;
    const int seconds = hour.trimmed().toInt() * 3600 + minute.trimmed().toInt() * 60 + second.trimmed().toInt();
    const auto showId = idOf(m_showId);
    const auto timePointId = idOf(m_timePointId);
    QString failure;
    if (!showId || !timePointId)
        failure = QStringLiteral("There is no such time point");
    else if (const auto result
             = ShowStore::UpdateTimePoint(*showId, *timePointId, seconds, remark.left(RemarkLength));
             !result)
        failure = result.error;
    if (!failure.isEmpty()) {
        m_messages.error(nullptr, QStringLiteral("The time point could not be saved: ") + failure);
        return false;
    }
    return true;
}

// ---- EditTimePointDialog --------------------------------------------------------

EditTimePointDialog::EditTimePointDialog(QWidget* parent, MessagePresenter& messages, const QString& showId,
                                         const QString& showName, const QString& timePointId,
                                         const QString& remark)
    : QDialog(parent, FixedDialogFlags),
      m_logic(messages, showId, showName, timePointId, remark)
{
    setObjectName(QStringLiteral("frmModifyCurTimePoint"));
    setWindowTitle(QStringLiteral("Edit Current Time Point"));
    resize(420, 220);

    const int labelX = 24, fieldX = 160;
    PlacedLabel(this, "Label1", QStringLiteral("Current Show:"), QRect(labelX, 20, 130, 24));
    lblCurShow = PlacedLabel(this, "lblCurShow", QString(), QRect(fieldX, 20, 240, 24));
    QFont bold = lblCurShow->font();
    bold.setBold(true);
    lblCurShow->setFont(bold);

    PlacedLabel(this, "Label2", QStringLiteral("Current Time Point:"), QRect(labelX, 60, 130, 24));
    const Qt::Alignment centre = Qt::AlignCenter;
    editHour = PlacedLineEdit(this, "editHour", QRect(fieldX, 60, 48, 24));
    PlacedLabel(this, "Label3", QStringLiteral(":"), QRect(fieldX + 48, 60, 16, 24), centre);
    editMinute = PlacedLineEdit(this, "editMinute", QRect(fieldX + 64, 60, 48, 24));
    PlacedLabel(this, "Label4", QStringLiteral(":"), QRect(fieldX + 112, 60, 16, 24), centre);
    editSecond = PlacedLineEdit(this, "editSecond", QRect(fieldX + 128, 60, 48, 24));
    PlacedLabel(this, "Label5", QStringLiteral("HH"), QRect(fieldX, 86, 48, 18), centre);
    PlacedLabel(this, "Label6", QStringLiteral("MM"), QRect(fieldX + 64, 86, 48, 18), centre);
    PlacedLabel(this, "Label7", QStringLiteral("SS"), QRect(fieldX + 128, 86, 48, 18), centre);

    PlacedLabel(this, "Label8", QStringLiteral("Remark:"), QRect(labelX, 116, 130, 24));
    editRemark = PlacedLineEdit(this, "editRemark", QRect(fieldX, 116, 240, 24));
    editRemark->setMaxLength(EditTimePointLogic::RemarkLength);

    bitbtnSave = PlacedButton(this, "bitbtnSave", QStringLiteral("Save"), QRect(196, 168, 96, 30));
    bitbtnClose = PlacedButton(this, "bitbtnClose", QStringLiteral("Close"), QRect(304, 168, 96, 30));

    connect(bitbtnSave, &QPushButton::clicked, this, &EditTimePointDialog::bitbtnSaveClick);
    connect(bitbtnClose, &QPushButton::clicked, this, &QDialog::reject);

    ApplyFixedFormLayout(this);

    m_logic.load();
    lblCurShow->setText(m_logic.showName);
    editHour->setText(m_logic.hour);
    editMinute->setText(m_logic.minute);
    editSecond->setText(m_logic.second);
    editRemark->setText(m_logic.remark);
}

void EditTimePointDialog::bitbtnSaveClick()
{
    m_logic.hour = editHour->text();
    m_logic.minute = editMinute->text();
    m_logic.second = editSecond->text();
    m_logic.remark = editRemark->text();
    if (m_logic.save(this))
        accept();
}

bool RunEditTimePointDialog(QWidget* parent, MessagePresenter& messages, const QString& showId,
                            const QString& showName, const QString& timePointId, const QString& remark)
{
    // Only a save closes the dialog with Accepted.
    EditTimePointDialog dialog(parent, messages, showId, showName, timePointId, remark);
    return dialog.exec() == QDialog::Accepted;
}
