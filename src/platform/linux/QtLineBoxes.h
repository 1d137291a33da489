#pragma once

#include <QRectF>
#include <QString>

#include <optional>

typedef struct _AtspiText AtspiText; // NOLINT: libatspi's own spelling, no libatspi header here

namespace quillcraft {

// Qt's line edit reports its character boxes as if the line were never scrolled,
// without its frame and at the top of the widget, while the character at a point
// is answered right. Where the boxes really are is found by asking for points.
// All positions are in the application's own pixels.
class QtLineBoxes final {
public:
    // The horizontal distance from the reported boxes to the drawn characters for
    // the line as it is now; absent when the points do not tell (an empty or
    // right-to-left line, an application that does not answer).
    static std::optional<qreal> shift(AtspiText* text, qint64 characterCount, const QRectF& field);
    // A reported box moved onto the drawn line, which Qt centres in the field.
    static QRectF placed(const QRectF& box, qreal shift, const QRectF& field);

    // What a shift was measured for: the same text, caret and field keep it.
    struct Key final {
        QString text;
        int caret = -1;
        QRectF field;
        bool operator==(const Key&) const = default;
    };
    static std::optional<int> caret(AtspiText* text);
};

} // namespace quillcraft
