#pragma once

#include <QAbstractButton>

namespace quillcraft {

// An on/off switch: a rounded track with a knob, filled with the accent colour
// when on. Checkable; takes keyboard focus (Space flips it) for the settings
// window, which is an ordinary window.
class ToggleSwitch final : public QAbstractButton {
public:
    // `accessibleName` is the setting the switch controls.
    explicit ToggleSwitch(const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    static constexpr int trackWidth = 34;
    static constexpr int trackHeight = 20;
};

} // namespace quillcraft
