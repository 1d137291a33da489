#include "PreviewGallery.h"
#include "AccountPreviews.h"
#include "OnboardingPreviews.h"
#include "RewritePreviews.h"
#include "SettingsPreviews.h"

#include "service/QuillcraftClient.h"
#include "surfaces/UnderlineView.h"
#include "views/BrandMark.h"
#include "views/CardSurface.h"
#include "views/ChoiceButton.h"
#include "views/FieldBadge.h"
#include "views/Icon.h"
#include "views/IssueSamples.h"
#include "views/IssuesPanel.h"
#include "views/MacBrandHeader.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/SelectionButton.h"
#include "views/SuggestionCard.h"
#include "views/Theme.h"
#include "views/ToastView.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace quillcraft::PreviewGallery {

namespace {

std::unique_ptr<QWidget> badge(FieldBadge::State state)
{
    return std::make_unique<FieldBadge>(state);
}

// Every shared control on one card.
std::unique_ptr<QWidget> controls()
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(14);
    column->addWidget(new MacBrandHeader);

    auto* icons = new QHBoxLayout;
    icons->setSpacing(12);
    for (const char* name : { "arrow-right", "x", "check-circle", "text-aa", "sparkle", "hand-palm", "quillcraft" })
        icons->addWidget(new Icon(QString::fromLatin1(name), 16));
    icons->addStretch();
    icons->addWidget(new BrandMark(22));
    icons->addWidget(new BrandMark(32));
    column->addLayout(icons);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(new PrimaryButton(QStringLiteral("Replace")));
    auto* tinted = new PrimaryButton(QStringLiteral("Accept"));
    tinted->setTint(Theme::pen);
    buttons->addWidget(tinted);
    buttons->addWidget(new QuietButton(QStringLiteral("Shorter"), true));
    buttons->addWidget(new QuietButton(QStringLiteral("Ignore")));
    buttons->addStretch();
    column->addLayout(buttons);

    column->addWidget(new ChoiceButton(QStringLiteral("Fix all 3 issues"), Theme::pen));
    column->addWidget(new ChoiceButton(QStringLiteral("Keep my text"), Theme::pencil));
    return std::make_unique<CardSurface>(360, content);
}

// A text field as another application draws it, with our underlines over three
// of its words (the middle one's card open). Opaque shows the outline wash used
// when no compositing manager runs.
class UnderlinedField final : public QWidget {
public:
    explicit UnderlinedField(bool translucent)
    {
        setFixedSize(440, 44);
        auto* view = new UnderlineView(this);
        view->setGeometry(rect());
        view->setTranslucent(translucent);
        view->setMarks(marks());
    }

private:
    static constexpr qreal inset = 10;
    static QString text() { return QStringLiteral("Teh cat sat on teh mat, it realy was there."); }
    QFont textFont() const { return Theme::geist(14); }

    QList<UnderlineMark> marks() const
    {
        const QFontMetricsF metrics(textFont());
        const qreal baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
        // The word's box in bottom-left view coordinates, as the accessibility bounds give it.
        const auto word = [&](int from, int length) {
            const qreal x = inset + metrics.horizontalAdvance(text().left(from));
            const qreal w = metrics.horizontalAdvance(text().mid(from, length));
            const qreal top = baseline - metrics.ascent();
            return QRectF(x, height() - (top + metrics.height()), w, metrics.height());
        };
        return {
            { word(0, 3), Theme::kindColor(QStringLiteral("Spelling")), false },
            { word(15, 3), Theme::kindColor(QStringLiteral("Agreement")), true },
            { word(27, 5), Theme::kindColor(QStringLiteral("Typo")), false },
        };
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::withOpacity(Theme::primary(palette()), 0.25), 1));
        painter.setBrush(Theme::textBackground(palette()));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        painter.setFont(textFont());
        painter.setPen(Theme::primary(palette()));
        const QFontMetricsF metrics(textFont());
        painter.drawText(QPointF(inset, (height() + metrics.ascent() - metrics.descent()) / 2), text());
    }
};
// The previews draw the card and panel as their panels show them; the buttons do nothing here.
std::unique_ptr<QWidget> suggestion(const TextIssue& issue, bool addWord)
{
    SuggestionCard::Callbacks callbacks { .onAccept = [](const Suggestion&) {}, .onDismiss = [] {} };
    if (addWord)
        callbacks.onAddWord = [] {};
    return SuggestionCard::onSurface(issue, std::move(callbacks));
}

std::unique_ptr<QWidget> issues(const QList<TextIssue>& list)
{
    return IssuesPanel::onSurface(IssueSamples::appName(), list, {});
}

// The issues panel with the sample issues beside a finished and a failed rewrite card.
std::unique_ptr<QWidget> gallery()
{
    auto surface = std::make_unique<QWidget>();
    auto* row = new QHBoxLayout(surface.get());
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->setAlignment(Qt::AlignTop);
    row->addWidget(issues(IssueSamples::notes()).release(), 0, Qt::AlignTop);
    row->addWidget(RewritePreviews::finished().release(), 0, Qt::AlignTop);
    row->addWidget(RewritePreviews::failed().release(), 0, Qt::AlignTop);
    return surface;
}

struct Entry {
    QString name;
    Factory make;
};

// One suggestion card per kind of issue in the samples: "suggestion-kind-wordchoice", …
std::vector<Entry> withKinds(std::vector<Entry> table)
{
    for (const TextIssue& issue : IssueSamples::many(8)) {
        QString kind;
        for (const QChar c : issue.kind) {
            if (c.isLetter())
                kind += c.toLower();
        }
        table.push_back({ QStringLiteral("suggestion-kind-") + kind,
            [issue] { return suggestion(issue, issue.kind == QStringLiteral("Spelling")); } });
    }
    return table;
}

const std::vector<Entry>& entries()
{
    using Issues = FieldBadge::Issues;
    static const std::vector<Entry> table = withKinds({
        { QStringLiteral("badge-checking"), [] { return badge(FieldBadge::Checking {}); } },
        { QStringLiteral("badge-clean"), [] { return badge(FieldBadge::Clean {}); } },
        { QStringLiteral("badge-0"),
            [] {
                return badge(Issues { 0, false });
            } },
        { QStringLiteral("badge-3"),
            [] {
                return badge(Issues { 3, false });
            } },
        { QStringLiteral("badge-style-3"),
            [] {
                return badge(Issues { 3, true });
            } },
        { QStringLiteral("badge-99"),
            [] {
                return badge(Issues { 99, false });
            } },
        { QStringLiteral("badge-100"),
            [] {
                return badge(Issues { 100, false });
            } },
        { QStringLiteral("selection-button"), [] { return std::make_unique<SelectionButton>(); } },
        { QStringLiteral("controls"), controls },
        { QStringLiteral("underlines"), [] { return std::make_unique<UnderlinedField>(true); } },
        { QStringLiteral("underlines-opaque"), [] { return std::make_unique<UnderlinedField>(false); } },
        { QStringLiteral("rewrite"), RewritePreviews::finished },
        { QStringLiteral("rewrite-failed"), RewritePreviews::failed },
        { QStringLiteral("rewrite-failed-upgrade"),
            [] {
                return RewritePreviews::failedWith(
                    QuillcraftClient::failure(429, R"({"error":"daily_limit_exceeded"})"));
            } },
        { QStringLiteral("rewrite-failed-later"),
            [] { return RewritePreviews::failedWith(QuillcraftClient::failure(429, R"({"error":"busy"})")); } },
        { QStringLiteral("rewrite-failed-too-long"),
            [] { return RewritePreviews::failedWith(QuillcraftClient::failure(413, {})); } },
        { QStringLiteral("rewrite-failed-offline"),
            [] { return RewritePreviews::failedWith(QuillcraftClient::unreachable()); } },
        { QStringLiteral("rewrite-failed-server"),
            [] { return RewritePreviews::failedWith(QuillcraftClient::failure(500, {})); } },
        { QStringLiteral("rewrite-choosing"), RewritePreviews::choosing },
        { QStringLiteral("rewrite-grammar"), RewritePreviews::grammar },
        { QStringLiteral("rewrite-custom"), RewritePreviews::custom },
        { QStringLiteral("rewrite-streaming"), RewritePreviews::streaming },
        { QStringLiteral("rewrite-long"), RewritePreviews::longText },
        { QStringLiteral("suggestion"), [] { return suggestion(IssueSamples::spelling(), true); } },
        { QStringLiteral("suggestion-grammar"), [] { return suggestion(IssueSamples::agreement(), false); } },
        { QStringLiteral("suggestion-5"), [] { return suggestion(IssueSamples::fiveSuggestions(), true); } },
        { QStringLiteral("suggestion-long"), [] { return suggestion(IssueSamples::longText(), true); } },
        { QStringLiteral("issues"), [] { return issues(IssueSamples::notes()); } },
        { QStringLiteral("gallery"), gallery },
        { QStringLiteral("issues-0"), [] { return issues({}); } },
        { QStringLiteral("issues-1"), [] { return issues({ IssueSamples::typo() }); } },
        { QStringLiteral("issues-12"), [] { return issues(IssueSamples::many(12)); } },
        { QStringLiteral("issues-40"), [] { return issues(IssueSamples::many(40)); } },
        { QStringLiteral("account"), AccountPreviews::guest },
        { QStringLiteral("account-guest"), AccountPreviews::guest },
        { QStringLiteral("account-working"), AccountPreviews::working },
        { QStringLiteral("account-error"), AccountPreviews::failed },
        { QStringLiteral("account-waiting"), AccountPreviews::waiting },
        { QStringLiteral("account-signed-in"), AccountPreviews::signedIn },
        { QStringLiteral("account-settings"), AccountPreviews::inSettings },
        { QStringLiteral("settings"), SettingsPreviews::general },
        { QStringLiteral("settings-general-full"), SettingsPreviews::generalFull },
        { QStringLiteral("settings-apps"), SettingsPreviews::apps },
        { QStringLiteral("settings-dictionary"), SettingsPreviews::dictionary },
        { QStringLiteral("settings-dictionary-empty"), SettingsPreviews::emptyDictionary },
        { QStringLiteral("settings-account"), SettingsPreviews::account },
        { QStringLiteral("welcome"), OnboardingPreviews::welcome },
        { QStringLiteral("access"), [] { return OnboardingPreviews::access(false); } },
        { QStringLiteral("access-granted"), [] { return OnboardingPreviews::access(true); } },
        { QStringLiteral("practice"),
            [] { return OnboardingPreviews::practice(OnboardingPreviews::Startup::offered); } },
        { QStringLiteral("practice-enabled"),
            [] { return OnboardingPreviews::practice(OnboardingPreviews::Startup::enabled); } },
        { QStringLiteral("practice-approval"),
            [] { return OnboardingPreviews::practice(OnboardingPreviews::Startup::approval); } },
        { QStringLiteral("practice-error"),
            [] { return OnboardingPreviews::practice(OnboardingPreviews::Startup::error); } },
        { QStringLiteral("toast"),
            [] {
                return std::make_unique<ToastView>(
                    QStringLiteral("Another app uses Ctrl+Alt+R. Highlight text and click Rewrite instead."));
            } },
    });
    return table;
}

} // namespace

std::unique_ptr<QWidget> make(const QString& name)
{
    for (const Entry& entry : entries()) {
        if (entry.name == name)
            return entry.make();
    }
    return nullptr;
}

QStringList names()
{
    QStringList result;
    for (const Entry& entry : entries())
        result << entry.name;
    return result;
}

} // namespace quillcraft::PreviewGallery
