#include "addcommandsdialog.h"

#include "showstore.h"
#include "formlayout.h"
#include "placedwidgets.h"
#include "messages.h"
#include "textops.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// ---- Without widgets ----

void AddCommandsForm::PrepareAddCommands(const NamedCommandList& list)
{
    m_target = list.target;
    m_captions = CaptionsOf(list);
    m_added.clear();
}

AddCommandsForm::AddOutcome AddCommandsForm::AddBlankCommands(const QString& quantityText)
{
    const QString text = quantityText.trimmed();
    if (text.isEmpty() || !m_addEnabled)
        return AddOutcome::Nothing;
    if (!CheckNumber(text, true, 0, 30)) {
        m_messages.tell(nullptr, QStringLiteral("QTY of commands only can be numeric,and range is 0-30"));
        return AddOutcome::Refused;
    }
    const int count = text.toInt();

    const auto added = ShowStore::AddBlankCommands(m_target, count);
    if (added) {
        m_added = *added;
        m_saved = true;
        return AddOutcome::Added;
    }
    // The batch was rolled back whole: nothing to reload, and Add stays off
    // so the same failure is not repeated.
    m_addEnabled = false;
    m_messages.error(nullptr, QStringLiteral("The commands were not added, nothing was written: ") + added.error);
    return AddOutcome::Failed;
}

// ---- The dialog ----

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, bool value = false)
{
    return ContextLabel(parent, name, text, QRect(x, y, value ? 290 : 150, 20), value);
}

} // namespace

AddCommandsDialog::AddCommandsDialog(MessagePresenter& messages, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), form(messages)
{
    setObjectName(QStringLiteral("frmsettings_Add_object"));
    setWindowTitle(QStringLiteral("Add Commands"));
    resize(470, 302);

    DialogTitle(this, QStringLiteral("Add Commands"), QPoint(184, 32));

    lblFirst = label(this, "lblFirst", QStringLiteral("Current Show:"), 16, 96);
    lblFirstValue = label(this, "lblFirstValue", QString(), 168, 96, true);
    lblSecond = label(this, "lblSecond", QStringLiteral("Current Time Point:"), 16, 144);
    lblSecondValue = label(this, "lblSecondValue", QString(), 168, 144, true);
    label(this, "lblTotalObject", QStringLiteral("QTY of Commands:"), 16, 192);

    editQTY = PlacedLineEdit(this, "editQTY", QRect(168, 184, 105, 28));
    editQTY->setMaxLength(2);

    bitbtnAdd = PlacedButton(this, "bitbtnAdd", QStringLiteral("Add"), QRect(136, 240, 100, 40));
    bitbtnClose = PlacedButton(this, "bitbtnClose", QStringLiteral("Close"), QRect(256, 240, 100, 40));

    connect(bitbtnAdd, &QPushButton::clicked, this, &AddCommandsDialog::bitbtnAddClick);
    connect(bitbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(editQTY, &QLineEdit::returnPressed, this, &AddCommandsDialog::bitbtnAddClick);

    ApplyFixedFormLayout(this);
    CentreOnScreen(this, parent);
}

void AddCommandsDialog::PrepareAddCommands(const NamedCommandList& list)
{
    form.PrepareAddCommands(list);
    lblFirst->setText(form.firstCaption());
    lblFirstValue->setText(form.firstValue());
    lblSecond->setText(form.secondCaption());
    lblSecondValue->setText(form.secondValue());
    lblSecond->setVisible(form.secondLineVisible());
    lblSecondValue->setVisible(form.secondLineVisible());
}

void AddCommandsDialog::bitbtnAddClick()
{
    if (!bitbtnAdd->isEnabled())
        return;
    bitbtnAdd->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const AddCommandsForm::AddOutcome outcome = form.AddBlankCommands(editQTY->text());
    QGuiApplication::restoreOverrideCursor();
    bitbtnAdd->setEnabled(form.addEnabled());
    if (outcome == AddCommandsForm::AddOutcome::Added)
        accept();
}

bool RunAddCommandsDialog(QWidget* parent, MessagePresenter& messages, const NamedCommandList& list)
{
    AddCommandsDialog dialog(messages, parent);
    dialog.PrepareAddCommands(list);
    dialog.exec();
    return dialog.form.saved();
}
