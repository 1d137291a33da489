#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace quillcraft::StateFile {

// [x, y, width, height], as automation reads rectangles.
QJsonArray frame(const QRectF& rect);
// [midX, midY, width, height] of an underline.
QJsonArray mark(const QRectF& rect);
QJsonArray point(const QPointF& point);

// Replaces the file at path with the object as compact JSON, whole or not at
// all, readable by the user only (it holds the field's text). Failures are silent:
// nothing the assistant does depends on the file.
void write(const QString& path, const QJsonObject& state);

} // namespace quillcraft::StateFile
