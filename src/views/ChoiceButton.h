#pragma once

#include <QAbstractButton>
#include <QColor>

namespace quillcraft {

// A large, full-width choice tinted with its own colour. Never takes keyboard
// focus; the first click acts.
class ChoiceButton final : public QAbstractButton {
public:
    ChoiceButton(const QString& text, QColor color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

} // namespace quillcraft
