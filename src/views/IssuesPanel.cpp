#include "IssuesPanel.h"

#include "core/PlatformWording.h"
#include "views/BoundedLabel.h"
#include "views/BrandMark.h"
#include "views/CardSurface.h"
#include "views/Divider.h"
#include "views/Icon.h"
#include "views/IconButton.h"
#include "views/IssueRow.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/Theme.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace quillcraft {

namespace {

constexpr int padding = 14;
constexpr qreal rowDividerOpacity = 0.06;

// A slim handle without arrows or track: the desktop style's full scroll bar
// outweighs the rows of a small panel. Grey reads on both appearances.
const QString slimScrollBar = QStringLiteral(
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 110); border-radius: 3px; min-height: 24px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");

} // namespace

IssuesPanel::IssuesPanel(QString appName, QList<TextIssue> issues, Callbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_appName(std::move(appName))
    , m_issues(std::move(issues))
    , m_callbacks(std::move(callbacks))
{
    // The panel never becomes active; its tooltips must show anyway.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAccessibleName(title());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header());
    column->addWidget(new Divider);
    column->addWidget(m_issues.isEmpty() ? emptyState() : issueList());
    column->addWidget(new Divider);
    column->addWidget(rewriteSection());
}

std::unique_ptr<CardSurface> IssuesPanel::onSurface(QString appName, QList<TextIssue> issues, Callbacks callbacks)
{
    return std::make_unique<CardSurface>(
        panelWidth, new IssuesPanel(std::move(appName), std::move(issues), std::move(callbacks)));
}

QString IssuesPanel::title(qsizetype count, const QString& appName)
{
    if (count == 0)
        return QStringLiteral("No fixes in ") + appName;
    if (count == 1)
        return QStringLiteral("1 fix in ") + appName;
    return QString::number(count) + QStringLiteral(" fixes in ") + appName;
}

QString IssuesPanel::acceptAllText(qsizetype count)
{
    return QStringLiteral("Accept all ") + QString::number(count);
}

QString IssuesPanel::emptyText()
{
    return PlatformWording::apply(QStringLiteral("Looks good. Grammar is checked on this Mac."));
}

QString IssuesPanel::rewriteCaption()
{
    return QStringLiteral("Rewrite the whole text");
}

QString IssuesPanel::title() const
{
    return title(m_issues.size(), m_appName);
}

QWidget* IssuesPanel::header()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(padding, 12, padding - 6, 12);
    layout->setSpacing(8);
    auto* mark = new BrandMark(18);
    layout->addWidget(mark, 0, Qt::AlignVCenter);
    // A long application name is elided, never pushing the close button off.
    auto* heading = new BoundedLabel(title(), 1);
    heading->setFont(Theme::geist(13, QFont::DemiBold));
    layout->addWidget(heading, 1, Qt::AlignVCenter);
    auto* close = new IconButton(QStringLiteral("x"), QStringLiteral("Close"), 12);
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_callbacks.onClose)
            m_callbacks.onClose();
    });
    m_close = close;
    layout->addWidget(close, 0, Qt::AlignVCenter);
    return row;
}

QWidget* IssuesPanel::issueList()
{
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(padding, 4, padding, 12);
    layout->setSpacing(0);

    auto* rows = new QWidget;
    auto* rowLayout = new QVBoxLayout(rows);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    // Issues past the 30th are not listed, though the title and "Accept all" count them.
    for (const TextIssue& issue : m_issues.mid(0, maxRows)) {
        auto* row = new IssueRow(
            issue,
            [this, issue] {
                if (m_callbacks.onAccept)
                    m_callbacks.onAccept(issue);
            },
            [this, issue] {
                if (m_callbacks.onDismiss)
                    m_callbacks.onDismiss(issue);
            });
        m_rows << row;
        rowLayout->addWidget(row);
        rowLayout->addWidget(new Divider(rowDividerOpacity));
    }
    rowLayout->addStretch();

    m_list = new QScrollArea;
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->verticalScrollBar()->setStyleSheet(slimScrollBar);
    m_list->setWidgetResizable(true);
    m_list->setWidget(rows);
    // The card's face shows through: setWidget() turns the filling on.
    rows->setAutoFillBackground(false);
    m_list->viewport()->setAutoFillBackground(false);
    // As tall as the rows, up to the cap; past it the rows scroll.
    m_list->setFixedHeight(std::min(rows->sizeHint().height(), maxListHeight));
    layout->addWidget(m_list);

    if (m_issues.size() >= 2) {
        auto* acceptAll = new PrimaryButton(acceptAllText(m_issues.size()));
        acceptAll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(acceptAll, &QAbstractButton::clicked, this, [this] {
            if (m_callbacks.onAcceptAll)
                m_callbacks.onAcceptAll();
        });
        m_acceptAll = acceptAll;
        layout->addSpacing(10);
        layout->addWidget(acceptAll);
    }
    return section;
}

QWidget* IssuesPanel::emptyState()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(padding, 16, padding, 16);
    layout->setSpacing(8);
    auto* check = new Icon(QStringLiteral("check-circle"), 14);
    check->setColor(Theme::success);
    layout->addWidget(check, 0, Qt::AlignVCenter);
    auto* text = new BoundedLabel(emptyText(), 2);
    text->setFont(Theme::geist(12));
    text->setColor(Theme::success);
    layout->addWidget(text, 1, Qt::AlignVCenter);
    return row;
}

QWidget* IssuesPanel::rewriteSection()
{
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(padding, 12, padding, 14);
    layout->setSpacing(8);
    auto* caption = new BoundedLabel(rewriteCaption(), 1);
    caption->setFont(Theme::geist(11, QFont::DemiBold));
    caption->setSecondary(true);
    layout->addWidget(caption);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (const RewriteAction& action :
        { RewriteAction::rewrite(), RewriteAction::grammar(), RewriteAction::shorten() }) {
        auto* button = new QuietButton(action.title());
        button->setObjectName(action.title());
        connect(button, &QAbstractButton::clicked, this, [this, action] {
            if (m_callbacks.onRewriteAll)
                m_callbacks.onRewriteAll(action);
        });
        m_rewrites << button;
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    return section;
}

} // namespace quillcraft
