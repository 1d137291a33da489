#include "DevelopmentHooks.h"

#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>

#ifndef QUILLCRAFT_DEVELOPMENT_BUILD
#define QUILLCRAFT_DEVELOPMENT_BUILD 0
#endif
#ifndef QUILLCRAFT_DEFAULT_ORIGIN
#define QUILLCRAFT_DEFAULT_ORIGIN "http://127.0.0.1:8787"
#endif

namespace quillcraft::DevelopmentHooks {

namespace {

struct Values {
    std::optional<QString> stateFile;
    bool forcePaste = false;
    std::optional<QString> preview;
    QString origin = QStringLiteral(QUILLCRAFT_DEFAULT_ORIGIN);
};

std::optional<QString> nonEmptyEnv(const char* name)
{
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

// Read once, on first use; the values never change afterwards.
const Values& values()
{
    static const Values loaded = [] {
        Values v;
        if constexpr (QUILLCRAFT_DEVELOPMENT_BUILD) {
            v.stateFile = nonEmptyEnv("QUILLCRAFT_STATE_FILE");
            const QString force = qEnvironmentVariable("QUILLCRAFT_FORCE_PASTE").trimmed().toLower();
            v.forcePaste = !force.isEmpty() && force != QLatin1String("0") && force != QLatin1String("false")
                && force != QLatin1String("no");
            v.preview = nonEmptyEnv("QUILLCRAFT_PREVIEW");
            if (auto origin = nonEmptyEnv("QUILLCRAFT_ORIGIN"))
                v.origin = *origin;
        }
        return v;
    }();
    return loaded;
}

// Keeps the message on one line whatever the bad value holds, and keeps a
// password written into the value out of it.
QString printable(const QString& text)
{
    QString out = text;
    out.replace(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f-\\x9f]")), QStringLiteral("?"));
    out.replace(QRegularExpression(QStringLiteral("^(\\s*[A-Za-z][A-Za-z0-9+.-]*://[^/?#@:]*):[^/?#]*@")),
        QStringLiteral("\\1:***@"));
    return out;
}

} // namespace

bool isDevelopmentBuild()
{
    return QUILLCRAFT_DEVELOPMENT_BUILD;
}

std::optional<QString> stateFile()
{
    return values().stateFile;
}

bool forcePaste()
{
    return values().forcePaste;
}

std::optional<QString> preview()
{
    return values().preview;
}

std::optional<QUrl> parseOrigin(const QString& text, QString* whyNot)
{
    auto fail = [whyNot](const char* reason) -> std::optional<QUrl> {
        if (whyNot)
            *whyNot = QString::fromUtf8(reason);
        return std::nullopt;
    };
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return fail("it is not a valid URL");
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return fail("its scheme must be http or https");
    if (url.host().isEmpty())
        return fail("it has no host");
    if (!url.userInfo().isEmpty())
        return fail("it must not carry a user name or password");
    if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        return fail("it must not have a path");
    if (url.hasQuery() || url.hasFragment())
        return fail("it must not have a query or fragment");
    QUrl origin;
    origin.setScheme(url.scheme());
    origin.setHost(url.host());
    origin.setPort(url.port());
    return origin;
}

QUrl origin()
{
    static const QUrl checked = [] {
        const QString& text = values().origin;
        QString why;
        if (auto url = parseOrigin(text, &why))
            return *url;
        const QString line
            = QStringLiteral("quillcraft: The service origin \"%1\" cannot be used: %2.\n").arg(printable(text), why);
        std::fputs(line.toLocal8Bit().constData(), stderr);
        std::exit(78); // EX_CONFIG
        return QUrl();
    }();
    return checked;
}

} // namespace quillcraft::DevelopmentHooks
