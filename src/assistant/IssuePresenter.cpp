#include "assistant/IssuePresenter.h"

#include "assistant/TextActions.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/SelectionButtonPlacement.h"
#include "surfaces/UnderlineOverlay.h"
#include "views/CardSurface.h"
#include "views/IssuesPanel.h"
#include "views/SelectionButton.h"
#include "views/SuggestionCard.h"
#include "views/Theme.h"

#include <QElapsedTimer>

namespace quillcraft {

namespace {

QString rectText(const std::optional<QRectF>& rect)
{
    if (!rect)
        return QStringLiteral("none");
    return QStringLiteral("%1,%2,%3,%4").arg(rect->x()).arg(rect->y()).arg(rect->width()).arg(rect->height());
}

// The hit area of an underline: a word's box grown 1 sideways and 4 up and down.
QRectF hitArea(const QRectF& rect)
{
    return rect.adjusted(-1, -4, 1, 4);
}

} // namespace

IssuePresenter::IssuePresenter(const Screens& screens, FloatingWindows* windows, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_screens(screens)
    , m_overlay(std::make_unique<UnderlineOverlay>(screens, windows))
    , m_card(std::make_unique<FloatingPanel>(FloatingPanel::Level::card, screens, windows))
    , m_list(std::make_unique<FloatingPanel>(FloatingPanel::Level::card, screens, windows))
    , m_selectionButton(std::make_unique<FloatingPanel>(FloatingPanel::Level::badge, screens, windows))
    , m_hoverWork(clock, this)
    , m_hideWork(clock, this)
{
    m_card->onEscape = [this] { hideCard(); };
    m_list->onEscape = [this] { closeList(); };
}

IssuePresenter::~IssuePresenter() = default;

std::optional<QRectF> IssuePresenter::measured(
    const FocusedField& field, const TextIssue& issue, qint64 slowMs, bool& timedOut)
{
    const QString id = issue.id();
    const auto known = m_bounds.constFind(id);
    if (known != m_bounds.constEnd())
        return *known;
    QElapsedTimer timer;
    timer.start();
    const std::optional<QRectF> rect = field.bounds(issue.range());
    if (timer.elapsed() >= slowMs) {
        timedOut = true;
        return std::nullopt;
    }
    m_bounds.insert(id, rect);
    return rect;
}

bool IssuePresenter::drawUnderlines(const FocusedField& field, const QList<TextIssue>& visible, qint64 slowMs)
{
    // Any edit, move, resize or scroll changes one of these and so every rectangle.
    QElapsedTimer timer;
    timer.start();
    const std::optional<QRectF> firstRaw = visible.isEmpty() ? std::nullopt : field.rawBounds(visible.first().range());
    if (timer.elapsed() >= slowMs) {
        hideUnderlines();
        return false;
    }
    // Nothing to measure: no reason to hash the whole text (a large field pays for it
    // every tick). An unchanged text is the same copy (FocusedField::shareTextWith).
    if (!visible.isEmpty() && !field.text().isSharedWith(m_hashedText)) {
        m_hashedText = field.text();
        m_textHash = qHash(m_hashedText);
    }
    const QString key = visible.isEmpty() ? QString()
                                          : QString::number(m_textHash) + u'|' + rectText(field.frame()) + u'|'
            + rectText(field.visibleFrame()) + u'|' + rectText(firstRaw);
    if (key != m_boundsKey) {
        m_boundsKey = key;
        m_bounds.clear();
    }
    m_marks.clear();
    QList<UnderlineMark> drawn;
    bool timedOut = false;
    for (const TextIssue& issue : visible.mid(0, maxMarks)) {
        const std::optional<QRectF> rect = measured(field, issue, slowMs, timedOut);
        if (timedOut) {
            hideUnderlines();
            return false;
        }
        if (!rect)
            continue;
        m_marks.append({ issue, *rect });
        drawn.append({ *rect, Theme::kindColor(issue.kind), m_cardIssue && *m_cardIssue == issue });
    }
    m_overlay->show(drawn, field.visibleFrame());
    return true;
}

void IssuePresenter::hideUnderlines()
{
    m_overlay->hide();
    m_marks.clear();
}

std::optional<IssuePresenter::Mark> IssuePresenter::markAt(QPointF point) const
{
    for (const Mark& mark : m_marks) {
        if (hitArea(mark.rect).contains(point))
            return mark;
    }
    return std::nullopt;
}

void IssuePresenter::renderSelectionButton(const FocusedField& field)
{
    const std::optional<QString> selected = field.selectedText();
    if (!selected || !TextActions::showsIcon(*selected)) {
        hideSelectionButton();
        return;
    }
    if (!m_selectionButton->isVisible()) {
        m_selectionButton->show(new SelectionButton([this] {
            if (actions.rewriteSelection)
                actions.rewriteSelection();
        }));
    }
    const QRectF anchor = field.bounds(field.selection()).value_or(field.visibleFrame());
    const QPointF origin
        = SelectionButtonPlacement::origin(anchor, field.visibleFrame(), m_selectionButton->frame().size());
    if (origin != m_selectionButton->frame().topLeft())
        m_selectionButton->setOrigin(origin);
    if (!m_selectionButton->isVisible())
        m_selectionButton->orderFront();
}

void IssuePresenter::hideSelectionButton()
{
    m_selectionButton->orderOut();
}

void IssuePresenter::pointerMoved(QPointF point)
{
    if (m_card->isVisible()
        && m_card->cardFrame().adjusted(-cardMargin, -cardMargin, cardMargin, cardMargin).contains(point)) {
        m_hideWork.cancel();
        return;
    }
    if (const std::optional<Mark> mark = markAt(point)) {
        m_hideWork.cancel();
        if (m_cardIssue && *m_cardIssue == mark->issue && m_card->isVisible())
            return;
        // A pending hover is not replaced: the pointer passing over a second word
        // on its way does not restart the wait.
        if (!m_hoverWork.isPending())
            m_hoverWork.schedule(hoverDelayMs, [this, mark = *mark] { showCard(mark.issue, mark.rect); });
        return;
    }
    m_hoverWork.cancel();
    if (m_card->isVisible() && !m_hideWork.isPending())
        m_hideWork.schedule(hideDelayMs, [this] { hideCard(); });
}

void IssuePresenter::showCard(const TextIssue& issue, const QRectF& under)
{
    m_hoverWork.cancel();
    m_hideWork.cancel();
    m_cardIssue = issue;
    SuggestionCard::Callbacks callbacks;
    callbacks.onAccept = [this, issue](const Suggestion& suggestion) {
        if (actions.accept)
            actions.accept(issue, suggestion);
    };
    callbacks.onDismiss = [this, issue] {
        if (actions.dismiss)
            actions.dismiss(issue);
    };
    if (issue.isSpelling()) {
        callbacks.onAddWord = [this, issue] {
            if (actions.addWord)
                actions.addWord(issue);
        };
    }
    m_card->show(SuggestionCard::onSurface(issue, std::move(callbacks)).release());
    m_card->place(under);
    m_card->orderFront();
    if (actions.cardChanged)
        actions.cardChanged();
}

void IssuePresenter::hideCard(bool notify)
{
    m_hoverWork.cancel();
    m_hideWork.cancel();
    if (!m_card->isVisible() && !m_cardIssue)
        return;
    m_card->orderOut();
    m_cardIssue.reset();
    if (notify && actions.cardChanged)
        actions.cardChanged();
}

void IssuePresenter::refreshList(
    bool show, const FocusedField& field, const QList<TextIssue>& visible, const QRectF& badgeFrame)
{
    if (!show && !m_list->isVisible())
        return;
    if (show || visible != m_listed) {
        m_listed = visible;
        IssuesPanel::Callbacks callbacks;
        callbacks.onAccept = [this](const TextIssue& issue) {
            if (!issue.suggestions.isEmpty() && actions.accept)
                actions.accept(issue, issue.suggestions.first());
        };
        callbacks.onDismiss = [this](const TextIssue& issue) {
            if (actions.dismiss)
                actions.dismiss(issue);
        };
        callbacks.onAcceptAll = [this] {
            if (actions.acceptAll)
                actions.acceptAll();
        };
        callbacks.onRewriteAll = [this](const RewriteAction& action) {
            if (actions.rewriteAll)
                actions.rewriteAll(action);
        };
        callbacks.onClose = [this] { closeList(); };
        m_list->show(IssuesPanel::onSurface(field.appName(), visible, std::move(callbacks)).release());
    }
    m_list->place(badgeFrame);
}

void IssuePresenter::closeList()
{
    m_list->orderOut();
}

bool IssuePresenter::isOverPanels(QPointF point) const
{
    for (const FloatingPanel* panel : { m_card.get(), m_list.get(), m_selectionButton.get() }) {
        if (panel->isVisible() && panel->frame().contains(point))
            return true;
    }
    return false;
}

} // namespace quillcraft
