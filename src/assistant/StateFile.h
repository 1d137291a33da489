#pragma once

#include "grammar/TextIssue.h"
#include "platform/AccessibilityElement.h"
#include "views/FieldBadge.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace quillcraft::StateFile {

// [x, y, width, height], as automation reads rectangles.
QJsonArray frame(const QRectF& rect);
// [midX, midY, width, height] of an underline.
QJsonArray mark(const QRectF& rect);
QJsonArray point(const QPointF& point);
QJsonArray problemTexts(const QList<TextIssue>& issues);
// The badge's state as automation reads it: issues(count: 2, styleOnly: false), checking, clean.
QString badgeText(const std::optional<FieldBadge::State>& state);
// The codes automation knows from other platforms' accessibility interfaces (0 for success).
int errorCode(AXError error);

// Replaces the file at path with the object as compact JSON, whole or not at
// all, readable by the user only (it holds the field's text). Failures are silent:
// nothing the assistant does depends on the file.
void write(const QString& path, const QJsonObject& state);

} // namespace quillcraft::StateFile
