#include "AtspiElement.h"

#include "platform/AX.h"
#include "platform/ReportedText.h"
#include "platform/linux/AtspiScaling.h"
#include "platform/linux/AtspiSelection.h"
#include "platform/linux/AtspiSupport.h"
#include "platform/linux/QtLineBoxes.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScopeGuard>

#include <algorithm>
#include <chrono>

namespace quillcraft {

using namespace atspi;

namespace {

// A line of the desktop's general font: the best guess at a line's height where
// the application reports none (it tells no font size either).
qreal fallbackLineHeight()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    return QFontMetricsF(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
}

constexpr int maxDepth = 64;

// "push button" becomes "AXPushButton": roles without a counterpart keep a readable name.
QString genericRole(AtspiAccessible* accessible)
{
    CallError error;
    const QString name = takeString(atspi_accessible_get_role_name(accessible, error.out()));
    if (error || name.isEmpty())
        return QStringLiteral("AXUnknown");
    QString result = QStringLiteral("AX");
    for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        result += word.left(1).toUpper() + word.mid(1);
    return result;
}

// Wraps a reference that a libatspi call handed over.
ElementRef adopt(AtspiAccessible* accessible)
{
    const Ref<AtspiAccessible> owned(accessible);
    return AtspiElement::wrap(owned.get());
}

// The toolkit is a property of the application, not of its elements.
std::optional<QString> toolkitProperty(AtspiAccessible* accessible, gchar* (*get)(AtspiAccessible*, GError**))
{
    CallError error;
    const Ref<AtspiAccessible> app(atspi_accessible_get_application(accessible, error.out()));
    if (error || !app)
        return std::nullopt;
    QString value = takeString(get(app.get(), error.out()));
    if (error || value.isEmpty())
        return std::nullopt;
    return value;
}

std::optional<QString> toolkitName(AtspiAccessible* accessible)
{
    return toolkitProperty(accessible, &atspi_accessible_get_toolkit_name);
}

bool isQt(AtspiAccessible* accessible)
{
    return toolkitName(accessible).value_or(QString()).compare(QLatin1String("qt"), Qt::CaseInsensitive) == 0;
}

} // namespace

ElementRef AtspiElement::wrap(AtspiAccessible* accessible)
{
    return accessible ? std::make_shared<AtspiElement>(accessible) : nullptr;
}

AtspiElement::AtspiElement(AtspiAccessible* accessible)
    : m_accessible(static_cast<AtspiAccessible*>(g_object_ref(accessible)))
{
}

AtspiElement::~AtspiElement()
{
    g_object_unref(m_accessible);
}

bool AtspiElement::isEqual(const AccessibilityElement& other) const
{
    // libatspi hands out one object per remote element, so identity is equality.
    const auto* atspiOther = dynamic_cast<const AtspiElement*>(&other);
    return atspiOther && atspiOther->m_accessible == m_accessible;
}

std::optional<qint64> AtspiElement::processId() const
{
    const qint64 pid = AtspiScaling::processId(m_accessible);
    if (pid == 0)
        return std::nullopt;
    return pid;
}

std::optional<AXValue> AtspiElement::copyAttribute(const QString& attribute) const
{
    if (attribute == AX::role) {
        const QString name = role();
        return name.isEmpty() ? std::nullopt : std::optional<AXValue>(name);
    }
    if (attribute == AX::subrole) {
        // A role that cannot be read counts as a password field: a call that timed
        // out here must not let the field's text be read next.
        CallError error;
        if (atspi_accessible_get_role(m_accessible, error.out()) == ATSPI_ROLE_PASSWORD_TEXT || error)
            return QString(AX::secureTextFieldSubrole);
        return std::nullopt;
    }
    if (attribute == AX::editable) {
        const auto state = hasState(m_accessible, ATSPI_STATE_EDITABLE);
        return state ? std::optional<AXValue>(*state) : std::nullopt;
    }
    if (attribute == AX::enabled) {
        // GTK 4.8 entries never say ENABLED, only SENSITIVE; a disabled widget says neither.
        const auto enabled = hasState(m_accessible, ATSPI_STATE_ENABLED);
        if (!enabled || *enabled)
            return enabled ? std::optional<AXValue>(true) : std::nullopt;
        const auto sensitive = hasState(m_accessible, ATSPI_STATE_SENSITIVE);
        return sensitive ? std::optional<AXValue>(*sensitive) : std::nullopt;
    }
    if (attribute == AX::value) {
        const std::optional<Text> text = readText();
        return text ? std::optional<AXValue>(text->text) : std::nullopt;
    }
    if (attribute == AX::selectedTextRange) {
        const std::optional<TextRange> range = selection();
        return range ? std::optional<AXValue>(*range) : std::nullopt;
    }
    if (attribute == AX::position || attribute == AX::size) {
        const std::optional<QRectF> reported = reportedExtents();
        if (!reported)
            return std::nullopt;
        // In the application's own pixels; the program counts in its own.
        const QRectF extents = AtspiScaling::toProgram(m_accessible, *reported);
        if (attribute == AX::position)
            return extents.topLeft();
        return extents.size();
    }
    if (attribute == AX::parent) {
        CallError error;
        ElementRef parent = adopt(atspi_accessible_get_parent(m_accessible, error.out()));
        return parent && !error ? std::optional<AXValue>(parent) : std::nullopt;
    }
    if (attribute == AX::window) {
        ElementRef found = window();
        return found ? std::optional<AXValue>(found) : std::nullopt;
    }
    if (attribute == AX::toolkit) {
        const std::optional<QString> name = toolkitName(m_accessible);
        return name ? std::optional<AXValue>(*name) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<AXValue> AtspiElement::copyParameterizedAttribute(
    const QString& attribute, const AXValue& parameter) const
{
    const auto* range = std::get_if<TextRange>(&parameter);
    if (attribute != AX::boundsForRange || !range)
        return std::nullopt;
    const std::optional<QRectF> bounds = boundsFor(*range);
    return bounds ? std::optional<AXValue>(*bounds) : std::nullopt;
}

AXError AtspiElement::setAttribute(const QString& attribute, const AXValue& value)
{
    // Reads made for the write itself are as stale as any once it is done.
    forgetRecentReads();
    const auto forget = qScopeGuard([this] { forgetRecentReads(); });
    if (attribute == AX::selectedTextRange) {
        const auto* range = std::get_if<TextRange>(&value);
        return range ? setSelection(*range) : AXError::illegalArgument;
    }
    if (attribute == AX::selectedText || attribute == AX::value) {
        const auto* text = std::get_if<QString>(&value);
        if (!text)
            return AXError::illegalArgument;
        return attribute == AX::selectedText ? replaceSelection(*text) : setText(*text);
    }
    return AXError::attributeUnsupported;
}

std::optional<OffsetUnit> AtspiElement::offsetUnit() const
{
    const std::optional<Text> text = readText();
    return text ? std::optional<OffsetUnit>(unitFor(*text)) : m_unit;
}

struct AtspiElement::Recent {
    using Time = std::chrono::steady_clock::time_point;
    std::optional<Text> text;
    Time textAt;
    std::optional<QRectF> extents;
    Time extentsAt;
    std::optional<QString> role;
    Time roleAt;
    // The element's offset unit once its text showed it; it never changes.
    std::optional<OffsetUnit> unit;
    // The last text that could not show it: asked again about the same read, the
    // answer is the same, and the text may be a megabyte.
    QString undecided;
    // Whether the element belongs to a Qt application; it never changes either.
    std::optional<bool> isQt;
    AtspiSelection::Habits selectionHabits;
    ElementRef window;
    bool isWindow = false;
    Time windowAt;
    // Where a Qt line edit draws its characters, measured for this text, caret and frame.
    std::optional<QtLineBoxes::Key> lineKey;
    std::optional<qreal> lineShift;
    bool lineSettled = false;
    Time lineAt;

    static bool fresh(Time at, qint64 ms)
    {
        return std::chrono::steady_clock::now() - at < std::chrono::milliseconds(ms);
    }
    static void destroy(gpointer data) { delete static_cast<Recent*>(data); }
};

AtspiElement::Recent& AtspiElement::recent() const
{
    static const GQuark key = g_quark_from_static_string("quillcraft-recent-reads");
    auto* found = static_cast<Recent*>(g_object_get_qdata(G_OBJECT(m_accessible), key));
    if (!found) {
        found = new Recent;
        g_object_set_qdata_full(G_OBJECT(m_accessible), key, found, &Recent::destroy);
    }
    return *found;
}

void AtspiElement::forgetRecentReads()
{
    Recent& reads = recent();
    reads.text.reset();
    reads.extents.reset();
}

std::optional<QRectF> AtspiElement::reportedExtents() const
{
    Recent& reads = recent();
    if (reads.extents && Recent::fresh(reads.extentsAt, recentReadMs))
        return reads.extents;
    reads.extents = AtspiScaling::screenExtents(m_accessible);
    reads.extentsAt = std::chrono::steady_clock::now();
    return reads.extents;
}

std::optional<AtspiElement::Text> AtspiElement::readText() const
{
    Recent& reads = recent();
    if (reads.text && Recent::fresh(reads.textAt, recentReadMs))
        return reads.text;
    // Read before storing: the read may run a nested loop that reaches this object again.
    std::optional<Text> text = readTextNow();
    Recent& again = recent();
    again.text = std::move(text);
    again.textAt = std::chrono::steady_clock::now();
    return again.text;
}

std::optional<AtspiElement::Text> AtspiElement::readTextNow() const
{
    Ref<AtspiText> iface(atspi_accessible_get_text_iface(m_accessible));
    if (!iface)
        return std::nullopt;
    CallError error;
    const gint count = atspi_text_get_character_count(iface.get(), error.out());
    if (error)
        return std::nullopt;
    QString text = takeString(atspi_text_get_text(iface.get(), 0, -1, error.out()));
    if (error)
        return std::nullopt;
    // GTK 4.8 entries answer "" for "up to the end" while their count says otherwise.
    if (text.isEmpty() && count > 0) {
        text = takeString(atspi_text_get_text(iface.get(), 0, count, error.out()));
        if (error)
            return std::nullopt;
    }
    // Gecko's padding counts in its offsets but is no part of the text; without
    // it the count tells the unit as for any other toolkit.
    return Text { ReportedText::withoutPadding(text), count };
}

OffsetUnit AtspiElement::unitFor(const Text& text) const
{
    // Told once per element: telling it scans the whole text.
    if (!m_unit)
        m_unit = recent().unit;
    if (!m_unit && !text.text.isSharedWith(recent().undecided)) {
        if (const auto detected = OffsetUnits::detect(text.characterCount, text.text)) {
            m_unit = detected;
            recent().unit = detected;
        } else {
            recent().undecided = text.text;
        }
    }
    if (m_unit)
        return *m_unit;
    // The text cannot tell yet (nothing outside the Basic Multilingual Plane),
    // so both units give the same offsets; the toolkit's habit is the best guess.
    return isQtElement() ? OffsetUnit::utf16 : OffsetUnit::codePoint;
}

std::optional<TextRange> AtspiElement::selection() const
{
    const std::optional<Text> text = readText();
    if (!text)
        return std::nullopt;
    const OffsetUnit unit = unitFor(*text);
    Ref<AtspiText> iface(atspi_accessible_get_text_iface(m_accessible));
    CallError error;
    gint start = 0;
    gint end = 0;
    const gint selections = atspi_text_get_n_selections(iface.get(), error.out());
    if (error)
        return std::nullopt;
    if (selections > 0) {
        const Owned<AtspiRange> range(atspi_text_get_selection(iface.get(), 0, error.out()));
        if (error || !range)
            return std::nullopt;
        start = std::min(range->start_offset, range->end_offset);
        end = std::max(range->start_offset, range->end_offset);
        // Where offsets count code points, a selection that misses the caret was
        // miscounted around an emoji (Chromium). KWrite, counting UTF-16, leaves its
        // caret where it was when the selection is set for it: its selection stands.
        if (unit == OffsetUnit::codePoint) {
            const gint caret = atspi_text_get_caret_offset(iface.get(), nullptr);
            const ReportedText::Span aligned = ReportedText::alignedWithCaret({ start, end }, caret, text->text);
            start = static_cast<gint>(aligned.start);
            end = static_cast<gint>(aligned.end);
        }
    } else {
        start = end = atspi_text_get_caret_offset(iface.get(), error.out());
        if (error || start < 0)
            return std::nullopt;
    }
    const qint64 location = OffsetUnits::toUtf16(start, text->text, unit);
    return TextRange { location, OffsetUnits::toUtf16(end, text->text, unit) - location };
}

AXError AtspiElement::setSelection(TextRange range)
{
    const std::optional<Text> text = readText();
    if (!text)
        return AXError::attributeUnsupported;
    if (!range.liesInside(text->text.size()))
        return AXError::illegalArgument;
    const OffsetUnit unit = unitFor(*text);
    const auto start = static_cast<gint>(OffsetUnits::fromUtf16(range.location, text->text, unit));
    const auto end = static_cast<gint>(OffsetUnits::fromUtf16(range.end(), text->text, unit));
    Ref<AtspiText> iface(atspi_accessible_get_text_iface(m_accessible));
    if (start == end) {
        CallError error;
        const gint selections = atspi_text_get_n_selections(iface.get(), nullptr);
        for (gint i = selections - 1; i >= 0; --i)
            atspi_text_remove_selection(iface.get(), i, nullptr);
        const bool moved = atspi_text_set_caret_offset(iface.get(), start, error.out());
        return error ? error.code() : (moved ? AXError::success : AXError::failure);
    }
    return AtspiSelection(m_accessible, iface.get(), recent().selectionHabits).select(start, end);
}

AXError AtspiElement::replaceSelection(const QString& replacement)
{
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(m_accessible));
    if (!editable)
        return AXError::notImplemented;
    const std::optional<Text> text = readText();
    const std::optional<TextRange> range = selection();
    if (!text || !range)
        return AXError::failure;
    const OffsetUnit unit = unitFor(*text);
    const auto start = static_cast<gint>(OffsetUnits::fromUtf16(range->location, text->text, unit));
    const auto end = static_cast<gint>(OffsetUnits::fromUtf16(range->end(), text->text, unit));

    CallError error;
    if (end > start) {
        const bool deleted = atspi_editable_text_delete_text(editable.get(), start, end, error.out());
        if (error)
            return error.code();
        if (!deleted)
            return AXError::failure;
    }
    if (replacement.isEmpty())
        return AXError::success;
    // GTK reads the length in bytes of UTF-8; Qt cuts the string to that many
    // UTF-16 units (and pads it when the number is larger).
    const QByteArray utf8 = replacement.toUtf8();
    const auto length = static_cast<gint>(isQtElement() ? replacement.size() : utf8.size());
    const bool inserted = atspi_editable_text_insert_text(editable.get(), start, utf8.constData(), length, error.out());
    if (error || !inserted) {
        // The deletion went through: the caller must look at the value, not retry.
        return end > start ? AXError::cannotComplete : (error ? error.code() : AXError::failure);
    }
    return AXError::success;
}

AXError AtspiElement::setText(const QString& text)
{
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(m_accessible));
    if (!editable)
        return AXError::notImplemented;
    CallError error;
    const bool set = atspi_editable_text_set_text_contents(editable.get(), text.toUtf8().constData(), error.out());
    return error ? error.code() : (set ? AXError::success : AXError::failure);
}

std::optional<QRectF> AtspiElement::boundsFor(TextRange range) const
{
    const std::optional<Text> text = readText();
    if (!text || !range.liesInside(text->text.size()))
        return std::nullopt;
    const OffsetUnit unit = unitFor(*text);
    const auto start = static_cast<gint>(OffsetUnits::fromUtf16(range.location, text->text, unit));
    const auto end = static_cast<gint>(OffsetUnits::fromUtf16(range.end(), text->text, unit));
    Ref<AtspiText> iface(atspi_accessible_get_text_iface(m_accessible));
    std::optional<QRectF> reported = reportedBounds(iface.get(), start, end);
    if (!reported)
        return std::nullopt;
    if (reported->height() < ReportedText::minimumBoxHeight)
        reported = ReportedText::withLineHeight(*reported, fallbackLineHeight());
    if (isQtElement() && role() == AX::textFieldRole) {
        const std::optional<QRectF> field = reportedExtents();
        if (const std::optional<qreal> shift = field ? qtLineShift(iface.get(), *text, *field) : std::nullopt)
            reported = QtLineBoxes::placed(*reported, *shift, *field);
    }
    return AtspiScaling::toProgram(m_accessible, *reported);
}

std::optional<QRectF> AtspiElement::reportedBounds(AtspiText* iface, int start, int end) const
{
    if (!m_noRangeExtents) {
        CallError error;
        const Owned<AtspiRect> rect(
            atspi_text_get_range_extents(iface, start, end, ATSPI_COORD_TYPE_SCREEN, error.out()));
        if (!error && rect)
            return QRectF(rect->x, rect->y, rect->width, rect->height);
        // GTK 4.8 has no range extents at all; its characters still answer.
        m_noRangeExtents = error.code() == AXError::notImplemented || error.code() == AXError::failure;
    }
    const std::optional<QRectF> first = characterBounds(iface, start);
    const std::optional<QRectF> last = end > start + 1 ? characterBounds(iface, end - 1) : first;
    if (!first || !last)
        return std::nullopt;
    return first->united(*last);
}

// Measuring takes a dozen calls, so a measure is kept for its text, caret and frame,
// and the caret is not asked again for the other underlines of the same round. Qt
// scrolls the line when it paints, which may come after the caret moved: a measure
// is kept only once a later round found the same.
std::optional<qreal> AtspiElement::qtLineShift(AtspiText* iface, const Text& text, const QRectF& field) const
{
    if (const Recent& reads = recent(); reads.lineKey && reads.lineKey->text == text.text
        && reads.lineKey->field == field && Recent::fresh(reads.lineAt, recentReadMs))
        return reads.lineShift;
    const std::optional<int> caret = QtLineBoxes::caret(iface);
    if (!caret)
        return std::nullopt;
    QtLineBoxes::Key key { text.text, *caret, field };
    if (const Recent& reads = recent(); reads.lineKey == key && reads.lineSettled) {
        recent().lineAt = std::chrono::steady_clock::now();
        return reads.lineShift;
    }
    const std::optional<qreal> shift = QtLineBoxes::shift(iface, text.characterCount, field);
    Recent& again = recent();
    again.lineSettled = again.lineKey == key && again.lineShift == shift;
    again.lineKey = std::move(key);
    again.lineShift = shift;
    again.lineAt = std::chrono::steady_clock::now();
    return shift;
}

// GTK 4 answers character extents only relative to its window, which is how it reports everything.
std::optional<QRectF> AtspiElement::characterBounds(AtspiText* iface, gint offset) const
{
    const AtspiCoordType type
        = AtspiScaling::isWindowRelative(m_accessible) ? ATSPI_COORD_TYPE_WINDOW : ATSPI_COORD_TYPE_SCREEN;
    CallError error;
    const Owned<AtspiRect> rect(atspi_text_get_character_extents(iface, offset, type, error.out()));
    if (error || !rect || (rect->width <= 0 && rect->height <= 0))
        return std::nullopt;
    return QRectF(rect->x, rect->y, rect->width, rect->height);
}

bool AtspiElement::isQtElement() const
{
    if (!m_isQt) {
        Recent& reads = recent();
        if (!reads.isQt)
            reads.isQt = isQt(m_accessible);
        m_isQt = reads.isQt;
    }
    return *m_isQt;
}

QString AtspiElement::role() const
{
    if (Recent& reads = recent(); reads.role && Recent::fresh(reads.roleAt, recentReadMs))
        return *reads.role;
    QString name = roleNow();
    if (!name.isEmpty()) {
        Recent& reads = recent();
        reads.role = name;
        reads.roleAt = std::chrono::steady_clock::now();
    }
    return name;
}

QString AtspiElement::roleNow() const
{
    CallError error;
    const AtspiRole role = atspi_accessible_get_role(m_accessible, error.out());
    if (error)
        return {};
    switch (role) {
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_PASSWORD_TEXT:
        return hasState(m_accessible, ATSPI_STATE_MULTI_LINE).value_or(false) ? QString(AX::textAreaRole)
                                                                              : QString(AX::textFieldRole);
    case ATSPI_ROLE_COMBO_BOX:
        return QString(AX::comboBoxRole);
    case ATSPI_ROLE_SCROLL_PANE:
        return QString(AX::scrollAreaRole);
    case ATSPI_ROLE_DOCUMENT_WEB:
        return QString(AX::webAreaRole);
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
        return QString(AX::windowRole);
    case ATSPI_ROLE_APPLICATION:
        return QString(AX::applicationRole);
    default:
        return genericRole(m_accessible);
    }
}

// The top-level element: the ancestor whose parent is the application. Qt's
// windows are plain containers, so the role does not tell.
ElementRef AtspiElement::window() const
{
    if (Recent& reads = recent(); (reads.window || reads.isWindow) && Recent::fresh(reads.windowAt, windowKeptMs))
        return reads.isWindow ? wrap(m_accessible) : reads.window;
    ElementRef found = findWindow();
    // A window that could not be found is looked for again next time.
    if (found) {
        Recent& reads = recent();
        // A window is not kept on itself: the reference would keep it alive for ever.
        reads.isWindow = found->isEqual(*this);
        reads.window = reads.isWindow ? nullptr : found;
        reads.windowAt = std::chrono::steady_clock::now();
    }
    return found;
}

ElementRef AtspiElement::findWindow() const
{
    Ref<AtspiAccessible> node(static_cast<AtspiAccessible*>(g_object_ref(m_accessible)));
    for (int depth = 0; depth < maxDepth; ++depth) {
        CallError error;
        Ref<AtspiAccessible> parent(atspi_accessible_get_parent(node.get(), error.out()));
        if (error || !parent)
            return nullptr;
        if (atspi_accessible_get_role(parent.get(), nullptr) == ATSPI_ROLE_APPLICATION)
            return wrap(node.get());
        node = std::move(parent);
    }
    return nullptr;
}

} // namespace quillcraft
