#include "IssueRow.h"

#include "views/BoundedLabel.h"
#include "views/FixPreview.h"
#include "views/IconButton.h"
#include "views/KindDot.h"
#include "views/QuietButton.h"
#include "views/Theme.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <utility>

namespace quillcraft {

namespace {

// Fainter than the secondary text: the cross is there, but does not compete with Accept.
constexpr qreal tertiaryOpacity = 0.32;

} // namespace

IssueRow::IssueRow(
    const TextIssue& issue, std::function<void()> onAccept, std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 9, 0, 9);
    row->setSpacing(10);
    row->addWidget(new KindDot(Theme::kindColor(issue.kind)), 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    if (!issue.suggestions.isEmpty()) {
        m_preview = new FixPreview(issue, issue.suggestions.constFirst());
        column->addWidget(m_preview);
    }
    auto* kind = new BoundedLabel(issue.kind, 1);
    kind->setFont(Theme::geist(10, QFont::Medium));
    kind->setSecondary(true);
    column->addWidget(kind);
    row->addLayout(column, 1);

    m_accept = new QuietButton(QStringLiteral("Accept"));
    if (m_preview)
        m_accept->setAccessibleDescription(m_preview->accessibleName());
    connect(m_accept, &QAbstractButton::clicked, this, [onAccept = std::move(onAccept)] {
        if (onAccept)
            onAccept();
    });
    row->addWidget(m_accept, 0, Qt::AlignVCenter);

    auto* dismiss = new IconButton(QStringLiteral("x"), QStringLiteral("Dismiss"), 10);
    dismiss->setOpacity(tertiaryOpacity);
    connect(dismiss, &QAbstractButton::clicked, this, [onDismiss = std::move(onDismiss)] {
        if (onDismiss)
            onDismiss();
    });
    m_dismiss = dismiss;
    row->addWidget(dismiss, 0, Qt::AlignVCenter);
}

} // namespace quillcraft
