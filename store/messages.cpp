#include "messages.h"

#include <QDebug>

namespace {

class LogPresenter : public MessagePresenter {
public:
    MessageAnswer question(QWidget*, const QString& text, const QString& caption) override
    {
        qWarning().noquote() << caption << text << "(no one to answer: Cancel)";
        return MessageAnswer::Cancel;
    }
    void notice(QWidget*, const QString& text, const QString& caption) override
    {
        qWarning().noquote() << caption << text;
    }
    void error(QWidget*, const QString& text) override { qWarning().noquote() << text; }
};

MessagePresenter* installed = nullptr;
MessagePresenter* fallback = nullptr;

} // namespace

void SetMessagePresenter(MessagePresenter* presenter)
{
    installed = presenter;
}

void SetDefaultMessagePresenter(MessagePresenter* presenter)
{
    fallback = presenter;
}

MessagePresenter& CurrentMessagePresenter()
{
    static LogPresenter log;
    if (installed)
        return *installed;
    return fallback ? *fallback : log;
}

MessageAnswer AskQuestion(QWidget* owner, const QString& text, const QString& caption)
{
    return CurrentMessagePresenter().question(owner, text,
                                              caption.isEmpty() ? QStringLiteral("Inquire") : caption);
}

void ShowNotice(QWidget* owner, const QString& text, const QString& caption)
{
    CurrentMessagePresenter().notice(owner, text, caption);
}

void ShowError(const QString& text)
{
    CurrentMessagePresenter().error(nullptr, text);
}
