#include "AccountPreviews.h"

#include "core/DevelopmentHooks.h"
#include "core/SystemClock.h"
#include "service/AccountStore.h"
#include "shell/AccountForm.h"

#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QVBoxLayout>

namespace quillcraft::AccountPreviews {

namespace {

// A form over a store of its own. Members go before the form (a child), which
// only watches the store.
class AccountPreview final : public QWidget {
public:
    AccountPreview(const AccountStore::Sample& sample, bool typed, bool showsBrand)
        : m_store(AccountEndpoints(&m_network, DevelopmentHooks::origin(), nullptr), m_clock,
            [](const QUrl&) { return true; })
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* form = new AccountForm(
            m_store, [] {}, showsBrand, this);
        layout->addWidget(form);
        if (typed) {
            form->findChild<QLineEdit*>(QStringLiteral("email"))->setText(QStringLiteral("ada@example.com"));
            form->findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("correct horse"));
        }
        m_store.showSample(sample);
    }

private:
    SystemClock m_clock;
    QNetworkAccessManager m_network;
    AccountStore m_store;
};

std::unique_ptr<QWidget> preview(const AccountStore::Sample& sample, bool typed = false, bool showsBrand = true)
{
    return std::make_unique<AccountPreview>(sample, typed, showsBrand);
}

const Account sampleAccount { QStringLiteral("ada.lovelace@example.com"), QStringLiteral("Ada") };

} // namespace

std::unique_ptr<QWidget> guest()
{
    return preview({});
}

std::unique_ptr<QWidget> working()
{
    return preview({ .working = true }, true);
}

std::unique_ptr<QWidget> failed()
{
    return preview({ .error = QStringLiteral("That email and password do not match an account.") }, true);
}

std::unique_ptr<QWidget> waiting()
{
    return preview({ .working = true, .waitingForBrowser = true });
}

std::unique_ptr<QWidget> signedIn()
{
    return preview({ .account = sampleAccount });
}

std::unique_ptr<QWidget> inSettings()
{
    return preview({ .account = sampleAccount }, false, false);
}

} // namespace quillcraft::AccountPreviews
