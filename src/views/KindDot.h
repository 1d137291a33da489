#pragma once

#include <QColor>
#include <QWidget>

namespace quillcraft {

// The small filled circle in an issue kind's colour that leads its card or row.
class KindDot final : public QWidget {
public:
    static constexpr int diameter = 7;

    explicit KindDot(QColor color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

} // namespace quillcraft
