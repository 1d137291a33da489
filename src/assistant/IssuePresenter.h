#pragma once

#include "assistant/FocusedField.h"
#include "assistant/PendingWork.h"
#include "grammar/TextIssue.h"
#include "service/RewriteAction.h"
#include "surfaces/UnderlineMark.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

namespace quillcraft {

class Clock;
class FloatingPanel;
class FloatingWindows;
class Screens;
class UnderlineOverlay;

// The drawing half of the writing assistant: underlines over the served field,
// the suggestion card that opens when the pointer rests on one, the issues list
// behind the badge and the rewrite button beside a selection. It only shows and
// calls back; the assistant decides what is visible and acts on the choices.
class IssuePresenter final : public QObject {
    Q_OBJECT

public:
    // One underlined issue and where its text shows.
    struct Mark final {
        TextIssue issue;
        QRectF rect;
    };

    // What the user chose on the card, the list or the selection button.
    struct Actions final {
        std::function<void(const TextIssue&, const Suggestion&)> accept;
        std::function<void(const TextIssue&)> dismiss;
        std::function<void(const TextIssue&)> addWord;
        std::function<void()> acceptAll;
        std::function<void(const RewriteAction&)> rewriteAll;
        std::function<void()> rewriteSelection;
        // The card opened or closed: its underline changes colour.
        std::function<void()> cardChanged;
    };

    static constexpr int maxMarks = 80;
    static constexpr int hoverDelayMs = 250;
    static constexpr int hideDelayMs = 350;
    // How far outside the card the pointer may stray before it closes.
    static constexpr qreal cardMargin = 10;

    IssuePresenter(const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent = nullptr);
    ~IssuePresenter() override;

    Actions actions;

    // Underlines for the first maxMarks of visible that can be measured; bounds
    // are measured once while the field's text, frames and scroll stay put.
    // False, with nothing drawn, when one measurement took slowMs or longer:
    // the application stopped answering.
    bool drawUnderlines(const FocusedField& field, const QList<TextIssue>& visible, qint64 slowMs);
    void hideUnderlines();
    const QList<Mark>& marks() const { return m_marks; }
    // The first mark whose rectangle, grown a little, holds point.
    std::optional<Mark> markAt(QPointF point) const;

    // The rewrite button beside the field's selection, when the selection earns one.
    void renderSelectionButton(const FocusedField& field);
    void hideSelectionButton();

    void pointerMoved(QPointF point);
    void showCard(const TextIssue& issue, const QRectF& under);
    // Without notify the owner is not told (it is about to redraw anyway).
    void hideCard(bool notify = true);
    const std::optional<TextIssue>& cardIssue() const { return m_cardIssue; }

    // Rebuilds the list when show is set or its issues changed, and places it
    // below badgeFrame; nothing when it is hidden and show is not set.
    void refreshList(bool show, const FocusedField& field, const QList<TextIssue>& visible, const QRectF& badgeFrame);
    void closeList();
    const QList<TextIssue>& listedIssues() const { return m_listed; }

    // Whether point lies on the card, the list or the selection button.
    bool isOverPanels(QPointF point) const;

    FloatingPanel& card() { return *m_card; }
    FloatingPanel& list() { return *m_list; }
    FloatingPanel& selectionButton() { return *m_selectionButton; }
    const UnderlineOverlay& overlay() const { return *m_overlay; }

private:
    // Absent with timedOut set when the application took slowMs or longer to answer.
    std::optional<QRectF> measured(const FocusedField& field, const TextIssue& issue, qint64 slowMs, bool& timedOut);

    const Screens& m_screens;
    std::unique_ptr<UnderlineOverlay> m_overlay;
    std::unique_ptr<FloatingPanel> m_card;
    std::unique_ptr<FloatingPanel> m_list;
    std::unique_ptr<FloatingPanel> m_selectionButton;
    QList<Mark> m_marks;
    // Measured rectangles by issue id, valid while m_boundsKey holds.
    QString m_boundsKey;
    // The hash of the last text hashed, kept while the text is that same copy.
    QString m_hashedText;
    size_t m_textHash = 0;
    QHash<QString, std::optional<QRectF>> m_bounds;
    std::optional<TextIssue> m_cardIssue;
    QList<TextIssue> m_listed;
    PendingWork m_hoverWork;
    PendingWork m_hideWork;
};

} // namespace quillcraft
