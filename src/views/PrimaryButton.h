#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

namespace quillcraft {

// The main action of a card: a filled rounded button, 32 high. Never takes
// keyboard focus, so clicking it leaves typing where it was; the first click acts.
class PrimaryButton final : public QAbstractButton {
public:
    explicit PrimaryButton(const QString& text, QWidget* parent = nullptr);

    // The fill; the primary text colour when unset.
    void setTint(std::optional<QColor> tint);
    QColor fill() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QColor> m_tint;
};

} // namespace quillcraft
