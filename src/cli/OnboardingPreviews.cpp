#include "OnboardingPreviews.h"

#include "core/SystemClock.h"
#include "platform/LoginItem.h"
#include "platform/TrustCheck.h"
#include "settings/LoginItemStore.h"
#include "shell/OnboardingView.h"

#include <QVBoxLayout>

namespace quillcraft::OnboardingPreviews {

namespace {

class SampleTrust final : public TrustCheck {
public:
    explicit SampleTrust(bool trusted)
        : m_trusted(trusted)
    {
    }
    bool isTrusted() const override { return m_trusted; }
    void requestAccess() override { m_trusted = true; }

private:
    bool m_trusted;
};

// Opening at login in a fixed state; a change is refused unless it is already on.
class SampleLoginItem final : public LoginItem {
public:
    explicit SampleLoginItem(Status status)
        : m_status(status)
    {
    }
    Status status() const override { return m_status; }
    bool setRegistered(bool) override { return false; }

private:
    Status m_status;
};

LoginItem::Status itemStatus(Startup startup)
{
    switch (startup) {
    case Startup::enabled:
        return LoginItem::Status::enabled;
    case Startup::approval:
        return LoginItem::Status::requiresApproval;
    case Startup::offered:
    case Startup::error:
        break;
    }
    return LoginItem::Status::notRegistered;
}

// The view over stand-ins of its own. Members go before the view (a child), which
// only uses them.
class OnboardingPreview final : public QWidget {
public:
    OnboardingPreview(OnboardingView::Step step, bool trusted, Startup startup)
        : m_trust(trusted)
        , m_item(itemStatus(startup))
        , m_loginItem(m_item)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* view = new OnboardingView(step, m_loginItem, m_trust, m_clock, {}, this);
        layout->addWidget(view);
        if (startup == Startup::error)
            view->enableAndFinish();
    }

private:
    SystemClock m_clock;
    SampleTrust m_trust;
    SampleLoginItem m_item;
    LoginItemStore m_loginItem;
};

} // namespace

std::unique_ptr<QWidget> welcome()
{
    return std::make_unique<OnboardingPreview>(OnboardingView::Step::welcome, false, Startup::offered);
}

std::unique_ptr<QWidget> access(bool granted)
{
    return std::make_unique<OnboardingPreview>(OnboardingView::Step::access, granted, Startup::offered);
}

std::unique_ptr<QWidget> practice(Startup startup)
{
    return std::make_unique<OnboardingPreview>(OnboardingView::Step::practice, true, startup);
}

} // namespace quillcraft::OnboardingPreviews
