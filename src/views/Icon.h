#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

namespace quillcraft {

// One of the program's icons in a size x size frame, tinted with the text colour
// of its palette or a colour of its own.
class Icon final : public QWidget {
public:
    explicit Icon(QString name, int size = 12, QWidget* parent = nullptr);

    void setColor(std::optional<QColor> color);
    QSize sizeHint() const override;

    // Draws icon `name` filling `frame`, in `color`.
    static void paint(QPainter& painter, const QRectF& frame, const QString& name, const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    std::optional<QColor> m_color;
};

} // namespace quillcraft
