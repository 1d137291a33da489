#include "SettingsView.h"

#include "settings/LoginItemStore.h"
#include "shell/AccountForm.h"
#include "shell/SettingsAppsTab.h"
#include "shell/SettingsDictionaryTab.h"
#include "shell/SettingsGeneralTab.h"
#include "shell/SettingsLayout.h"
#include "views/Divider.h"
#include "views/MacBrandHeader.h"
#include "views/QuietButton.h"
#include "views/Theme.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace quillcraft {

namespace {

constexpr std::array allTabs { SettingsView::Tab::general, SettingsView::Tab::apps, SettingsView::Tab::dictionary,
    SettingsView::Tab::account };

int indexOf(SettingsView::Tab tab)
{
    return static_cast<int>(tab);
}

} // namespace

SettingsView::SettingsView(Parts parts, std::function<void()> onDone, QWidget* parent)
    : QWidget(parent)
    , m_parts(parts)
{
    setObjectName(QStringLiteral("settingsView"));
    setAutoFillBackground(true);
    setFont(Theme::geist(12));
    setFixedSize(contentWidth, contentHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 16, 0, 0);
    layout->setSpacing(0);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(SettingsLayout::margin, 0, SettingsLayout::margin, 12);
    header->setSpacing(12);
    auto* brand = new MacBrandHeader(this);
    brand->setObjectName(QStringLiteral("brand"));
    header->addWidget(brand);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    for (const Tab tab : allTabs) {
        auto* button = new QuietButton(title(tab), tab == m_tab, this);
        button->setObjectName(QStringLiteral("tab:") + title(tab));
        button->setAccessibleName(title(tab));
        // An ordinary window: the tabs take focus so the arrow keys can move between them.
        button->setFocusPolicy(Qt::StrongFocus);
        button->installEventFilter(this);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { setTab(tab); });
        bar->addWidget(button);
        m_tabButtons.append(button);
    }
    bar->addStretch();
    header->addLayout(bar);
    layout->addLayout(header);
    layout->addWidget(new Divider(0.1, this));

    m_general = new SettingsGeneralTab(parts.policy, parts.loginItem, parts.updater);
    m_apps = new SettingsAppsTab(parts.policy, parts.apps);
    m_dictionary = new SettingsDictionaryTab(parts.policy);
    m_accountPage = new QWidget;
    auto* accountColumn = new QVBoxLayout(m_accountPage);
    accountColumn->setContentsMargins(0, 0, 0, 0);
    m_accountForm = new AccountForm(parts.account, std::move(onDone), false, m_accountPage);
    // The form's own width is for its window; here it takes the tab's.
    m_accountForm->setMinimumWidth(0);
    m_accountForm->setMaximumWidth(QWIDGETSIZE_MAX);
    accountColumn->addWidget(m_accountForm);

    auto* pages = new QWidget;
    pages->setObjectName(QStringLiteral("pages"));
    auto* pageColumn = new QVBoxLayout(pages);
    pageColumn->setContentsMargins(0, 0, 0, 0);
    pageColumn->setSpacing(0);
    for (const Tab tab : allTabs) {
        QWidget* content = page(tab);
        content->setObjectName(QStringLiteral("page:") + title(tab));
        // Parented first: a parentless page told to show would open as a window of its own.
        pageColumn->addWidget(content);
        content->setVisible(tab == m_tab);
    }
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("tabContent"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there (and slim), so the rows keep one width whether or not a tab scrolls.
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(pages);
    m_scroll->viewport()->setAutoFillBackground(false);
    pages->setAutoFillBackground(false);
    layout->addWidget(m_scroll, 1);
    styleScrollBar();
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &SettingsView::styleScrollBar);

    // Approval or a refusal may change outside the program while it is in the background.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            m_parts.loginItem.refresh();
    });
}

QString SettingsView::title(Tab tab)
{
    switch (tab) {
    case Tab::general:
        return QStringLiteral("General");
    case Tab::apps:
        return QStringLiteral("Apps");
    case Tab::dictionary:
        return QStringLiteral("Dictionary");
    case Tab::account:
        return QStringLiteral("Account");
    }
    return {};
}

QWidget* SettingsView::page(Tab tab) const
{
    switch (tab) {
    case Tab::general:
        return m_general;
    case Tab::apps:
        return m_apps;
    case Tab::dictionary:
        return m_dictionary;
    case Tab::account:
        return m_accountPage;
    }
    return m_general;
}

QuietButton* SettingsView::tabButton(Tab tab) const
{
    return m_tabButtons.value(indexOf(tab));
}

void SettingsView::setTab(Tab tab)
{
    if (tab == m_tab)
        return;
    m_tab = tab;
    if (tab == Tab::dictionary)
        m_dictionary->reload();
    else if (tab == Tab::apps)
        m_apps->reload();
    for (const Tab each : allTabs) {
        tabButton(each)->setSelected(each == tab);
        page(each)->setVisible(each == tab);
    }
    m_scroll->verticalScrollBar()->setValue(0);
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto found = std::find_if(m_tabButtons.cbegin(), m_tabButtons.cend(),
            [watched](const QuietButton* button) { return button == watched; });
        const qsizetype at = found == m_tabButtons.cend() ? -1 : found - m_tabButtons.cbegin();
        const bool arrow = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
        if (at >= 0 && arrow && key->modifiers() == Qt::NoModifier) {
            const int step = key->key() == Qt::Key_Right ? 1 : -1;
            const int count = int(allTabs.size());
            const Tab next = allTabs.at(std::size_t((int(at) + step + count) % count));
            setTab(next);
            tabButton(next)->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_parts.loginItem.refresh();
}

void SettingsView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        SettingsLayout::restyle(this);
        styleScrollBar();
    }
    QWidget::changeEvent(event);
}

void SettingsView::styleScrollBar()
{
    if (!m_scroll)
        return;
    // Nothing to scroll: no handle, only the reserved room.
    const bool scrolls = m_scroll->verticalScrollBar()->maximum() > 0;
    const QColor handle = Theme::withOpacity(Theme::primary(palette()), scrolls ? 0.22 : 0.0);
    m_scroll->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 3px 3px 3px 0; }"
                       " QScrollBar::handle:vertical { background: rgba(%1,%2,%3,%4); border-radius: 3px;"
                       " min-height: 28px; }"
                       " QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }"
                       " QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(handle.red())
            .arg(handle.green())
            .arg(handle.blue())
            .arg(handle.alphaF(), 0, 'f', 3));
}

QSize SettingsView::sizeHint() const
{
    return { contentWidth, contentHeight };
}

} // namespace quillcraft
