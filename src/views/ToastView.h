#pragma once

#include <QString>
#include <QWidget>

namespace quillcraft {

// A short message on a capsule with a soft shadow, shown at the top of the screen
// for a few seconds. Paints everything itself, margin for the shadow included.
class ToastView final : public QWidget {
public:
    static constexpr int margin = 12;

    explicit ToastView(const QString& text, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF capsule() const;

    QString m_text;
};

} // namespace quillcraft
