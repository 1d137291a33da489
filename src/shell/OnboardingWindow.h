#pragma once

#include "shell/OnboardingView.h"

#include <QWidget>

namespace quillcraft {

// The "Welcome to Quillcraft" window around the onboarding view: a title bar and a
// close button only, sized to the page shown. Kept and shown again, never rebuilt.
class OnboardingWindow final : public QWidget {
    Q_OBJECT

public:
    // The references must outlive the window.
    OnboardingWindow(OnboardingView::Step step, LoginItemStore& loginItem, TrustCheck& trust, Clock& clock,
        OnboardingView::Callbacks callbacks, QWidget* parent = nullptr);

    OnboardingView& view() const { return *m_view; }

Q_SIGNALS:
    // The user or the program is closing the window.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OnboardingView* m_view = nullptr;
};

} // namespace quillcraft
