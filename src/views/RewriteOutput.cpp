#include "RewriteOutput.h"

#include "rewrite/WordDiff.h"
#include "views/BusyIndicator.h"
#include "views/Icon.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/Theme.h"
#include "views/WrappedText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

namespace quillcraft {

namespace {

using PhaseKind = RewriteSession::Phase::Kind;

// The result box is at most this many lines tall; streamed text is cut after as many.
constexpr int outputLines = 5;
constexpr int contentWidth = RewriteCard::width - 2 * RewriteOutput::cardInset;

QLabel* label(const QString& text, const QFont& font, const QColor& color)
{
    auto* result = new QLabel(text);
    result->setFont(font);
    result->setTextFormat(Qt::PlainText);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, color);
    result->setPalette(palette);
    return result;
}

} // namespace

RewriteOutput::RewriteOutput(RewriteSession& session, const RewriteCard::Callbacks& callbacks, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_callbacks(callbacks)
    , m_column(new QVBoxLayout(this))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
}

void RewriteOutput::render()
{
    const RewriteSession::Phase& phase = m_session.phase();
    // Streamed text only grows the shown text; the rest rebuilds only what changed.
    if (m_output && m_phase.kind == PhaseKind::running && phase.kind == PhaseKind::running && !m_phase.text.isEmpty()
        && !phase.text.isEmpty()) {
        static_cast<WrappedText*>(m_output.data())->setText(phase.text);
        m_phase = phase;
        return;
    }
    if (m_built && m_phase == phase && m_action == m_session.lastAction())
        return;
    m_built = true;
    m_phase = phase;
    m_action = m_session.lastAction();
    if (m_output) {
        // Later: its own Try again button may be what changed the phase.
        m_output->hide();
        m_column->removeWidget(m_output);
        m_output->deleteLater();
    }

    QWidget* output = nullptr;
    switch (phase.kind) {
    case PhaseKind::choosing:
        break;
    case PhaseKind::running:
        if (phase.text.isEmpty()) {
            output = new QWidget;
            auto* row = new QHBoxLayout(output);
            row->setContentsMargins(0, 2, 0, 2);
            row->setSpacing(8);
            row->addWidget(new BusyIndicator(14));
            auto* writing = label(QStringLiteral("Writing…"), Theme::geist(12), Theme::secondary(palette()));
            row->addWidget(writing);
            row->addStretch();
        } else {
            auto* text = new WrappedText(phase.text, outputLines);
            text->setObjectName(QStringLiteral("streamed"));
            text->setFont(Theme::geist(13));
            output = text;
        }
        break;
    case PhaseKind::done:
        output = doneOutput(phase.text);
        break;
    case PhaseKind::failed:
        output = failedOutput(phase.failure.value_or(RewriteFailure { RewriteFailure::Kind::server, {} }));
        break;
    }
    if (output)
        m_column->addWidget(output);
    m_output = output;
    setVisible(output != nullptr);
}

QWidget* RewriteOutput::doneOutput(const QString& text)
{
    auto* output = new QWidget;
    auto* column = new QVBoxLayout(output);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* caption
        = label(QStringLiteral("Suggested rewrite"), Theme::geist(11, QFont::DemiBold), Theme::secondary(palette()));
    column->addWidget(caption);

    // The result with its changed words marked, at most five lines tall, scrolling beyond.
    auto* box = new QTextEdit;
    box->setObjectName(QStringLiteral("result"));
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFrameShape(QFrame::NoFrame);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setFont(Theme::geist(13));
    box->document()->setDocumentMargin(8);
    QPalette boxPalette = box->palette();
    boxPalette.setColor(QPalette::Base, Theme::withOpacity(Theme::primary(boxPalette), 0.04));
    box->setPalette(boxPalette);
    box->setPlainText(text);
    QTextOption option = box->document()->defaultTextOption();
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    box->document()->setDefaultTextOption(option);
    const WordDiff::Highlighted marked = WordDiff::highlighted(m_session.source(), text);
    QTextCursor cursor(box->document());
    for (const QTextLayout::FormatRange& range : marked.formats) {
        cursor.setPosition(range.start);
        cursor.setPosition(range.start + range.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(range.format);
    }
    box->document()->setTextWidth(contentWidth);
    const qreal lineSpacing = QFontMetricsF(box->font()).lineSpacing();
    const qreal most = outputLines * lineSpacing + 2 * box->document()->documentMargin();
    box->setFixedHeight(qCeil(std::min(box->document()->size().height(), most)) + 1);
    box->setAccessibleName(QStringLiteral("Suggested rewrite"));
    column->addWidget(box);

    auto* actions = new QHBoxLayout;
    actions->setSpacing(6);
    auto* replace = new PrimaryButton(QStringLiteral("Replace"));
    connect(replace, &PrimaryButton::clicked, this, [this, text] {
        if (m_callbacks.onReplace)
            m_callbacks.onReplace(text);
    });
    actions->addWidget(replace);
    auto* copy = new QuietButton(QStringLiteral("Copy"));
    connect(copy, &QuietButton::clicked, this, [this, text] {
        if (m_callbacks.onCopy)
            m_callbacks.onCopy(text);
    });
    actions->addWidget(copy);
    if (const std::optional<RewriteAction> last = m_session.lastAction()) {
        auto* again = new QuietButton(QStringLiteral("Try again"));
        connect(again, &QuietButton::clicked, this, [this, action = *last] { m_session.run(action); });
        actions->addWidget(again);
    }
    actions->addStretch();
    // The tertiary text colour.
    auto* note = label(QStringLiteral("Highlighted words changed"), Theme::geist(10),
        Theme::withOpacity(Theme::primary(palette()), 0.45));
    actions->addWidget(note);
    column->addLayout(actions);
    return output;
}

QWidget* RewriteOutput::failedOutput(const RewriteFailure& failure)
{
    auto* output = new QWidget;
    auto* column = new QVBoxLayout(output);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    const QColor color = failure.kind == RewriteFailure::Kind::server ? Theme::error : Theme::primary(palette());
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    auto* icon = new Icon(QStringLiteral("warning-circle"), 14);
    icon->setColor(color);
    row->addWidget(icon, 0, Qt::AlignTop);
    // Wraps; only a message longer than any the service sends is cut.
    auto* message = new WrappedText(failure.message, 8);
    message->setObjectName(QStringLiteral("failure"));
    message->setFont(Theme::geist(12));
    message->setColor(color);
    row->addWidget(message, 1);
    column->addLayout(row);

    QAbstractButton* button = nullptr;
    if (failure.kind == RewriteFailure::Kind::signInForMore) {
        button = new PrimaryButton(QStringLiteral("Sign in free"));
        connect(button, &QAbstractButton::clicked, this, [this] {
            if (m_callbacks.onSignIn)
                m_callbacks.onSignIn();
        });
    } else if (failure.kind == RewriteFailure::Kind::upgradeForMore) {
        auto* upgrade = new PrimaryButton(QStringLiteral("See Pro"));
        upgrade->setTint(Theme::pencil);
        connect(upgrade, &QAbstractButton::clicked, this, [this] {
            if (m_callbacks.onUpgrade)
                m_callbacks.onUpgrade();
        });
        button = upgrade;
    } else if (const std::optional<RewriteAction> last = m_session.lastAction()) {
        button = new QuietButton(QStringLiteral("Try again"));
        connect(button, &QAbstractButton::clicked, this, [this, action = *last] { m_session.run(action); });
    }
    if (button)
        column->addWidget(button, 0, Qt::AlignLeft);
    return output;
}

} // namespace quillcraft
