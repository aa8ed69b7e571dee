#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through a presenter that the window,
// dialog or logic class showing it is handed when it is made. The program
// makes the real message boxes of ui/messageboxes.h once and hands them down;
// tests hand a scripted presenter that records each text and answers
// questions from a queue; widget-free code and tools may hand the log.

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
