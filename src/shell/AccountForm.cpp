#include "AccountForm.h"

#include "core/PlatformWording.h"
#include "platform/Hotkey.h"
#include "service/AccountStore.h"
#include "views/BusyIndicator.h"
#include "views/Divider.h"
#include "views/Icon.h"
#include "views/MacBrandHeader.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/TextButton.h"
#include "views/Theme.h"
#include "views/WrappedText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quillcraft {

namespace {

constexpr int formWidth = 380;
constexpr int margin = 24;
constexpr int calloutSize = 12;
constexpr const char* secondaryProperty = "quillcraftSecondary";

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::geist(25, QFont::DemiBold));
    label->setWordWrap(true);
    label->setAccessibleName(text);
    return label;
}

// Text in the callout size; `secondary` ones are faded (restyled with the palette).
WrappedText* callout(const QString& text, QWidget* parent, bool secondary = true)
{
    auto* label = new WrappedText(text, 0, parent);
    label->setFont(Theme::geist(calloutSize));
    label->setProperty(secondaryProperty, secondary);
    return label;
}

// A primary button that is off looks off: PrimaryButton itself paints the same fill either way.
void showEnabled(PrimaryButton* button, bool enabled)
{
    button->setEnabled(enabled);
    button->setTint(
        enabled ? std::nullopt : std::optional<QColor>(Theme::withOpacity(Theme::primary(button->palette()), 0.3)));
}

PrimaryButton* wideButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new PrimaryButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

QVBoxLayout* column(QWidget* page, int spacing)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

AccountForm::AccountForm(AccountStore& account, std::function<void()> onDone, bool showsBrand, QWidget* parent)
    : QWidget(parent)
    , m_account(&account)
    , m_onDone(std::move(onDone))
    , m_showsBrand(showsBrand)
{
    setAutoFillBackground(true);
    setFixedWidth(formWidth);
    setFont(Theme::geist(12));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, showsBrand ? 16 : margin, margin, margin);
    layout->setSpacing(18);
    if (showsBrand) {
        auto* brand = new MacBrandHeader(this);
        brand->setObjectName(QStringLiteral("brand"));
        layout->addWidget(brand);
    }
    m_signedOut = buildSignedOut();
    m_signedIn = buildSignedIn();
    layout->addWidget(m_signedOut);
    layout->addWidget(m_signedIn);
    layout->addStretch();

    connect(&account, &AccountStore::accountChanged, this, &AccountForm::sync);
    connect(&account, &AccountStore::workingChanged, this, &AccountForm::sync);
    connect(&account, &AccountStore::errorChanged, this, &AccountForm::sync);
    connect(&account, &AccountStore::waitingForBrowserChanged, this, &AccountForm::sync);
    styleFields();
    sync();
}

QWidget* AccountForm::buildSignedOut()
{
    auto* page = new QWidget(this);
    auto* layout = column(page, 12);
    layout->addWidget(heading(QStringLiteral("Sign in to Quillcraft"), page));
    layout->addWidget(callout(QStringLiteral("Sign in for 40 free AI rewrites a day. Guests get 10."), page));

    m_continue = wideButton(QStringLiteral("Continue with Google"), "continue", page);
    connect(m_continue, &QAbstractButton::clicked, this, [this] {
        if (m_account)
            m_account->signInWithGoogle();
    });
    layout->addWidget(m_continue);

    // While the browser has the sign-in: what is going on, and a way out of it.
    m_waiting = new QWidget(page);
    m_waiting->setObjectName(QStringLiteral("waiting"));
    auto* waitingRow = new QHBoxLayout(m_waiting);
    waitingRow->setContentsMargins(0, 0, 0, 0);
    waitingRow->setSpacing(10);
    waitingRow->addWidget(new BusyIndicator(14, m_waiting), 0, Qt::AlignVCenter);
    waitingRow->addWidget(
        callout(QStringLiteral("Waiting for your browser. Finish signing in there to come back here."), m_waiting), 1);
    auto* cancel = new QuietButton(QStringLiteral("Cancel"), false, m_waiting);
    cancel->setObjectName(QStringLiteral("cancelBrowser"));
    connect(cancel, &QAbstractButton::clicked, this, [this] {
        if (m_account)
            m_account->cancelWebSignIn();
    });
    waitingRow->addWidget(cancel, 0, Qt::AlignVCenter);
    layout->addWidget(m_waiting);

    auto* note = callout(QStringLiteral("Opens ") + m_account->origin().host()
            + QStringLiteral(" in your browser. Or sign in with your email and password."),
        page);
    note->setObjectName(QStringLiteral("note"));
    layout->addWidget(note);

    m_email = new QLineEdit(page);
    m_email->setObjectName(QStringLiteral("email"));
    m_email->setPlaceholderText(QStringLiteral("Email"));
    m_email->setAccessibleName(QStringLiteral("Email"));
    m_password = new QLineEdit(page);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setPlaceholderText(QStringLiteral("Password"));
    m_password->setAccessibleName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    for (QLineEdit* field : { m_email, m_password }) {
        field->setFont(Theme::geist(13));
        connect(field, &QLineEdit::textChanged, this, &AccountForm::sync);
        layout->addWidget(field);
    }

    m_error = callout(QString(), page, false);
    m_error->setObjectName(QStringLiteral("error"));
    m_error->setColor(Theme::error);
    layout->addWidget(m_error);

    auto* submitRow = new QHBoxLayout;
    submitRow->setSpacing(10);
    m_signIn = wideButton(QStringLiteral("Sign in"), "signIn", page);
    connect(m_signIn, &QAbstractButton::clicked, this, &AccountForm::submit);
    submitRow->addWidget(m_signIn, 1);
    m_progress = new BusyIndicator(14, page);
    submitRow->addWidget(m_progress, 0, Qt::AlignVCenter);
    layout->addLayout(submitRow);

    auto* links = new QHBoxLayout;
    links->setSpacing(16);
    for (const auto& [text, path] : { std::pair { QStringLiteral("Create a free account"), QStringLiteral("sign-up") },
             std::pair { QStringLiteral("Forgot password"), QStringLiteral("forgot-password") } }) {
        auto* link = new TextButton(text, page);
        link->setObjectName(path);
        connect(link, &QAbstractButton::clicked, this, [this, path = path] {
            if (m_account)
                m_account->openWebPage(path);
        });
        links->addWidget(link);
    }
    links->addStretch();
    layout->addLayout(links);
    return page;
}

QWidget* AccountForm::buildSignedIn()
{
    auto* page = new QWidget(this);
    auto* layout = column(page, 12);
    layout->addWidget(heading(QStringLiteral("You’re ready to rewrite."), page));
    // The other desktop's example editor has no counterpart here; any editor will do.
    layout->addWidget(callout(QStringLiteral("Select a sentence in a text editor."), page, false));

    auto* pressRow = new QHBoxLayout;
    pressRow->setSpacing(6);
    auto* press = new QLabel(QStringLiteral("Click <b>Rewrite</b> beside your selection or press"), page);
    press->setTextFormat(Qt::RichText);
    press->setFont(Theme::geist(calloutSize));
    pressRow->addWidget(press);
    m_keyCap = new QLabel(PlatformWording::apply(Hotkey::display()), page);
    m_keyCap->setObjectName(QStringLiteral("keyCap"));
    m_keyCap->setFont(Theme::geist(11, QFont::DemiBold));
    m_keyCap->setAccessibleName(PlatformWording::rewriteShortcutSpoken());
    pressRow->addWidget(m_keyCap);
    pressRow->addStretch();
    layout->addLayout(pressRow);

    auto* done = wideButton(QStringLiteral("Done"), "done", page);
    connect(done, &QAbstractButton::clicked, this, [this] {
        if (m_onDone)
            m_onDone();
    });
    layout->addSpacing(4);
    layout->addWidget(done);
    layout->addSpacing(4);
    layout->addWidget(new Divider(0.1, page));

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* who = new QVBoxLayout;
    who->setSpacing(3);
    auto* status = new QHBoxLayout;
    status->setSpacing(6);
    auto* check = new Icon(QStringLiteral("check-circle"), 14, page);
    check->setColor(Theme::success);
    status->addWidget(check);
    auto* signedIn = new QLabel(QStringLiteral("Signed in"), page);
    signedIn->setFont(Theme::geist(12, QFont::DemiBold));
    status->addWidget(signedIn);
    status->addStretch();
    who->addLayout(status);
    m_accountEmail = new WrappedText(QString(), 1, page);
    m_accountEmail->setProperty(secondaryProperty, true);
    m_accountEmail->setObjectName(QStringLiteral("accountEmail"));
    m_accountEmail->setFont(Theme::geist(12));
    who->addWidget(m_accountEmail);
    row->addLayout(who, 1);

    auto* manage = new TextButton(QStringLiteral("Manage plan"), page);
    manage->setObjectName(QStringLiteral("managePlan"));
    connect(manage, &QAbstractButton::clicked, this, [this] {
        if (m_account)
            m_account->openWebPage(QStringLiteral("pricing"));
    });
    auto* signOut = new TextButton(QStringLiteral("Sign out"), page);
    signOut->setObjectName(QStringLiteral("signOut"));
    connect(signOut, &QAbstractButton::clicked, this, [this] {
        if (m_account)
            m_account->signOut();
    });
    row->addWidget(manage, 0, Qt::AlignVCenter);
    row->addWidget(signOut, 0, Qt::AlignVCenter);
    layout->addLayout(row);
    return page;
}

void AccountForm::submit()
{
    // Return reaches the form even while the button is off; one sign-in at a time.
    if (!m_account || m_account->working() || m_email->text().isEmpty() || m_password->text().isEmpty())
        return;
    m_account->signIn(m_email->text(), m_password->text());
}

void AccountForm::sync()
{
    if (!m_account || !m_signedIn)
        return;
    const bool signedIn = m_account->account().has_value();
    const bool working = m_account->working();
    const bool waiting = m_account->waitingForBrowser();
    m_signedOut->setVisible(!signedIn);
    m_signedIn->setVisible(signedIn);

    m_continue->setVisible(!waiting);
    showEnabled(m_continue, !working);
    m_waiting->setVisible(waiting);
    m_email->setEnabled(!working);
    m_password->setEnabled(!working);
    const std::optional<QString>& error = m_account->error();
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
    // The browser wait has its own progress; this one is for the email sign-in.
    const bool signingIn = working && !waiting;
    m_signIn->setText(signingIn ? QStringLiteral("Signing in…") : QStringLiteral("Sign in"));
    showEnabled(m_signIn, !working && !m_email->text().isEmpty() && !m_password->text().isEmpty());
    m_progress->setVisible(signingIn);

    const QString email = signedIn ? m_account->account()->email : QString();
    m_accountEmail->setText(email);
    m_accountEmail->setToolTip(email);
}

void AccountForm::keyPressEvent(QKeyEvent* event)
{
    // The default action of the page; a line edit hands Return on to us.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_account && m_account->account()) {
            if (m_onDone)
                m_onDone();
        } else {
            submit();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AccountForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        styleFields();
        sync();
    }
    QWidget::changeEvent(event);
}

void AccountForm::styleFields()
{
    if (!m_email)
        return;
    const QPalette colors = palette();
    const QString fieldStyle
        = QStringLiteral("QLineEdit { border: 1px solid %1; border-radius: 8px; padding: 6px 9px;"
                         " background: %2; color: %3; }"
                         " QLineEdit:focus { border-color: %4; }"
                         " QLineEdit:disabled { color: %5; }")
              .arg(Theme::cssColor(Theme::withOpacity(Theme::primary(colors), 0.18)),
                  Theme::cssColor(Theme::textBackground(colors)), Theme::cssColor(Theme::primary(colors)),
                  Theme::cssColor(Theme::pen), Theme::cssColor(Theme::secondary(colors)));
    m_email->setStyleSheet(fieldStyle);
    m_password->setStyleSheet(fieldStyle);
    m_keyCap->setStyleSheet(QStringLiteral("QLabel { border: 1px solid %1; border-radius: 5px; padding: 1px 6px;"
                                           " background: %2; color: %3; }")
                                .arg(Theme::cssColor(Theme::withOpacity(Theme::primary(colors), 0.2)),
                                    Theme::cssColor(Theme::withOpacity(Theme::primary(colors), 0.05)),
                                    Theme::cssColor(Theme::primary(colors))));
    for (auto* text : findChildren<WrappedText*>()) {
        if (text->property(secondaryProperty).toBool())
            text->setColor(Theme::secondary(colors));
    }
}

} // namespace quillcraft
