#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QTextLayout;

namespace quillcraft {

// Plain text that wraps at word boundaries, or anywhere when a word is wider than
// the line, so no text can force its container wider. With a line limit the last
// line is elided. Right-to-left text is laid out and aligned as such.
class WrappedText final : public QWidget {
    Q_OBJECT

public:
    // maxLines 0: as many lines as the text needs.
    explicit WrappedText(const QString& text = {}, int maxLines = 0, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setColor(std::optional<QColor> color);
    std::optional<QColor> color() const { return m_color; }
    int maxLines() const { return m_maxLines; }
    // The lines the text takes at `width`, without the limit.
    int naturalLineCount(int width) const;
    // Whether the limit cuts the text at `width`.
    bool isCut(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays out the text at `width`, stopping after `lineLimit` lines (0: all).
    QString candidateText(int width, int lineLimit) const;
    void layOut(QTextLayout& layout, int width, int lineLimit) const;
    int shownLines(int width) const;

    QString m_text; // line breaks already turned into line separators
    int m_maxLines;
    std::optional<QColor> m_color;
};

} // namespace quillcraft
