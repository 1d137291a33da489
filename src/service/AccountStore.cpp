#include "AccountStore.h"

#include "core/Clock.h"
#include "core/Logging.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrlQuery>

#include <algorithm>

namespace quillcraft {

namespace {

// Spaces and tabs only: other white space in an address is the user's to see
// rejected by the service.
QString trimSpacesAndTabs(const QString& text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

} // namespace

QString AccountStore::unreachableMessage()
{
    return QStringLiteral("Quillcraft is not reachable. Check your connection and try again.");
}

QString AccountStore::browserNotOpenedMessage()
{
    return QStringLiteral("Sign in could not open your browser. Try again.");
}

QString AccountStore::didNotFinishMessage()
{
    return QStringLiteral("Sign in did not finish. Try again.");
}

AccountStore::AccountStore(AccountEndpoints endpoints, Clock& clock, OpenUrl openUrl, QObject* parent)
    : QObject(parent)
    , m_endpoints(std::move(endpoints))
    , m_clock(clock)
    , m_openUrl(openUrl ? std::move(openUrl) : OpenUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }))
{
}

AccountStore::~AccountStore()
{
    // Before the members go: a task's handlers refer to this store.
    qDeleteAll(findChildren<AccountTask*>(Qt::FindDirectChildrenOnly));
}

void AccountStore::run(const Start& start, std::function<void(const AccountTask::Outcome&)> onDone)
{
    // The task exists only once start() returns, and never completes before.
    auto handle = std::make_shared<QPointer<AccountTask>>();
    std::unique_ptr<AccountTask> task
        = start([handle, onDone = std::move(onDone)](const AccountTask::Outcome& outcome) {
              if (*handle)
                  (*handle)->deleteLater();
              onDone(outcome);
          });
    *handle = task.get();
    task.release()->setParent(this);
}

void AccountStore::refresh()
{
    run([this](auto done) { return m_endpoints.currentAccount(std::move(done)); },
        [this](const AccountTask::Outcome& outcome) {
            const auto* account = std::get_if<std::optional<Account>>(&outcome);
            setAccount(account ? *account : std::nullopt);
        });
}

void AccountStore::signIn(const QString& email, const QString& password)
{
    // Choosing the email form gives up on a browser sign-in still open.
    setWebStates({});
    setError(std::nullopt);
    setWorking(true);
    const QString trimmed = trimSpacesAndTabs(email);
    run([this, trimmed, password](auto done) { return m_endpoints.signIn(trimmed, password, std::move(done)); },
        [this](const AccountTask::Outcome& outcome) { finishSignIn(outcome); });
}

void AccountStore::signInWithGoogle()
{
    const QString state = AccountEndpoints::newConnectState();
    setError(std::nullopt);
    setWorking(true);
    if (!m_openUrl(m_endpoints.connectURL(state))) {
        qCInfo(lcService) << "The browser could not be opened for signing in.";
        // An earlier page may still be open; this start is what failed.
        setWebStates({});
        setWorking(false);
        setError(browserNotOpenedMessage());
        return;
    }
    std::vector<QString> states = m_webStates;
    states.push_back(state);
    setWebStates(std::move(states));
    m_clock.after(webSignInTimeoutMs, this, [this, state] { onWebSignInTimedOut(state); });
}

bool AccountStore::handleCallback(const QString& callback)
{
    const std::optional<QString> state = AccountEndpoints::callbackState(callback);
    const auto found = state ? std::find(m_webStates.begin(), m_webStates.end(), *state) : m_webStates.end();
    if (found == m_webStates.end()) {
        qCInfo(lcService) << "A sign-in callback that no open sign-in asked for was ignored.";
        return false;
    }
    const bool newest = std::next(found) == m_webStates.end();
    const std::optional<QString> token = AccountEndpoints::connectToken(callback, *state);
    if (token) {
        // One finished sign-in is enough: the other open pages are answered by it.
        setWebStates({});
        startConnect(*token);
    } else if (newest) {
        endWebSignIn(didNotFinishMessage());
    } else {
        // An older page gave up; the newer one is still open.
        std::vector<QString> states = m_webStates;
        states.erase(states.begin() + std::distance(m_webStates.begin(), found));
        setWebStates(std::move(states));
    }
    return true;
}

void AccountStore::cancelWebSignIn()
{
    if (waitingForBrowser())
        endWebSignIn(std::nullopt);
}

void AccountStore::signOut()
{
    run([this](auto done) { return m_endpoints.signOut(std::move(done)); },
        [this](const AccountTask::Outcome&) { setAccount(std::nullopt); });
}

bool AccountStore::openWebPage(const QString& pathComponent) const
{
    QUrl url = m_endpoints.origin();
    QString path = url.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    url.setPath(path + pathComponent);
    return m_openUrl(url);
}

void AccountStore::showSample(const Sample& sample)
{
    setAccount(sample.account);
    setError(sample.error);
    setWorking(sample.working);
    setWebStates(sample.waitingForBrowser ? std::vector<QString> { AccountEndpoints::newConnectState() }
                                          : std::vector<QString> {});
}

void AccountStore::startConnect(const QString& token)
{
    setWorking(true);
    run([this, token](auto done) { return m_endpoints.connect(token, std::move(done)); },
        [this](const AccountTask::Outcome& outcome) { finishSignIn(outcome); });
}

void AccountStore::finishSignIn(const AccountTask::Outcome& outcome)
{
    if (const auto* account = std::get_if<std::optional<Account>>(&outcome)) {
        if (*account)
            setAccount(*account);
        else
            setError(AccountEndpoints::signInRetry().message);
    } else if (const auto* failure = std::get_if<RewriteFailure>(&outcome)) {
        setError(failure->message);
    } else {
        setError(unreachableMessage());
    }
    setWorking(false);
}

void AccountStore::endWebSignIn(std::optional<QString> error)
{
    setWebStates({});
    setWorking(false);
    setError(std::move(error));
}

void AccountStore::onWebSignInTimedOut(const QString& state)
{
    const auto found = std::find(m_webStates.begin(), m_webStates.end(), state);
    if (found == m_webStates.end())
        return;
    if (std::next(found) == m_webStates.end()) {
        endWebSignIn(didNotFinishMessage());
        return;
    }
    std::vector<QString> states = m_webStates;
    states.erase(states.begin() + std::distance(m_webStates.begin(), found));
    setWebStates(std::move(states));
}

void AccountStore::setAccount(std::optional<Account> account)
{
    if (m_account == account)
        return;
    m_account = std::move(account);
    Q_EMIT accountChanged();
}

void AccountStore::setWorking(bool working)
{
    if (m_working == working)
        return;
    m_working = working;
    Q_EMIT workingChanged();
}

void AccountStore::setError(std::optional<QString> error)
{
    if (m_error == error)
        return;
    m_error = std::move(error);
    Q_EMIT errorChanged();
}

void AccountStore::setWebStates(std::vector<QString> states)
{
    const bool wasWaiting = waitingForBrowser();
    m_webStates = std::move(states);
    if (wasWaiting != waitingForBrowser())
        Q_EMIT waitingForBrowserChanged();
}

} // namespace quillcraft
