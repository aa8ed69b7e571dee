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
