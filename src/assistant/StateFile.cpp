#include "assistant/StateFile.h"

#include "core/PrivateFile.h"

#include <QJsonDocument>

namespace quillcraft::StateFile {

QJsonArray frame(const QRectF& rect)
{
    return { rect.x(), rect.y(), rect.width(), rect.height() };
}

QJsonArray mark(const QRectF& rect)
{
    return { rect.center().x(), rect.center().y(), rect.width(), rect.height() };
}

QJsonArray point(const QPointF& point)
{
    return { point.x(), point.y() };
}

int errorCode(AXError error)
{
    switch (error) {
    case AXError::success:
        return 0;
    case AXError::failure:
        return -25200;
    case AXError::illegalArgument:
        return -25201;
    case AXError::cannotComplete:
        return -25204;
    case AXError::attributeUnsupported:
        return -25205;
    case AXError::notImplemented:
        return -25208;
    case AXError::noValue:
        return -25212;
    case AXError::apiDisabled:
        return -25211;
    }
    return -25200;
}

QString badgeText(const std::optional<FieldBadge::State>& state)
{
    if (!state)
        return {};
    if (const auto* issues = std::get_if<FieldBadge::Issues>(&*state)) {
        return QStringLiteral("issues(count: %1, styleOnly: %2)")
            .arg(issues->count)
            .arg(issues->styleOnly ? QStringLiteral("true") : QStringLiteral("false"));
    }
    if (std::holds_alternative<FieldBadge::Checking>(*state))
        return QStringLiteral("checking");
    return QStringLiteral("clean");
}

QJsonArray problemTexts(const QList<TextIssue>& issues)
{
    QJsonArray texts;
    for (const TextIssue& issue : issues)
        texts.append(issue.problemText);
    return texts;
}

void write(const QString& path, const QJsonObject& state)
{
    // Rewritten after every tick and read by the program's own checks: no wait for the disk.
    PrivateFile(path).write(QJsonDocument(state).toJson(QJsonDocument::Compact), PrivateFile::Sync::none);
}

} // namespace quillcraft::StateFile
