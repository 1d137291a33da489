#pragma once

#include <QAbstractButton>

namespace quillcraft {

// One tone of the rewrite card: a small rounded button with a check mark before
// the name while the tone is selected. The name is elided when it does not fit;
// the tooltip and the accessible name carry it whole, the accessible value says
// "Selected" or "Not selected". Never takes keyboard focus.
class ToneChip final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int height = 25;

    explicit ToneChip(const QString& tone, bool selected, QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    QString accessibleValue() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected;
};

} // namespace quillcraft
