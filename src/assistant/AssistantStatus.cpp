#include "assistant/AssistantStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace quillcraft {

namespace {

QString quoted(const QString& text)
{
    // A JSON string literal: an app name with a quote in it stays readable.
    const QByteArray json = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

QString AssistantStatus::text() const
{
    switch (kind) {
    case Kind::off:
        return QStringLiteral("off(app: %1)").arg(quoted(app));
    case Kind::checking:
        return QStringLiteral("checking(app: %1, fixes: %2)").arg(quoted(app)).arg(fixes);
    case Kind::needsAccess:
        return QStringLiteral("needsAccess");
    case Kind::paused:
        return QStringLiteral("paused");
    case Kind::idle:
        break;
    }
    return QStringLiteral("idle");
}

} // namespace quillcraft
