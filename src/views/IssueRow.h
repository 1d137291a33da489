#pragma once

#include "grammar/TextIssue.h"

#include <QWidget>

#include <functional>

class QAbstractButton;

namespace quillcraft {

class FixPreview;

// One line of the issues panel: the kind's dot, the first fix pictured over the
// kind, an Accept button and a small dismiss cross.
class IssueRow final : public QWidget {
public:
    IssueRow(const TextIssue& issue, std::function<void()> onAccept, std::function<void()> onDismiss,
        QWidget* parent = nullptr);

    // Null for an issue without suggestions.
    FixPreview* preview() const { return m_preview; }
    QAbstractButton* acceptButton() const { return m_accept; }
    QAbstractButton* dismissButton() const { return m_dismiss; }

private:
    FixPreview* m_preview = nullptr;
    QAbstractButton* m_accept = nullptr;
    QAbstractButton* m_dismiss = nullptr;
};

} // namespace quillcraft
