// The update feed as any server, or whatever answers at its address, might send it.
// Whatever the bytes, a release that comes out has a version and a page that is a web
// page, never a file or another program's URL scheme.
#include "FuzzSupport.h"

#include "service/UpdateFeed.h"

using namespace quillcraft;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray feed(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<UpdateRelease> release = UpdateFeed::newestRelease(feed);
    if (!release)
        return 0;
    fuzz::check(!release->version.isNull(), "a release without a version");
    const QString scheme = release->page.scheme();
    fuzz::check(scheme == QLatin1String("https") || scheme == QLatin1String("http"), "a page that is not a web page");
    fuzz::check(!release->page.host().isEmpty(), "a page without a host");
    fuzz::check(release->displayVersion.size() <= 40, "a shown version past its bound");
    return 0;
}
