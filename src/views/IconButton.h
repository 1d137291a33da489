#pragma once

#include <QAbstractButton>

#include <optional>

namespace quillcraft {

// A borderless button that is only an icon, named for accessibility by its
// tooltip. Never takes keyboard focus; the first click acts.
class IconButton final : public QAbstractButton {
public:
    IconButton(QString icon, const QString& toolTip, int iconSize = 12, QWidget* parent = nullptr);

    // The icon is the text colour at this opacity; the secondary text colour when unset.
    void setOpacity(std::optional<qreal> opacity);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_icon;
    int m_iconSize;
    std::optional<qreal> m_opacity;
};

} // namespace quillcraft
