#pragma once

#include "shell/SettingsView.h"
#include "shell/WindowPresenter.h"

#include <QWidget>

namespace quillcraft {

// The "Quillcraft Settings" window: the settings view at its fixed size, with a
// title bar and a close button. Created once and shown again on every open.
class SettingsWindow final : public QWidget {
    Q_OBJECT

public:
    // Everything in `parts` must outlive the window.
    explicit SettingsWindow(SettingsView::Parts parts, QWidget* parent = nullptr);

    SettingsView& view() const { return *m_view; }
    // Selects `tab`, then brings the window to the front with the keyboard.
    void open(SettingsView::Tab tab, WindowPresenter::Keyboard keyboard = WindowPresenter::Keyboard::take);

private:
    SettingsView* m_view = nullptr;
};

} // namespace quillcraft
