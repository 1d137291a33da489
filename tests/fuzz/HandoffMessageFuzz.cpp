// What another start of the program sends the running one; any program of the
// same user can connect and send anything. A link comes out only from one bounded
// line that has the sign-in callback's exact form, and the received text is read
// the same whole or cut anywhere before its end.
#include "FuzzSupport.h"

#include "service/AccountEndpoints.h"
#include "shell/HandoffMessage.h"

using namespace quillcraft;
using Kind = HandoffMessage::Kind;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::InputReader input(data, size);
    const QByteArray bytes = input.rest();
    const HandoffMessage message = HandoffMessage::parse(bytes);
    fuzz::check(HandoffMessage::parse(bytes).kind == message.kind, "the same bytes read differently");

    const qsizetype end = bytes.indexOf('\n');
    if (message.kind == Kind::Incomplete) {
        fuzz::check(end < 0 && bytes.size() <= HandoffMessage::maxSize, "a whole or oversized message waits");
        return 0;
    }
    if (message.kind == Kind::Refused) {
        fuzz::check(message.url.isEmpty(), "a refused message carries a link");
        return 0;
    }
    fuzz::check(bytes.size() <= HandoffMessage::maxSize, "an oversized message was taken");
    fuzz::check(end == bytes.size() - 1, "a message with more after its line was taken");
    // Every cut before the line feed only waits for more.
    fuzz::check(HandoffMessage::parse(bytes.first(end)).kind == Kind::Incomplete, "a cut message was not waited for");
    fuzz::check(HandoffMessage::parse(bytes.first(end / 2)).kind == Kind::Incomplete, "a cut message was refused");

    if (message.kind == Kind::BringForward) {
        fuzz::check(bytes == HandoffMessage::bringForward(), "something else read as come forward");
        return 0;
    }
    fuzz::check(!bytes.contains('\0'), "a link with a NUL was taken");
    const QString text = message.url.toString(QUrl::FullyEncoded);
    fuzz::check(text.startsWith(QLatin1String("quillcraft://connected")), "a link elsewhere was taken");
    const std::optional<QString> state = AccountEndpoints::callbackState(text);
    fuzz::check(state && !state->isEmpty(), "a taken link is no sign-in callback");
    fuzz::check(AccountEndpoints::connectToken(text, *state).value_or(QStringLiteral("x")) != QString(),
        "a taken link gives the account code an empty token");
    // The sender's own encoding of the taken link is taken again.
    const QByteArray resent = HandoffMessage::openUrl(text);
    if (resent.size() <= HandoffMessage::maxSize)
        fuzz::check(HandoffMessage::parse(resent).url == message.url, "a taken link did not survive being sent again");
    return 0;
}
