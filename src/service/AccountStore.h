#pragma once

#include "service/Account.h"
#include "service/AccountEndpoints.h"
#include "service/AccountTask.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillcraft {

class Clock;

// Who is signed in, whether a sign-in is running and why the last one failed,
// for the views to show; and the sign-in flows that change it. GUI thread only.
// Every operation returns at once; its outcome arrives through the signals.
// Operations may overlap: the last one to finish decides what is shown.
//
// The browser sign-in opens the service's connect page with a fresh state and
// waits for the browser to hand back quillcraft://connected?state=S&token=T,
// which the program receives on its URL scheme and passes to handleCallback().
class AccountStore final : public QObject {
    Q_OBJECT

public:
    // Opens a URL in the user's default browser; false when it could not.
    using OpenUrl = std::function<bool(const QUrl&)>;

    // How long a browser sign-in may take before it counts as not finished.
    static constexpr int webSignInTimeoutMs = 10 * 60 * 1000;

    static QString unreachableMessage();
    static QString browserNotOpenedMessage();
    static QString didNotFinishMessage();

    // The published values at once, for previews drawn without a service.
    struct Sample final {
        std::optional<Account> account = {};
        bool working = false;
        std::optional<QString> error = {};
        bool waitingForBrowser = false;
    };

    // `clock` must outlive the store; `openUrl` empty uses the desktop's browser.
    AccountStore(AccountEndpoints endpoints, Clock& clock, OpenUrl openUrl = {}, QObject* parent = nullptr);
    ~AccountStore() override;

    // The signed-in account; none for a guest.
    const std::optional<Account>& account() const { return m_account; }
    // A sign-in is running: the form disables its controls.
    bool working() const { return m_working; }
    // The message of the last failed sign-in, a whole sentence.
    const std::optional<QString>& error() const { return m_error; }
    // A browser sign-in is open and waiting for its callback.
    bool waitingForBrowser() const { return !m_webStates.empty(); }
    // The service's web origin, whose host the form names.
    QUrl origin() const { return m_endpoints.origin(); }

    // Re-reads who is signed in; a failure reads as nobody.
    void refresh();
    // Email sign-in; the email is trimmed of spaces and tabs, the password sent as typed.
    void signIn(const QString& email, const QString& password);
    // Opens the service's sign-in page in the browser and waits for its callback.
    void signInWithGoogle();
    // A quillcraft: URL handed to the program, as the raw text it came as
    // (QUrl would fold the case of its scheme and host). Only a callback that
    // carries the state of a waiting browser sign-in is taken; returns whether
    // it was. One without a token ends that sign-in as not finished.
    bool handleCallback(const QString& callback);
    // The user gave up on the browser sign-in: it ends without a message.
    void cancelWebSignIn();
    // Signs out; always ends signed out, service reachable or not.
    void signOut();
    // Opens the service page `pathComponent` ("pricing", "sign-up", …) in the browser.
    bool openWebPage(const QString& pathComponent) const;

    // Replaces the published values without talking to the service.
    void showSample(const Sample& sample);

Q_SIGNALS:
    void accountChanged();
    void workingChanged();
    void errorChanged();
    void waitingForBrowserChanged();

private:
    using Start = std::function<std::unique_ptr<AccountTask>(AccountTask::CompletionHandler)>;
    // Starts one account call, kept as a child until it completes; the
    // store's destruction ends it and nothing is delivered afterwards.
    void run(const Start& start, std::function<void(const AccountTask::Outcome&)> onDone);
    // Records the outcome of a sign-in.
    void finishSignIn(const AccountTask::Outcome& outcome);
    void startConnect(const QString& token);
    // Ends the wait for the browser; `error` none ends it silently.
    void endWebSignIn(std::optional<QString> error);
    void onWebSignInTimedOut(const QString& state);

    void setAccount(std::optional<Account> account);
    void setWorking(bool working);
    void setError(std::optional<QString> error);
    void setWebStates(std::vector<QString> states);

    AccountEndpoints m_endpoints;
    Clock& m_clock;
    OpenUrl m_openUrl;
    std::optional<Account> m_account;
    bool m_working = false;
    std::optional<QString> m_error;
    // States of the browser sign-ins still open, the newest last. An older one
    // stays valid after another start: the user may finish either page.
    std::vector<QString> m_webStates;
};

} // namespace quillcraft
