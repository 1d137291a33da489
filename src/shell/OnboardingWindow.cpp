#include "shell/OnboardingWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace quillcraft {

OnboardingWindow::OnboardingWindow(OnboardingView::Step step, LoginItemStore& loginItem, TrustCheck& trust,
    Clock& clock, OnboardingView::Callbacks callbacks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Welcome to Quillcraft"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new OnboardingView(step, loginItem, trust, clock, std::move(callbacks), this);
    layout->addWidget(m_view);
    // Each page has its own height; the window is not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void OnboardingWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT closing();
    QWidget::closeEvent(event);
}

} // namespace quillcraft
