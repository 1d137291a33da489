#pragma once

#include <QWidget>

namespace quillcraft {

// A one-point horizontal rule in the text colour at `opacity`.
class Divider final : public QWidget {
public:
    explicit Divider(qreal opacity = 0.1, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_opacity;
};

} // namespace quillcraft
