// Reading what a later start sends the running program.
#include "shell/HandoffMessage.h"
#include "service/AccountEndpoints.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using Kind = HandoffMessage::Kind;

namespace {

const QString callback = QStringLiteral("quillcraft://connected?state=abc-DEF_123&token=t0ken");

Kind kindOf(QByteArrayView bytes)
{
    return HandoffMessage::parse(bytes).kind;
}

QByteArray openLine(const char* link)
{
    return QByteArray("open ") + link + '\n';
}

} // namespace

TEST(HandoffMessage, TakesBothMessagesAsTheSenderWritesThem)
{
    EXPECT_EQ(kindOf(HandoffMessage::bringForward()), Kind::BringForward);

    const HandoffMessage opened = HandoffMessage::parse(HandoffMessage::openUrl(callback));
    ASSERT_EQ(opened.kind, Kind::OpenUrl);
    // What the account code will do with it later.
    EXPECT_EQ(AccountEndpoints::connectToken(opened.url.toString(QUrl::FullyEncoded), QStringLiteral("abc-DEF_123")),
        QStringLiteral("t0ken"));

    // Encoded values, any order, repeated items: the account code still reads the first ones.
    const HandoffMessage encoded
        = HandoffMessage::parse(openLine("quillcraft://connected?token=a%2Bb%2Fc%3D&extra=1&state=s%7E1&state=x"));
    ASSERT_EQ(encoded.kind, Kind::OpenUrl);
    EXPECT_EQ(AccountEndpoints::connectToken(encoded.url.toString(QUrl::FullyEncoded), QStringLiteral("s~1")),
        QStringLiteral("a+b/c="));
}

TEST(HandoffMessage, WaitsForTheLineFeedAndNothingMore)
{
    const QByteArray whole = HandoffMessage::openUrl(callback);
    for (qsizetype cut = 0; cut < whole.size(); ++cut)
        EXPECT_EQ(kindOf(whole.first(cut)), Kind::Incomplete) << cut;
    EXPECT_EQ(kindOf(whole + "raise\n"), Kind::Refused);
    EXPECT_EQ(kindOf("raise\n\n"), Kind::Refused);
    EXPECT_EQ(kindOf("raise\r\n"), Kind::Refused);
    EXPECT_EQ(kindOf("\n"), Kind::Refused);
    EXPECT_EQ(kindOf("open \n"), Kind::Refused);
    EXPECT_EQ(kindOf("RAISE\n"), Kind::Refused);
}

TEST(HandoffMessage, SizeIsCappedEvenWithoutALineFeed)
{
    const QByteArray base = HandoffMessage::openUrl(callback);
    // Padded with an ignored query item up to the limit exactly, then one over.
    QByteArray atLimit = base;
    atLimit.insert(base.size() - 1, "&pad=" + QByteArray(HandoffMessage::maxSize - base.size() - 5, 'x'));
    ASSERT_EQ(atLimit.size(), HandoffMessage::maxSize);
    EXPECT_EQ(kindOf(atLimit), Kind::OpenUrl);
    QByteArray overLimit = atLimit;
    overLimit.insert(overLimit.size() - 1, 'x');
    EXPECT_EQ(kindOf(overLimit), Kind::Refused);

    const QByteArray endless(HandoffMessage::maxSize + 1, 'r');
    EXPECT_EQ(kindOf(endless.first(HandoffMessage::maxSize)), Kind::Incomplete);
    EXPECT_EQ(kindOf(endless), Kind::Refused);
}

TEST(HandoffMessage, ACallbackWithoutATokenStillReachesItsSignIn)
{
    // The browser gave up: the waiting sign-in should say so at once, not after ten minutes.
    for (const char* link : { "quillcraft://connected?state=s", "quillcraft://connected?state=s&token=" }) {
        const HandoffMessage message = HandoffMessage::parse(openLine(link));
        EXPECT_EQ(message.kind, Kind::OpenUrl) << link;
        EXPECT_EQ(AccountEndpoints::callbackState(message.url.toString(QUrl::FullyEncoded)), QStringLiteral("s"));
    }
}

TEST(HandoffMessage, RefusesLinksNoSignInCanUse)
{
    const char* links[] = {
        "https://connected?state=s&token=t",
        "QUILLCRAFT://connected?state=s&token=t",
        "quillcraft://Connected?state=s&token=t",
        "quillcraft://connected.example?state=s&token=t",
        "quillcraft://elsewhere?state=s&token=t",
        "quillcraft://connected:80?state=s&token=t",
        "quillcraft://user@connected?state=s&token=t",
        "quillcraft://connected/path?state=s&token=t",
        "quillcraft://connected?state=s&token=t#fragment",
        "quillcraft://connected?token=t",
        "quillcraft://connected?state&token=t",
        "quillcraft://connected?state=s&token=t u",
        "",
    };
    for (const char* link : links)
        EXPECT_EQ(kindOf(openLine(link)), Kind::Refused) << link;
}

TEST(HandoffMessage, RefusesBytesThatAreNotPlainText)
{
    QByteArray withNul = openLine("quillcraft://connected?state=s&token=t");
    withNul.insert(withNul.size() - 1, QByteArray("\0x", 2));
    EXPECT_EQ(kindOf(withNul), Kind::Refused);
    EXPECT_EQ(kindOf(QByteArray("rai\0se\n", 7)), Kind::Refused);
    EXPECT_EQ(kindOf(QByteArray("raise\0\n", 7)), Kind::Refused);

    EXPECT_EQ(kindOf(openLine("quillcraft://connected?state=s&token=\xff\xfe")), Kind::Refused);
    EXPECT_EQ(kindOf(openLine("quillcraft://connected?state=s&token=\xc3")), Kind::Refused);
    // Valid UTF-8 but not ASCII: a real link is percent-encoded.
    EXPECT_EQ(kindOf(openLine("quillcraft://connected?state=s&token=t\xc3\xa9")), Kind::Refused);
}
