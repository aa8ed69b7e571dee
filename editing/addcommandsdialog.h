#pragma once

#include "commandlist.h"

#include <QDialog>
#include <QString>
#include <QVector>

class MessagePresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-commands dialog without its widgets: which list the blank commands
// go to, the context line, and the Add button's action.
class AddCommandsForm {
public:
    // A refused quantity and a failed add are told through the presenter.
    explicit AddCommandsForm(MessagePresenter& messages) : m_messages(messages) {}

    enum class AddOutcome {
        Nothing, // empty quantity: nothing happens
        Refused, // not a number 0 to 30: the operator was told
        Added,   // every command was added (also none); the dialog closes
        Failed,  // nothing was added; the operator was told why and Add stays off
    };

    // The list the commands are added to.
    void PrepareAddCommands(const NamedCommandList& list);
    // Appends as many blank commands as the quantity text says, all in one
    // transaction.
    AddOutcome AddBlankCommands(const QString& quantityText);

    bool addEnabled() const { return m_addEnabled; }
    // Commands were added (the list changed).
    bool saved() const { return m_saved; }
    QVector<int> addedIds() const { return m_added; }

    QString firstCaption() const { return m_captions.firstCaption; }
    QString firstValue() const { return m_captions.firstValue; }
    QString secondCaption() const { return m_captions.secondCaption; }
    QString secondValue() const { return m_captions.secondValue; }
    bool secondLineVisible() const { return m_target.setCode == CommandsForShowSet; }

private:
    MessagePresenter& m_messages;
    ShowStore::CommandTarget m_target = ShowStore::CommandTarget::set(CommandsForPlaySet);
    CommandListCaptions m_captions;
    bool m_addEnabled = true;
    bool m_saved = false;
    QVector<int> m_added;
};

// "Add Commands": the operator types how many blank commands to append.
class AddCommandsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddCommandsDialog(MessagePresenter& messages, QWidget* parent = nullptr);

    void PrepareAddCommands(const NamedCommandList& list);
    void bitbtnAddClick();

    AddCommandsForm form;
    QLabel* lblFirst = nullptr;
    QLabel* lblFirstValue = nullptr;
    QLabel* lblSecond = nullptr;
    QLabel* lblSecondValue = nullptr;
    QLineEdit* editQTY = nullptr;
    QPushButton* bitbtnAdd = nullptr;
    QPushButton* bitbtnClose = nullptr;
};

// Opens the dialog modally; true when commands were added.
bool RunAddCommandsDialog(QWidget* parent, MessagePresenter& messages, const NamedCommandList& list);
