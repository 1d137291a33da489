#pragma once

#include "grammar/TextIssue.h"

#include <QList>
#include <QWidget>

#include <QAbstractButton>

#include <functional>
#include <memory>

namespace quillcraft {

class CardSurface;
class ChoiceButton;
class TextButton;

// The card shown under one underlined problem: what is wrong, up to three
// corrections as large buttons, optionally "add to dictionary", and Dismiss.
// It never edits text: every button only calls back. The host rebuilds it when
// the issue changes.
class SuggestionCard final : public QWidget {
public:
    struct Callbacks {
        std::function<void(const Suggestion&)> onAccept;
        std::function<void()> onDismiss;
        // Without it there is no dictionary button (the host passes it for spelling only).
        std::function<void()> onAddWord = {};
    };

    static constexpr int cardWidth = 330;
    static constexpr int maxCorrections = 3;
    // The headline wraps to at most this many lines, so the card always fits a screen.
    static constexpr int maxHeadlineLines = 6;

    SuggestionCard(TextIssue issue, Callbacks callbacks, QWidget* parent = nullptr);

    // The card as the floating panel hosts it: on its surface, at its width.
    static std::unique_ptr<CardSurface> onSurface(TextIssue issue, Callbacks callbacks);

    static QString headline(const TextIssue& issue);
    static QString hint();
    static QString footer();
    static QString addWordText(const QString& problemText);

    const TextIssue& issue() const { return m_issue; }
    const QList<ChoiceButton*>& correctionButtons() const { return m_corrections; }
    // Null without an onAddWord callback.
    TextButton* addWordButton() const { return m_addWord; }
    QAbstractButton* dismissButton() const { return m_dismiss; }

private:
    QWidget* header(const QColor& kindColor);
    ChoiceButton* correction(const Suggestion& suggestion, const QColor& kindColor);
    QWidget* footerRow();

    TextIssue m_issue;
    Callbacks m_callbacks;
    QList<ChoiceButton*> m_corrections;
    TextButton* m_addWord = nullptr;
    QAbstractButton* m_dismiss = nullptr;
};

} // namespace quillcraft
