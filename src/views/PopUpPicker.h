#pragma once

#include <QComboBox>

namespace quillcraft {

// A choice among fixed texts: the current one in a rounded box with a chevron;
// clicking or Space opens the list. Takes keyboard focus (arrow keys change it).
class PopUpPicker final : public QComboBox {
public:
    // `accessibleName` names what is chosen.
    PopUpPicker(const QStringList& items, const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int boxHeight = 28;
    static constexpr int sideInset = 10;
    static constexpr int chevronRoom = 18;
};

} // namespace quillcraft
