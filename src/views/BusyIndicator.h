#pragma once

#include <QTimer>
#include <QWidget>

namespace quillcraft {

// A small turning arc that says work is under way, in the secondary text colour.
class BusyIndicator final : public QWidget {
public:
    explicit BusyIndicator(int size = 14, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_size;
    int m_angle = 0;
    QTimer m_timer;
};

} // namespace quillcraft
