#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

namespace quillcraft {

// Text that wraps anywhere (a word longer than the line is broken, not clipped)
// and stops at a number of lines, eliding the last one; when anything is cut,
// the whole text is the tooltip. Keeps cards a known size whatever they show.
class BoundedLabel final : public QWidget {
public:
    explicit BoundedLabel(QString text, int maxLines = 1, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // A colour of its own; otherwise the palette's text colour, or its secondary
    // colour when `secondary` (both looked up when painting, so they follow the appearance).
    void setColor(std::optional<QColor> color);
    void setSecondary(bool secondary);
    // Fades whichever colour is drawn.
    void setOpacity(qreal opacity);
    void setElideMode(Qt::TextElideMode mode);
    // The lines drawn at `width`, the last one elided when the text goes on.
    QStringList lines(int width) const;
    bool isElided() const;

    // One line is one height whatever the width; only wrapping text trades width for height.
    bool hasHeightForWidth() const override { return m_maxLines > 1; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Laid {
        QStringList lines;
        bool elided = false;
    };
    Laid laid(int width) const;
    void updateToolTip();

    QString m_text;
    int m_maxLines;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    std::optional<QColor> m_color;
    bool m_secondary = false;
    qreal m_opacity = 1;
};

} // namespace quillcraft
