// The saved cookies' reader. Whatever the bytes, they are refused with a reason (and
// the file is set aside) or give live cookies that write back to a file reading as
// the same cookies, after which writing changes nothing more.
#include "FuzzSupport.h"

#include "service/PersistentCookieJar.h"

#include <QTimeZone>

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // A fixed "now" so a run repeats; the seeds expire after it.
    const QDateTime now(QDate(2026, 6, 1), QTime(12, 0), QTimeZone::utc());
    QString why;
    const std::optional<QList<QNetworkCookie>> cookies = PersistentCookieJar::parse(bytes, now, why);
    if (!cookies) {
        fuzz::check(!why.isEmpty(), "a refused file has no reason");
        return 0;
    }
    for (const QNetworkCookie& cookie : *cookies) {
        fuzz::check(!cookie.name().isEmpty(), "a cookie has no name");
        fuzz::check(!cookie.isSessionCookie() && cookie.expirationDate() > now, "a dead cookie was kept");
    }
    const QByteArray written = PersistentCookieJar::serialize(*cookies, now);
    QString again;
    const std::optional<QList<QNetworkCookie>> reread = PersistentCookieJar::parse(written, now, again);
    fuzz::check(reread.has_value(), "a written file cannot be read");
    fuzz::check(*reread == *cookies, "written cookies read back differently");
    fuzz::check(PersistentCookieJar::serialize(*reread, now) == written, "writing again changed the file");
    return 0;
}
