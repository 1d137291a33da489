#include "SuggestionCard.h"

#include "views/BoundedLabel.h"
#include "views/CardSurface.h"
#include "views/ChoiceButton.h"
#include "views/Icon.h"
#include "views/KindDot.h"
#include "views/LocalPill.h"
#include "views/QuietButton.h"
#include "views/TextButton.h"
#include "views/Theme.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

namespace quillcraft {

namespace {

constexpr int padding = 16;
constexpr int correctionInset = 16;

BoundedLabel* label(const QString& text, const QFont& font, int maxLines, bool secondary)
{
    auto* result = new BoundedLabel(text, maxLines);
    result->setFont(font);
    result->setSecondary(secondary);
    return result;
}

} // namespace

SuggestionCard::SuggestionCard(TextIssue issue, Callbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_issue(std::move(issue))
    , m_callbacks(std::move(callbacks))
{
    // The card's panel never becomes active; its tooltips must show anyway.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAccessibleName(headline(m_issue));
    const QColor kindColor = Theme::kindColor(m_issue.kind);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, 14, padding, 12);
    column->setSpacing(0);
    column->addWidget(header(kindColor));
    column->addSpacing(8);
    column->addWidget(label(headline(m_issue), Theme::geist(14, QFont::DemiBold), maxHeadlineLines, false));
    column->addSpacing(4);
    column->addWidget(label(hint(), Theme::geist(12), 2, true));

    if (!m_issue.suggestions.isEmpty())
        column->addSpacing(12);
    for (const Suggestion& suggestion : m_issue.suggestions.mid(0, maxCorrections)) {
        if (!m_corrections.isEmpty())
            column->addSpacing(8);
        m_corrections << correction(suggestion, kindColor);
        column->addWidget(m_corrections.constLast());
    }

    if (m_callbacks.onAddWord) {
        m_addWord = new TextButton(addWordText(m_issue.problemText));
        m_addWord->setFont(Theme::geist(11, QFont::DemiBold));
        // Keeps "to dictionary" in sight when the word is long.
        m_addWord->setElideMode(Qt::ElideMiddle);
        connect(m_addWord, &QAbstractButton::clicked, this, [this] {
            if (m_callbacks.onAddWord)
                m_callbacks.onAddWord();
        });
        column->addSpacing(10);
        column->addWidget(m_addWord);
    }
    column->addSpacing(12);
    column->addWidget(footerRow());
}

std::unique_ptr<CardSurface> SuggestionCard::onSurface(TextIssue issue, Callbacks callbacks)
{
    return std::make_unique<CardSurface>(cardWidth, new SuggestionCard(std::move(issue), std::move(callbacks)));
}

QString SuggestionCard::headline(const TextIssue& issue)
{
    return issue.message.isEmpty() ? issue.kind : issue.message;
}

QString SuggestionCard::hint()
{
    return QStringLiteral("Choose a correction to apply it in place.");
}

QString SuggestionCard::footer()
{
    return QStringLiteral("Checked privately on this device");
}

QString SuggestionCard::addWordText(const QString& problemText)
{
    return QStringLiteral("Add “") + problemText + QStringLiteral("” to dictionary");
}

QWidget* SuggestionCard::header(const QColor& kindColor)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new KindDot(kindColor), 0, Qt::AlignVCenter);
    auto* kind = label(m_issue.kind, Theme::geist(11, QFont::Bold), 1, true);
    layout->addWidget(kind, 1, Qt::AlignVCenter);
    layout->addSpacing(8);
    layout->addWidget(new LocalPill, 0, Qt::AlignVCenter);
    return row;
}

ChoiceButton* SuggestionCard::correction(const Suggestion& suggestion, const QColor& kindColor)
{
    const QString text = m_issue.label(suggestion);
    // The style's own text is centred on one line; ours is led, elided and followed by the arrow.
    auto* button = new ChoiceButton(QString(), kindColor);
    button->setAccessibleName(QStringLiteral("Accept ") + text);
    auto* layout = new QHBoxLayout(button);
    layout->setContentsMargins(correctionInset, 0, correctionInset - 2, 0);
    layout->setSpacing(10);
    auto* caption = new BoundedLabel(text, 1);
    caption->setFont(Theme::geist(13, QFont::Bold));
    caption->setOpacity(0.85);
    caption->setElideMode(Qt::ElideMiddle);
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(caption, 1, Qt::AlignVCenter);
    auto* arrow = new Icon(QStringLiteral("arrow-right"), 11);
    arrow->setColor(kindColor);
    arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(arrow, 0, Qt::AlignVCenter);
    // The caption lets clicks through, so the button shows its tooltip.
    if (QFontMetricsF(caption->font()).horizontalAdvance(text) > cardWidth - 2 * padding - 2 * correctionInset - 21)
        button->setToolTip(text);
    connect(button, &QAbstractButton::clicked, this, [this, suggestion] {
        if (m_callbacks.onAccept)
            m_callbacks.onAccept(suggestion);
    });
    return button;
}

QWidget* SuggestionCard::footerRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(label(footer(), Theme::geist(10, QFont::Medium), 1, true), 1, Qt::AlignVCenter);
    m_dismiss = new QuietButton(QStringLiteral("Dismiss"));
    connect(m_dismiss, &QAbstractButton::clicked, this, [this] {
        if (m_callbacks.onDismiss)
            m_callbacks.onDismiss();
    });
    layout->addWidget(m_dismiss, 0, Qt::AlignVCenter);
    return row;
}

} // namespace quillcraft
