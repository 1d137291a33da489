#pragma once

#include <QWidget>

namespace quillcraft {

// The heading row of the program's windows: the mark, "Quillcraft" and the
// platform ("for Linux"), with a divider under them. The mark is decoration; the
// row reads as its text to assistive technologies.
class MacBrandHeader final : public QWidget {
public:
    explicit MacBrandHeader(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The platform part as shown ("for Linux").
    static QString platformText();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int markSize = 22;
    static constexpr int spacing = 8;
    static constexpr int dividerGap = 10;
};

} // namespace quillcraft
