#pragma once

#include <QWidget>

namespace quillcraft {

// The program's mark: the quill in white on a dark rounded square.
class BrandMark final : public QWidget {
public:
    explicit BrandMark(int size = 22, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // Draws the mark filling the square `frame`.
    static void paint(QPainter& painter, const QRectF& frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_size;
};

} // namespace quillcraft
