#include "RewriteCard.h"

#include "core/PlatformWording.h"
#include "service/RewriterOptions.h"
#include "settings/DefaultsStore.h"
#include "settings/PreferenceKeys.h"
#include "views/MacBrandHeader.h"
#include "views/PrimaryButton.h"
#include "views/QuietButton.h"
#include "views/RewriteOutput.h"
#include "views/Theme.h"
#include "views/ToneChip.h"
#include "views/WrappedText.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillcraft {

namespace {

using Mode = RewriteAction::Mode;
using Source = RewriteAction::Source;
using PhaseKind = RewriteSession::Phase::Kind;

constexpr int inset = RewriteOutput::cardInset;
constexpr int chipsShownCollapsed = 6;

QLabel* label(const QString& text, const QFont& font, QWidget* parent = nullptr)
{
    auto* result = new QLabel(text, parent);
    result->setFont(font);
    result->setTextFormat(Qt::PlainText);
    return result;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QWidget* rule(QWidget* parent = nullptr)
{
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, Theme::withOpacity(Theme::primary(palette), 0.12));
    line->setPalette(palette);
    return line;
}

QString savedKey()
{
    return PreferenceKeys::savedCustomTones.name;
}

} // namespace

RewriteCard::RewriteCard(RewriteSession& session, DefaultsStore& defaults, Callbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_defaults(defaults)
    , m_callbacks(std::move(callbacks))
{
    if (const std::optional<QVariantList> stored = m_defaults.listValue(savedKey())) {
        for (const QVariant& value : *stored) {
            if (const std::optional<QString> tone = DefaultsStore::asString(value))
                m_saved << *tone;
        }
    }
    build();
    connect(&m_session, &RewriteSession::changed, this, &RewriteCard::render);
    render();
}

RewriteCard::~RewriteCard() = default;

void RewriteCard::build()
{
    setFont(Theme::geist(12));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(inset, 14, inset, inset);
    column->setSpacing(12);
    const QColor secondary = Theme::secondary(palette());

    // Header: the brand and the close button.
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new MacBrandHeader, 1);
    auto* close = new QToolButton;
    close->setFocusPolicy(Qt::NoFocus);
    close->setAutoRaise(true);
    close->setCursor(Qt::PointingHandCursor);
    QImage closeImage = Theme::tinted(Theme::image(QStringLiteral("x"), 36), Theme::secondary(palette()));
    closeImage.setDevicePixelRatio(3);
    close->setIcon(QIcon(QPixmap::fromImage(closeImage)));
    close->setIconSize(QSize(12, 12));
    close->setFixedSize(24, 24);
    close->setToolTip(QStringLiteral("Close (Esc)"));
    close->setAccessibleName(QStringLiteral("Close (Esc)"));
    connect(close, &QToolButton::clicked, this, [this] {
        if (m_callbacks.onClose)
            m_callbacks.onClose();
    });
    header->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(header);

    // The selection, cut to two lines, with the pen-coloured bar along its leading edge.
    auto* caption = label(QStringLiteral("Selected text"), Theme::geist(11, QFont::DemiBold));
    setTextColor(caption, secondary);
    auto* selection = new QHBoxLayout;
    selection->setSpacing(9);
    auto* bar = new QWidget;
    bar->setFixedWidth(2);
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, Theme::pen);
    bar->setPalette(barPalette);
    selection->addWidget(bar);
    auto* source = new WrappedText(m_session.source(), 2);
    source->setObjectName(QStringLiteral("selection"));
    source->setFont(Theme::geist(13));
    selection->addWidget(source, 1);
    auto* selectionColumn = new QVBoxLayout;
    selectionColumn->setSpacing(5);
    selectionColumn->addWidget(caption);
    selectionColumn->addLayout(selection);
    column->addLayout(selectionColumn);

    // Mode buttons, Ctrl+1, 2, 3.
    auto* modes = new QHBoxLayout;
    modes->setSpacing(6);
    int number = 1;
    for (const Mode mode : RewriteAction::allModes) {
        const QString title = RewriteAction::rawValue(mode);
        auto* button = new QuietButton(title);
        button->setAccessibleName(QStringLiteral("%1 mode").arg(title));
        connect(button, &QuietButton::clicked, this, [this, mode] { selectMode(mode); });
        modes->addWidget(button);
        m_modeButtons << button;
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + number++)), this);
        connect(shortcut, &QShortcut::activated, this, [this, mode] { selectMode(mode); });
    }
    modes->addStretch();
    column->addLayout(modes);

    m_grammarNote = label(QStringLiteral("Fix grammar uses the Standard role and no tones."), Theme::geist(12));
    m_grammarNote->setWordWrap(true);
    setTextColor(m_grammarNote, secondary);
    column->addWidget(m_grammarNote);

    m_tones = buildTones();
    column->addWidget(m_tones);

    // The role picker.
    m_roleRow = new QWidget;
    auto* role = new QHBoxLayout(m_roleRow);
    role->setContentsMargins(0, 0, 0, 0);
    role->setSpacing(10);
    role->addWidget(label(QStringLiteral("Role"), Theme::geist(12, QFont::DemiBold)));
    m_rolePicker = new QComboBox;
    m_rolePicker->setFocusPolicy(Qt::NoFocus);
    m_rolePicker->addItems(RewriterOptions::roles());
    m_rolePicker->setMaxVisibleItems(12);
    m_rolePicker->setAccessibleName(QStringLiteral("Role"));
    connect(m_rolePicker, &QComboBox::activated, this, [this](int index) {
        const QString chosen = m_rolePicker->itemText(index);
        if (chosen == m_session.role())
            return;
        m_session.edit();
        m_session.setRole(chosen);
    });
    role->addWidget(m_rolePicker);
    role->addStretch();
    column->addWidget(m_roleRow);

    m_runButton = new PrimaryButton(QString());
    connect(m_runButton, &PrimaryButton::clicked, this, &RewriteCard::run);
    column->addWidget(m_runButton);

    m_divider = rule();
    column->addWidget(m_divider);
    m_output = new RewriteOutput(m_session, m_callbacks);
    column->addWidget(m_output);

    // Return runs while choosing and replaces once done, unless a tone is being typed.
    m_returnShortcut = new QShortcut(QKeySequence(Qt::Key_Return), this);
    m_enterShortcut = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    for (QShortcut* shortcut : { m_returnShortcut, m_enterShortcut })
        connect(shortcut, &QShortcut::activated, this, &RewriteCard::pressReturn);
}

QWidget* RewriteCard::buildTones()
{
    auto* tones = new QWidget;
    auto* column = new QVBoxLayout(tones);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* header = new QHBoxLayout;
    header->addWidget(label(QStringLiteral("Tones"), Theme::geist(12, QFont::DemiBold)));
    header->addStretch();
    m_selectedCount = label(QString(), Theme::geist(11));
    setTextColor(m_selectedCount, Theme::secondary(palette()));
    header->addWidget(m_selectedCount);
    column->addLayout(header);

    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(6);
    m_presetTab = new QuietButton(QStringLiteral("Preset tones"));
    m_customTab = new QuietButton(QStringLiteral("My tones"));
    connect(m_presetTab, &QuietButton::clicked, this, [this] { selectSource(Source::preset); });
    connect(m_customTab, &QuietButton::clicked, this, [this] { selectSource(Source::custom); });
    tabs->addWidget(m_presetTab);
    tabs->addWidget(m_customTab);
    tabs->addStretch();
    column->addLayout(tabs);

    // Kept alive across re-renders, so typing and its focus survive them.
    m_customRow = new QWidget;
    auto* custom = new QHBoxLayout(m_customRow);
    custom->setContentsMargins(0, 0, 0, 0);
    custom->setSpacing(6);
    m_toneField = new QLineEdit;
    m_toneField->setPlaceholderText(QStringLiteral("Add a tone, like “warm but brief”"));
    m_toneField->setAccessibleName(QStringLiteral("New tone"));
    m_toneField->setFont(Theme::geist(12));
    m_toneField->setFixedHeight(30);
    m_toneField->installEventFilter(this);
    connect(m_toneField, &QLineEdit::textChanged, this, &RewriteCard::updateAddState);
    connect(m_toneField, &QLineEdit::returnPressed, this, &RewriteCard::addTone);
    custom->addWidget(m_toneField, 1);
    m_addButton = new QuietButton(QStringLiteral("Add"));
    connect(m_addButton, &QuietButton::clicked, this, &RewriteCard::addTone);
    custom->addWidget(m_addButton);
    column->addWidget(m_customRow);

    m_chips = new QWidget;
    m_chipGrid = new QGridLayout(m_chips);
    m_chipGrid->setContentsMargins(0, 0, 0, 0);
    m_chipGrid->setSpacing(5);
    for (int i = 0; i < 3; ++i)
        m_chipGrid->setColumnStretch(i, 1);
    column->addWidget(m_chips);

    m_expandLink = new QPushButton;
    m_expandLink->setFlat(true);
    m_expandLink->setFocusPolicy(Qt::NoFocus);
    m_expandLink->setCursor(Qt::PointingHandCursor);
    m_expandLink->setFont(Theme::geist(11, QFont::DemiBold));
    m_expandLink->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; color: %1; text-align: left; }")
                                    .arg(Theme::pen.name()));
    connect(m_expandLink, &QPushButton::clicked, this, [this] { m_session.setExpanded(!m_session.expanded()); });
    column->addWidget(m_expandLink, 0, Qt::AlignLeft);

    m_hint = label(QString(), Theme::geist(11));
    setTextColor(m_hint, Theme::secondary(palette()));
    column->addWidget(m_hint);
    return tones;
}

void RewriteCard::render()
{
    const Mode mode = m_session.mode();
    for (qsizetype i = 0; i < m_modeButtons.size(); ++i)
        m_modeButtons[i]->setSelected(RewriteAction::allModes[size_t(i)] == mode);
    const bool grammar = mode == Mode::grammar;
    m_grammarNote->setVisible(grammar);
    m_tones->setVisible(!grammar);
    m_roleRow->setVisible(!grammar);
    if (!grammar)
        renderTones();
    const int roleIndex = m_rolePicker->findText(m_session.role());
    if (roleIndex >= 0)
        m_rolePicker->setCurrentIndex(roleIndex);

    const bool choosing = m_session.phase().kind == PhaseKind::choosing;
    m_runButton->setText(RewriteAction::rawValue(mode));
    m_runButton->setVisible(choosing);
    m_divider->setVisible(!choosing);
    m_output->render();
    updateShortcuts();
}

void RewriteCard::renderTones()
{
    const bool custom = m_session.toneSource() == Source::custom;
    m_selectedCount->setText(QStringLiteral("%1 selected").arg(m_session.selected().size()));
    m_presetTab->setSelected(!custom);
    m_customTab->setSelected(custom);
    m_customRow->setVisible(custom);
    m_hint->setVisible(custom);
    renderChips();
    updateAddState();
}

void RewriteCard::renderChips()
{
    const bool custom = m_session.toneSource() == Source::custom;
    const QStringList& all = custom ? m_saved : RewriterOptions::presets();
    const bool collapsible = all.size() > chipsShownCollapsed;
    const QStringList shown = collapsible && !m_session.expanded() ? all.mid(0, chipsShownCollapsed) : all;
    m_expandLink->setVisible(collapsible);
    m_expandLink->setText(m_session.expanded() ? QStringLiteral("Show fewer tones")
                                               : QStringLiteral("Show all %1 tones").arg(all.size()));
    // Streamed text re-renders the card many times a second: keep the chips unless they change.
    const QStringList key
        = QStringList { custom ? QStringLiteral("custom") : QStringLiteral("preset"), shown.join(QChar::Null) }
        << m_session.selected();
    if (key == m_chipsKey)
        return;
    m_chipsKey = key;

    // Later: the chip being clicked may be the one that asked for this.
    while (QLayoutItem* item = m_chipGrid->takeAt(0)) {
        if (QWidget* old = item->widget()) {
            old->hide();
            old->deleteLater();
        }
        delete item;
    }
    const QStringList& selected = m_session.selected();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QString tone = shown[i];
        auto* chip = new ToneChip(tone, selected.contains(tone));
        connect(chip, &ToneChip::clicked, this, [this, tone] { m_session.toggle(tone); });
        if (custom) {
            chip->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(chip, &ToneChip::customContextMenuRequested, this,
                [this, chip, tone](const QPoint& at) { showToneMenu(tone, chip->mapToGlobal(at)); });
        }
        m_chipGrid->addWidget(chip, int(i / 3), int(i % 3));
    }
    m_chips->setVisible(!shown.isEmpty());
}

QString RewriteCard::typedTone() const
{
    return m_toneField->text().trimmed();
}

bool RewriteCard::canAdd() const
{
    const QString tone = typedTone();
    return !tone.isEmpty() && RewriterOptions::fitsNameLimit(tone) && RewriterOptions::canAddCustomTone(m_saved.size())
        && !m_saved.contains(tone, Qt::CaseInsensitive);
}

QString RewriteCard::customHint() const
{
    const QString tone = typedTone();
    if (!RewriterOptions::fitsNameLimit(tone))
        return QStringLiteral("Use up to %1 characters.").arg(RewriterOptions::nameLimit);
    if (!RewriterOptions::canAddCustomTone(m_saved.size()))
        return QStringLiteral("Right-click a saved tone to delete it before adding another.");
    if (!tone.isEmpty() && m_saved.contains(tone, Qt::CaseInsensitive))
        return QStringLiteral("This tone is already saved.");
    if (!m_saved.isEmpty())
        return PlatformWording::apply(QStringLiteral("Saved on this Mac. Right-click a tone to delete it."));
    return PlatformWording::apply(QStringLiteral("Saved on this Mac."));
}

void RewriteCard::updateAddState()
{
    m_addButton->setEnabled(canAdd());
    m_hint->setText(customHint());
}

void RewriteCard::updateShortcuts()
{
    const PhaseKind kind = m_session.phase().kind;
    const bool enabled = !m_toneFocused && (kind == PhaseKind::choosing || kind == PhaseKind::done);
    m_returnShortcut->setEnabled(enabled);
    m_enterShortcut->setEnabled(enabled);
}

bool RewriteCard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_toneField && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        m_toneFocused = event->type() == QEvent::FocusIn;
        updateShortcuts();
    }
    return QWidget::eventFilter(watched, event);
}

void RewriteCard::selectMode(Mode mode)
{
    if (mode == m_session.mode())
        return;
    m_session.edit();
    m_session.setMode(mode);
}

void RewriteCard::selectSource(Source source)
{
    if (source == m_session.toneSource())
        return;
    m_session.edit();
    m_session.setToneSource(source);
    m_session.setExpanded(false);
}

void RewriteCard::run()
{
    m_toneField->clearFocus();
    m_session.run(m_session.draft());
}

void RewriteCard::pressReturn()
{
    if (m_toneFocused)
        return;
    const RewriteSession::Phase& phase = m_session.phase();
    if (phase.kind == PhaseKind::choosing)
        run();
    else if (phase.kind == PhaseKind::done && m_callbacks.onReplace)
        m_callbacks.onReplace(phase.text);
}

void RewriteCard::addTone()
{
    if (!canAdd())
        return;
    const QString tone = typedTone();
    m_saved.prepend(tone);
    writeSaved();
    m_session.toggle(tone);
    m_toneField->clear();
    m_toneField->clearFocus();
    // The chips show m_saved, which the session does not announce when the tone was already selected.
    renderTones();
}

void RewriteCard::deleteTone(const QString& tone)
{
    if (m_session.selected().contains(tone))
        m_session.toggle(tone);
    m_saved.removeAll(tone);
    writeSaved();
    renderTones();
}

void RewriteCard::showToneMenu(const QString& tone, const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Delete tone"), this, [this, tone] { deleteTone(tone); });
    menu.exec(at);
}

void RewriteCard::writeSaved()
{
    m_defaults.setValue(savedKey(), m_saved);
}

} // namespace quillcraft
