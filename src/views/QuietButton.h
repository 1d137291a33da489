#pragma once

#include <QAbstractButton>

namespace quillcraft {

// A secondary action or a choice among a few: outlined, or filled when selected.
// Takes no keyboard focus unless its window allows it (focus is then ringed);
// the first click acts.
class QuietButton final : public QAbstractButton {
public:
    explicit QuietButton(const QString& text, bool selected = false, QWidget* parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected;
};

} // namespace quillcraft
