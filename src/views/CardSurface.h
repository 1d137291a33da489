#pragma once

#include <QImage>
#include <QPair>
#include <QWidget>

namespace quillcraft {

// The card that floating content sits on: the content at an exact width on the
// text background, in a rounded, bordered rectangle with a drawn shadow, all
// inside a transparent margin that leaves room for the shadow. The content
// should not fill its own background, so the rounded corners show.
class CardSurface final : public QWidget {
public:
    static constexpr int margin = 18;
    static constexpr qreal cornerRadius = 13;

    // Takes `content` as its child.
    CardSurface(int width, QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // The card itself, inside the margin.
    QRect cardRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int contentHeight() const;
    void layoutContent();

    int m_width;
    QWidget* m_content;
    QImage m_shadow;
    QPair<QSize, qreal> m_shadowKey; // the card size and pixel ratio it was drawn for
};

} // namespace quillcraft
