#pragma once

#include "grammar/TextIssue.h"
#include "service/RewriteAction.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QScrollArea;

namespace quillcraft {

class CardSurface;
class IssueRow;

// Every problem found in the focused field: accept or dismiss them one by one or
// all at once, or rewrite the whole text. Only calls back; the host rebuilds the
// panel whenever its issue list changes.
class IssuesPanel final : public QWidget {
public:
    struct Callbacks {
        std::function<void(const TextIssue&)> onAccept;
        std::function<void(const TextIssue&)> onDismiss;
        std::function<void()> onAcceptAll;
        std::function<void(const RewriteAction&)> onRewriteAll;
        std::function<void()> onClose;
    };

    static constexpr int panelWidth = 360;
    static constexpr int maxRows = 30;
    static constexpr int maxListHeight = 260;

    IssuesPanel(QString appName, QList<TextIssue> issues, Callbacks callbacks, QWidget* parent = nullptr);

    // The panel as the floating panel hosts it: on its surface, at its width.
    static std::unique_ptr<CardSurface> onSurface(QString appName, QList<TextIssue> issues, Callbacks callbacks);

    static QString title(qsizetype count, const QString& appName);
    static QString acceptAllText(qsizetype count);
    static QString emptyText();
    static QString rewriteCaption();

    QString title() const;
    const QList<IssueRow*>& rows() const { return m_rows; }
    // Null without issues.
    QScrollArea* list() const { return m_list; }
    // Null with fewer than two issues.
    QAbstractButton* acceptAllButton() const { return m_acceptAll; }
    QAbstractButton* closeButton() const { return m_close; }
    // Rewrite, Fix grammar, Shorten.
    const QList<QAbstractButton*>& rewriteButtons() const { return m_rewrites; }

private:
    QWidget* header();
    QWidget* issueList();
    QWidget* emptyState();
    QWidget* rewriteSection();

    QString m_appName;
    QList<TextIssue> m_issues;
    Callbacks m_callbacks;
    QList<IssueRow*> m_rows;
    QScrollArea* m_list = nullptr;
    QAbstractButton* m_acceptAll = nullptr;
    QAbstractButton* m_close = nullptr;
    QList<QAbstractButton*> m_rewrites;
};

} // namespace quillcraft
