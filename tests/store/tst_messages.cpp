#include "messages.h"
#include "publicvariable.h"
#include "scriptedmessages.h"

#include <QtTest>

class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void questionsDefaultToInquireAndAnswerFromScript()
    {
        ScriptedMessages boxes;
        boxes.answerNext(MessageAnswer::Yes);
        QCOMPARE(AskQuestion(nullptr, QStringLiteral("Are you sure you want to exit?")), MessageAnswer::Yes);
        QCOMPARE(AskQuestion(nullptr, QStringLiteral("again?")), MessageAnswer::No);
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Inquire"));
        ShowNotice(nullptr, QStringLiteral("No show!"));
        QCOMPARE(boxes.shown[2].caption, QString());
        QCOMPARE(boxes.shown[2].kind, ScriptedMessages::Shown::Notice);
    }

    void resetGivesFreshState()
    {
        mPublicVariable().CommandClipboard.resize(3);
        ResetPublicVariables();
        QVERIFY(mPublicVariable().CommandClipboard.isEmpty());
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
