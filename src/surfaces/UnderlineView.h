#pragma once

#include "surfaces/UnderlineMark.h"

#include <QList>
#include <QRegion>
#include <QWidget>

namespace quillcraft {

// Paints the underline bars (and the wash behind a highlighted word) of the
// overlay. Marks are in view coordinates with the origin at the bottom-left corner.
class UnderlineView final : public QWidget {
    Q_OBJECT

public:
    explicit UnderlineView(QWidget* parent = nullptr);

    const QList<UnderlineMark>& marks() const;
    void setMarks(QList<UnderlineMark> marks);

    // Without a compositor translucent pixels show black, so the wash becomes
    // an outline that leaves the word itself uncovered.
    bool translucent() const;
    void setTranslucent(bool translucent);

    // The pixels the marks paint, in the view's top-left coordinates; what a
    // window mask keeps when nothing else may show.
    QRegion paintedRegion() const;

    // Top-left painting rectangles of a bottom-left mark rect in a view this high.
    static QRectF barRect(const QRectF& mark, qreal viewHeight);
    static QRectF washRect(const QRectF& mark, qreal viewHeight);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<UnderlineMark> m_marks;
    bool m_translucent = true;
};

} // namespace quillcraft
