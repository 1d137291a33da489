#pragma once

#include <QAbstractButton>

#include <functional>

namespace quillcraft {

// The small pill shown beside a selection in another application: the brand mark
// and "Rewrite". Pressing it opens the rewrite card. Never takes keyboard focus,
// so the other application keeps its selection; the first click acts.
class SelectionButton final : public QAbstractButton {
public:
    explicit SelectionButton(std::function<void()> onPress = {}, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The pill inside the shadow margin.
    QRectF pillRect() const;

    static QString tooltipText();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void()> m_onPress;
};

} // namespace quillcraft
