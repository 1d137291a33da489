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

void write(const QString& path, const QJsonObject& state)
{
    PrivateFile(path).write(QJsonDocument(state).toJson(QJsonDocument::Compact));
}

} // namespace quillcraft::StateFile
