#pragma once

#include "rewrite/RewriteSession.h"
#include "views/RewriteCard.h"

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace quillcraft {

// The lower part of the rewrite card, by the session's phase: "Writing…", the text
// as it streams, the finished rewrite with its changed words marked and what can be
// done with it, or the failure and the one way out its kind offers. Empty while
// choosing.
class RewriteOutput final : public QWidget {
public:
    // The card's side inset, which the result box's width follows.
    static constexpr int cardInset = 16;

    // `callbacks` must outlive the output (the card owns both).
    RewriteOutput(RewriteSession& session, const RewriteCard::Callbacks& callbacks, QWidget* parent = nullptr);

    // Brings the output up to date with the session; rebuilds only when the phase or
    // the last action changed, and only grows the text while it streams.
    void render();

private:
    QWidget* doneOutput(const QString& text);
    QWidget* failedOutput(const RewriteFailure& failure);

    RewriteSession& m_session;
    const RewriteCard::Callbacks& m_callbacks;
    QVBoxLayout* m_column;
    QPointer<QWidget> m_output;
    // What the output was last built for.
    bool m_built = false;
    RewriteSession::Phase m_phase;
    std::optional<RewriteAction> m_action;
};

} // namespace quillcraft
