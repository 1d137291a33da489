#pragma once

#include <QWidget>

namespace quillcraft {

// The small "LOCAL" capsule: grammar is checked on this computer.
class LocalPill final : public QWidget {
public:
    explicit LocalPill(QWidget* parent = nullptr);

    static QString text();
    static QString toolTipText();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillcraft
