#include "RewriteAction.h"

namespace quillcraft {

QString RewriteAction::rawValue(Mode mode)
{
    switch (mode) {
    case Mode::rewrite:
        return QStringLiteral("Rewrite");
    case Mode::grammar:
        return QStringLiteral("Fix grammar");
    case Mode::shorten:
        return QStringLiteral("Shorten");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<RewriteAction::Mode> RewriteAction::modeFromRawValue(const QString& raw)
{
    for (Mode mode : allModes) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

QString RewriteAction::rawValue(Source source)
{
    return source == Source::custom ? QStringLiteral("custom") : QStringLiteral("preset");
}

std::optional<RewriteAction::Source> RewriteAction::sourceFromRawValue(const QString& raw)
{
    if (raw == QLatin1String("preset"))
        return Source::preset;
    if (raw == QLatin1String("custom"))
        return Source::custom;
    return std::nullopt;
}

} // namespace quillcraft
