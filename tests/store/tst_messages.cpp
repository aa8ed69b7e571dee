#include "messages.h"
#include "scriptedmessages.h"

#include <QtTest>

class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void askIsAnInquiryAndTellHasNoTitle()
    {
        ScriptedMessages boxes;
        MessagePresenter& messages = boxes;
        boxes.answerNext(MessageAnswer::Yes);
        QCOMPARE(messages.ask(nullptr, QStringLiteral("Are you sure you want to exit?")), MessageAnswer::Yes);
        QCOMPARE(messages.ask(nullptr, QStringLiteral("again?")), MessageAnswer::No);
        messages.tell(nullptr, QStringLiteral("No show!"));
        QCOMPARE(boxes.shown.size(), 3);
        QCOMPARE(boxes.shown[0].kind, ScriptedMessages::Shown::Question);
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Inquire"));
        QCOMPARE(boxes.shown[2].kind, ScriptedMessages::Shown::Notice);
        QCOMPARE(boxes.shown[2].caption, QString());
    }

    void logWritesTextsAndAnswersCancel()
    {
        LogMessagePresenter log;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Exit\\?.*Cancel")));
        QCOMPARE(log.ask(nullptr, QStringLiteral("Exit?")), MessageAnswer::Cancel);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("No show!$")));
        log.tell(nullptr, QStringLiteral("No show!"));
        QTest::ignoreMessage(QtWarningMsg, "Cannot write");
        log.error(nullptr, QStringLiteral("Cannot write"));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
