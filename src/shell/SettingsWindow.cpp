#include "SettingsWindow.h"

#include "shell/WindowPresenter.h"
#include "views/QuietButton.h"

#include <QVBoxLayout>

namespace quillcraft {

SettingsWindow::SettingsWindow(SettingsView::Parts parts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Quillcraft Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // "Done" on the Account tab closes the window; it stays for the next open.
    m_view = new SettingsView(
        parts, [this] { close(); }, this);
    layout->addWidget(m_view);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SettingsWindow::open(SettingsView::Tab tab, WindowPresenter::Keyboard keyboard)
{
    m_view->setTab(tab);
    // Already open: brought forward where the user left it.
    if (isVisible()) {
        showNormal();
        raise();
        if (keyboard == WindowPresenter::Keyboard::take)
            activateWindow();
    } else {
        WindowPresenter::present(*this, keyboard);
    }
    // The keyboard starts on the tab bar, where the arrow keys switch tabs.
    if (QuietButton* button = m_view->tabButton(tab))
        button->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace quillcraft
