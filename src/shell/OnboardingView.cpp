#include "shell/OnboardingView.h"

#include "core/Clock.h"
#include "core/PlatformWording.h"
#include "platform/TrustCheck.h"
#include "settings/LoginItemStore.h"
#include "views/BusyIndicator.h"
#include "views/Divider.h"
#include "views/Icon.h"
#include "views/MacBrandHeader.h"
#include "views/PrimaryButton.h"
#include "views/TextButton.h"
#include "views/Theme.h"
#include "views/WrappedText.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quillcraft {

namespace {

constexpr int margin = 24;
constexpr const char* secondaryProperty = "quillcraftSecondary";

WrappedText* text(const QString& content, QWidget* parent, int size = 12, QFont::Weight weight = QFont::Normal,
    bool secondary = false)
{
    auto* label = new WrappedText(content, 0, parent);
    label->setFont(Theme::geist(size, weight));
    label->setProperty(secondaryProperty, secondary);
    label->setAccessibleName(content);
    return label;
}

WrappedText* heading(const QString& content, QWidget* parent)
{
    return text(content, parent, 18, QFont::DemiBold);
}

QVBoxLayout* column(QWidget* page, int spacing)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

PrimaryButton* primaryButton(const QString& label, const char* name, QWidget* parent)
{
    auto* button = new PrimaryButton(label, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// One line of the welcome page: an icon, what the program does and a detail.
QWidget* bullet(const QString& icon, const QString& title, const QString& detail, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new Icon(icon, 18, row), 0, Qt::AlignTop);
    auto* words = new QVBoxLayout;
    words->setSpacing(3);
    words->addWidget(text(title, row, 13, QFont::DemiBold));
    words->addWidget(text(detail, row, 12, QFont::Normal, true));
    layout->addLayout(words, 1);
    return row;
}

} // namespace

QString OnboardingView::practiceText()
{
    return QStringLiteral("Their going to love this. I has wrote a quick note to the team, and it need a better tone "
                          "before I send it tomorow.");
}

OnboardingView::OnboardingView(
    Step step, LoginItemStore& loginItem, TrustCheck& trust, Clock& clock, Callbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_loginItem(loginItem)
    , m_trust(trust)
    , m_clock(clock)
    , m_callbacks(std::move(callbacks))
    , m_step(step)
    , m_trusted(trust.isTrusted())
{
    setAutoFillBackground(true);
    setFixedWidth(contentWidth);
    setFont(Theme::geist(12));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, 16, margin, margin);
    layout->setSpacing(18);
    layout->addWidget(new MacBrandHeader(this));
    m_welcome = buildWelcome();
    m_access = buildAccess();
    m_practicePage = buildPractice();
    layout->addWidget(m_welcome);
    layout->addWidget(m_access);
    layout->addWidget(m_practicePage);
    layout->addStretch();

    connect(&m_loginItem, &LoginItemStore::changed, this, &OnboardingView::syncStartup);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            m_loginItem.refresh();
    });
    restyle();
    sync();
    schedulePoll();
}

OnboardingView::~OnboardingView() = default;

QWidget* OnboardingView::buildWelcome()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("welcome"));
    auto* layout = column(page, 16);
    layout->addWidget(heading(QStringLiteral("Better writing in every app, not just your browser."), page));
    layout->addWidget(bullet(QStringLiteral("text-aa"),
        PlatformWording::apply(QStringLiteral("Grammar fixes as you type, in apps like TextEdit, Safari, and Slack.")),
        PlatformWording::apply(QStringLiteral("Checked on this Mac. That text never leaves it.")), page));
    layout->addWidget(bullet(QStringLiteral("sparkle"),
        QStringLiteral("Highlight text to rewrite, fix, or shorten it."),
        QStringLiteral("Press ") + PlatformWording::rewriteShortcut() + QStringLiteral(" or click the Rewrite button."),
        page));
    layout->addWidget(bullet(QStringLiteral("hand-palm"), QStringLiteral("Nothing changes until you accept."),
        QStringLiteral("Your draft stays yours."), page));
    auto* next = primaryButton(QStringLiteral("Continue"), "continue", page);
    connect(next, &QAbstractButton::clicked, this, &OnboardingView::continueOn);
    layout->addSpacing(4);
    layout->addWidget(next, 0, Qt::AlignRight);
    return page;
}

QWidget* OnboardingView::buildAccess()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("access"));
    auto* layout = column(page, 12);
    layout->addWidget(heading(QStringLiteral("Allow Quillcraft to read the field you type in"), page));
    layout->addWidget(text(PlatformWording::apply(QStringLiteral(
                               "macOS calls this Accessibility. Quillcraft uses it to find mistakes in the focused "
                               "text field and to place your fixes. Secure fields like passwords are never read.")),
        page));
    auto* steps = new QWidget(page);
    auto* stepLines = column(steps, 4);
    for (const char* line :
        { "1. Click Open System Settings.", "2. Turn on Quillcraft under Privacy & Security, Accessibility.",
            "3. Come back here. This page updates by itself." })
        stepLines->addWidget(text(PlatformWording::apply(QString::fromUtf8(line)), steps));
    layout->addWidget(steps);
    layout->addSpacing(4);

    // Until access is on: the button, and a turning wait that the poll ends.
    m_waiting = new QWidget(page);
    m_waiting->setObjectName(QStringLiteral("waiting"));
    auto* waiting = column(m_waiting, 12);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* request
        = primaryButton(PlatformWording::apply(QStringLiteral("Open System Settings")), "requestAccess", page);
    connect(request, &QAbstractButton::clicked, this, [this] {
        if (m_callbacks.onRequestAccess)
            m_callbacks.onRequestAccess();
    });
    row->addWidget(request);
    row->addSpacing(4);
    row->addWidget(new BusyIndicator(14, m_waiting), 0, Qt::AlignVCenter);
    row->addWidget(text(QStringLiteral("Waiting for access"), m_waiting, 12, QFont::Normal, true), 1, Qt::AlignVCenter);
    waiting->addLayout(row);
    waiting->addWidget(text(PlatformWording::apply(QStringLiteral(
                                "Already switched on? In the Accessibility list, select Quillcraft and click the minus "
                                "button. Click the plus button, choose the copy of Quillcraft you\u2019re running, and "
                                "turn it on.")),
        m_waiting, 11, QFont::Normal, true));
    layout->addWidget(m_waiting);

    // Once it is on; moving on stays the user's click.
    m_granted = new QWidget(page);
    m_granted->setObjectName(QStringLiteral("granted"));
    auto* granted = new QHBoxLayout(m_granted);
    granted->setContentsMargins(0, 0, 0, 0);
    granted->setSpacing(8);
    auto* check = new Icon(QStringLiteral("check-circle"), 16, m_granted);
    check->setColor(Theme::success);
    granted->addWidget(check, 0, Qt::AlignVCenter);
    granted->addWidget(text(QStringLiteral("Access is on"), m_granted, 13, QFont::DemiBold), 1, Qt::AlignVCenter);
    auto* next = primaryButton(QStringLiteral("Continue"), "accessContinue", m_granted);
    connect(next, &QAbstractButton::clicked, this, &OnboardingView::continueOn);
    granted->addWidget(next, 0, Qt::AlignVCenter);
    layout->addWidget(m_granted);
    return page;
}

QWidget* OnboardingView::buildPractice()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("practicePage"));
    auto* layout = column(page, 12);
    layout->addWidget(heading(QStringLiteral("Try it here"), page));
    layout->addWidget(
        text(QStringLiteral("Hover an underline and click Accept. Then highlight a sentence and click Rewrite."), page,
            12, QFont::Normal, true));
    m_practice = new QPlainTextEdit(practiceText(), page);
    m_practice->setObjectName(QStringLiteral("practice"));
    m_practice->setAccessibleName(QStringLiteral("Practice text"));
    m_practice->setFont(Theme::geist(13));
    m_practice->setFixedHeight(practiceHeight);
    m_practice->setTabChangesFocus(true);
    // The text wraps at the field's width; nothing to scroll sideways to.
    m_practice->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_practice->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_practice);
    layout->addSpacing(4);
    layout->addWidget(new Divider(0.1, page));
    layout->addSpacing(2);

    layout->addWidget(text(QStringLiteral("Ready whenever you write"), page, 15, QFont::DemiBold));
    m_startupText = text(QString(), page);
    m_startupText->setObjectName(QStringLiteral("startupText"));
    layout->addWidget(m_startupText);
    m_startupDetail = text(QString(), page);
    m_startupDetail->setObjectName(QStringLiteral("startupDetail"));
    layout->addWidget(m_startupDetail);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(14);
    m_startupAction = primaryButton(QString(), "startupAction", page);
    connect(m_startupAction, &QAbstractButton::clicked, this, [this] {
        if (m_loginItem.isEnabled()) {
            if (m_callbacks.onFinish)
                m_callbacks.onFinish();
        } else if (m_loginItem.needsApproval()) {
            if (m_callbacks.onOpenLoginSettings)
                m_callbacks.onOpenLoginSettings();
        } else {
            enableAndFinish();
        }
    });
    buttons->addWidget(m_startupAction);
    m_startupLater = new TextButton(QString(), page);
    m_startupLater->setObjectName(QStringLiteral("startupLater"));
    connect(m_startupLater, &QAbstractButton::clicked, this, [this] {
        if (m_callbacks.onFinish)
            m_callbacks.onFinish();
    });
    buttons->addWidget(m_startupLater, 0, Qt::AlignVCenter);
    buttons->addStretch();
    layout->addSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(text(QStringLiteral("You can change this anytime in Settings."), page, 11, QFont::Normal, true));
    return page;
}

QString OnboardingView::practice() const
{
    return m_practice->toPlainText();
}

void OnboardingView::continueOn()
{
    // Access is offered again only while it is off; there is no way back.
    if (m_step == Step::welcome)
        setStep(m_trusted ? Step::practice : Step::access);
    else if (m_step == Step::access && m_trusted)
        setStep(Step::practice);
}

void OnboardingView::schedulePoll()
{
    m_clock.after(pollIntervalMs, this, [this] {
        // A closed window costs nothing each second; showing it again polls at once.
        if (isVisible())
            poll();
        schedulePoll();
    });
}

void OnboardingView::poll()
{
    showTrusted(m_trust.isTrusted());
    m_loginItem.refresh();
}

void OnboardingView::showTrusted(bool trusted)
{
    if (trusted == m_trusted)
        return;
    m_trusted = trusted;
    sync();
}

void OnboardingView::enableAndFinish()
{
    m_loginItem.setEnabled(true);
    m_enableError = m_loginItem.error();
    if (m_loginItem.isEnabled()) {
        m_enableError.reset();
        if (m_callbacks.onFinish)
            m_callbacks.onFinish();
        return;
    }
    // Approval pending is no failure: its row explains it.
    syncStartup();
}

void OnboardingView::setStep(Step step)
{
    if (step == m_step)
        return;
    m_step = step;
    sync();
    if (isVisible())
        reportPractice(m_step == Step::practice);
}

void OnboardingView::reportPractice(bool onScreen)
{
    // The practice field takes the keyboard so the assistant serves it; elsewhere
    // the page keeps it, for Return.
    if (onScreen)
        m_practice->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
    if (m_callbacks.onPracticeChange)
        m_callbacks.onPracticeChange(onScreen);
}

void OnboardingView::sync()
{
    m_welcome->setVisible(m_step == Step::welcome);
    m_access->setVisible(m_step == Step::access);
    m_practicePage->setVisible(m_step == Step::practice);
    m_waiting->setVisible(!m_trusted);
    m_granted->setVisible(m_trusted);
    syncStartup();
    // The window follows the page's height.
    if (QWidget* window = this->window(); window != this)
        window->adjustSize();
}

void OnboardingView::syncStartup()
{
    const QString offer = PlatformWording::apply(
        QStringLiteral("Open Quillcraft automatically when you log in. It stays in your menu bar, ready to help."));
    if (m_loginItem.isEnabled() || m_loginItem.needsApproval())
        m_enableError.reset();
    const std::optional<QString> error = m_loginItem.error() ? m_loginItem.error() : m_enableError;
    QString detail;
    if (m_loginItem.isEnabled()) {
        m_startupText->setText(PlatformWording::apply(QStringLiteral(
            "Quillcraft opens automatically when you log in and stays in your menu bar, ready to help.")));
        m_startupAction->setText(QStringLiteral("Done"));
    } else if (m_loginItem.needsApproval()) {
        m_startupText->setText(offer);
        detail = PlatformWording::apply(
            QStringLiteral("macOS needs your approval. Allow Quillcraft in Login Items to turn on automatic startup."));
        m_startupAction->setText(PlatformWording::apply(QStringLiteral("Open Login Settings")));
        m_startupLater->setText(QStringLiteral("Finish for now"));
    } else if (error) {
        m_startupText->setText(offer);
        detail = *error;
        m_startupAction->setText(QStringLiteral("Try again"));
        m_startupLater->setText(QStringLiteral("Finish for now"));
    } else {
        m_startupText->setText(offer);
        m_startupAction->setText(QStringLiteral("Enable and finish"));
        m_startupLater->setText(QStringLiteral("Not now"));
    }
    m_startupText->setAccessibleName(m_startupText->text());
    m_startupDetail->setText(detail);
    m_startupDetail->setAccessibleName(detail);
    m_startupDetail->setVisible(!detail.isEmpty());
    m_startupDetail->setColor(error && !m_loginItem.needsApproval() ? Theme::error : Theme::secondary(palette()));
    m_startupLater->setVisible(!m_loginItem.isEnabled());
    // A desktop without an approval page gets no button that leads nowhere.
    m_startupAction->setVisible(!m_loginItem.needsApproval() || m_callbacks.onOpenLoginSettings);
    m_startupAction->updateGeometry();
    m_startupLater->updateGeometry();
}

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_trusted = m_trust.isTrusted();
    m_loginItem.refresh();
    sync();
    reportPractice(m_step == Step::practice);
}

void OnboardingView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Closing the window ends the practice: the program's own fields go back to being skipped.
    if (m_callbacks.onPracticeChange)
        m_callbacks.onPracticeChange(false);
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    // The buttons never take the keyboard, so Return is the page's main button
    // (the practice field keeps its own Return for new lines).
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (m_step == Step::practice) {
        if (m_startupAction->isVisible())
            m_startupAction->click();
    } else if (m_step == Step::access && !m_trusted) {
        if (m_callbacks.onRequestAccess)
            m_callbacks.onRequestAccess();
    } else {
        continueOn();
    }
}

void OnboardingView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        restyle();
    QWidget::changeEvent(event);
}

void OnboardingView::restyle()
{
    const QPalette colors = palette();
    m_practice->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid %1; border-radius: 8px;"
                                             " padding: 4px 6px; background: %2; color: %3; }"
                                             " QPlainTextEdit:focus { border-color: %4; }")
                                  .arg(Theme::cssColor(Theme::withOpacity(Theme::primary(colors), 0.18)),
                                      Theme::cssColor(Theme::textBackground(colors)),
                                      Theme::cssColor(Theme::primary(colors)), Theme::cssColor(Theme::pen)));
    for (auto* label : findChildren<WrappedText*>()) {
        if (label->property(secondaryProperty).toBool())
            label->setColor(Theme::secondary(colors));
    }
    syncStartup();
}

} // namespace quillcraft
