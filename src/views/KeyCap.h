#pragma once

#include <QWidget>

namespace quillcraft {

// A key combination as a bordered key cap ("Ctrl+Alt+R"), read out as its
// spoken form ("Control Alt R").
class KeyCap final : public QWidget {
public:
    KeyCap(const QString& text, const QString& spoken, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace quillcraft
