#pragma once

#include "grammar/TextIssue.h"

#include <QList>
#include <QWidget>

namespace quillcraft {

// One line that pictures what a correction changes: the problem text and what
// takes its place, is removed, or is added after it. Narrower than its text, it
// elides the pieces and shows the whole change as its tooltip.
class FixPreview final : public QWidget {
public:
    struct Piece {
        enum class Role {
            replaced, // struck through, secondary
            arrow,
            added, // success colour, semibold
            removed, // struck through, in the error colour
            kept, // secondary
        };
        Role role;
        QString text = {};
        bool operator==(const Piece&) const = default;
    };

    FixPreview(const TextIssue& issue, const Suggestion& suggestion, QWidget* parent = nullptr);

    static QList<Piece> pieces(const TextIssue& issue, const Suggestion& suggestion);
    // The change in words, for the tooltip and accessibility ("teh → the").
    static QString plainText(const QList<Piece>& pieces);

    const QList<Piece>& shownPieces() const { return m_pieces; }
    // The text of each piece as drawn at the current width (elided where needed).
    QStringList drawnTexts() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont fontFor(Piece::Role role) const;
    qreal naturalWidth(const Piece& piece) const;
    QList<qreal> widths(qreal available) const;
    void updateToolTip();

    QList<Piece> m_pieces;
};

} // namespace quillcraft
