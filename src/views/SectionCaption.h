#pragma once

#include <QWidget>

namespace quillcraft {

// The caption over a group of rows, shown in capitals in small secondary
// letters. `text()` is the caption as given; `shownText()` what is drawn.
class SectionCaption final : public QWidget {
public:
    explicit SectionCaption(const QString& text = {}, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QString shownText() const;
    void setText(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace quillcraft
