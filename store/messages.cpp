#include "messages.h"

#include <QDebug>

MessageAnswer MessagePresenter::ask(QWidget* owner, const QString& text)
{
    return question(owner, text, QStringLiteral("Inquire"));
}

void MessagePresenter::tell(QWidget* owner, const QString& text)
{
    notice(owner, text, QString());
}

MessageAnswer LogMessagePresenter::question(QWidget*, const QString& text, const QString& caption)
{
    qWarning().noquote() << caption << text << "(no one to answer: Cancel)";
    return MessageAnswer::Cancel;
}

void LogMessagePresenter::notice(QWidget*, const QString& text, const QString& caption)
{
    qWarning().noquote() << caption << text;
}

void LogMessagePresenter::error(QWidget*, const QString& text)
{
    qWarning().noquote() << text;
}

namespace {

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
    static LogMessagePresenter log;
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
