#pragma once

#include <QAbstractButton>

namespace quillcraft {

// A plain text button on one line, elided when narrower than its text (the
// whole text is then its tooltip). Never takes keyboard focus; the first click acts.
class TextButton final : public QAbstractButton {
public:
    // In the secondary text colour.
    explicit TextButton(const QString& text, QWidget* parent = nullptr);

    void setElideMode(Qt::TextElideMode mode);
    // What is drawn at the current width.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
};

} // namespace quillcraft
