#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through one presenter. The program
// makes the real message boxes of ui/messageboxes.h the default at start-up;
// tests install a scripted presenter that records each text and answers
// questions from a queue. Without either, texts go to the log and questions
// are answered Cancel, so nothing widget-free ever waits for an operator.

enum class MessageAnswer { Yes, No, Cancel, Ok };

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Yes/No/Cancel box with a question icon, No as the default button.
    virtual MessageAnswer question(QWidget* owner, const QString& text, const QString& caption) = 0;
    // OK box.
    virtual void notice(QWidget* owner, const QString& text, const QString& caption) = 0;
    // Error box with an OK button.
    virtual void error(QWidget* owner, const QString& text) = 0;

    // A question under the caption "Inquire".
    MessageAnswer ask(QWidget* owner, const QString& text);
    // A notice without a title.
    void tell(QWidget* owner, const QString& text);
};

// Texts go to the log and questions are answered Cancel, so that nothing
// widget-free ever waits for an operator.
class LogMessagePresenter : public MessagePresenter {
public:
    MessageAnswer question(QWidget* owner, const QString& text, const QString& caption) override;
    void notice(QWidget* owner, const QString& text, const QString& caption) override;
    void error(QWidget* owner, const QString& text) override;
};

// Installs a presenter (not owned); nullptr restores the default.
void SetMessagePresenter(MessagePresenter* presenter);
// The presenter used while none is installed (not owned); nullptr restores
// the log.
void SetDefaultMessagePresenter(MessagePresenter* presenter);
MessagePresenter& CurrentMessagePresenter();

// Asks with Yes/No/Cancel; the caption is "Inquire" when none is given.
MessageAnswer AskQuestion(QWidget* owner, const QString& text, const QString& caption = QString());
// OK box; the title stays empty without a caption.
void ShowNotice(QWidget* owner, const QString& text, const QString& caption = QString());
// Error box with the failure's own text.
void ShowError(const QString& text);
