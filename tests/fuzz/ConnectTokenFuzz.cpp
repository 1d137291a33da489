// The browser's sign-in callback, which any program on the desktop can hand us.
// Whatever the text, a token comes back only from a bounded quillcraft://connected
// URL carrying the exact state, is never empty, and the same callback rebuilt
// around that token gives the token again.
#include "FuzzSupport.h"

#include "service/AccountEndpoints.h"

#include <QUrl>

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::InputReader input(data, size);
    // The first line is the expected state, the rest the callback.
    const QByteArray bytes = input.rest();
    const qsizetype split = bytes.indexOf('\n');
    const QString state = QString::fromUtf8(split < 0 ? QByteArray() : bytes.left(split));
    const QString callback = QString::fromUtf8(split < 0 ? bytes : bytes.mid(split + 1));

    const std::optional<QString> token = AccountEndpoints::connectToken(callback, state);
    fuzz::check(token == AccountEndpoints::connectToken(callback, state), "the same callback read differently");
    if (!token)
        return 0;
    fuzz::check(!token->isEmpty(), "an empty token was accepted");
    fuzz::check(!state.isEmpty(), "a token was accepted without a state");
    fuzz::check(callback.size() <= AccountEndpoints::maxCallbackLength, "an oversized callback was read");
    fuzz::check(callback.startsWith(QLatin1String("quillcraft://connected")), "a callback elsewhere was accepted");
    fuzz::check(callback.contains(QLatin1String("state=")), "a callback without a state was accepted");

    const QString rebuilt = QLatin1String("quillcraft://connected?token=")
        + QString::fromLatin1(QUrl::toPercentEncoding(*token)) + QLatin1String("&state=")
        + QString::fromLatin1(QUrl::toPercentEncoding(state));
    if (rebuilt.size() <= AccountEndpoints::maxCallbackLength)
        fuzz::check(AccountEndpoints::connectToken(rebuilt, state) == token, "a rebuilt callback lost its token");
    fuzz::check(!AccountEndpoints::connectToken(callback, state + QLatin1Char('x')), "a longer state matched");
    return 0;
}
