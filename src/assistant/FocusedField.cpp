#include "FocusedField.h"

#include "platform/AX.h"
#include "platform/Accessibility.h"
#include "platform/FrontmostApp.h"
#include "platform/Screens.h"

#include <algorithm>

namespace quillcraft {

namespace {

constexpr int scrollClipAncestors = 4;
constexpr int webAreaElements = 12;
constexpr qreal minimumWidth = 20;
constexpr qreal minimumHeight = 8;

// The overlap of two rectangles; absent when they do not meet. Rectangles that
// only touch give an empty overlap, which the size rule rejects later.
std::optional<QRectF> intersect(const QRectF& a, const QRectF& b)
{
    const qreal left = std::max(a.left(), b.left());
    const qreal right = std::min(a.right(), b.right());
    const qreal bottom = std::max(a.top(), b.top()); // y grows upwards: top() is the low edge
    const qreal top = std::min(a.bottom(), b.bottom());
    if (right < left || top < bottom)
        return std::nullopt;
    return QRectF(left, bottom, right - left, top - bottom);
}

std::optional<QRectF> intersect(const std::optional<QRectF>& a, const QRectF& b)
{
    return a ? intersect(*a, b) : std::nullopt;
}

// Half-open like the platform's point test: min <= p < max.
bool contains(const QRectF& rect, const QPointF& point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom();
}

bool containsRect(const QRectF& outer, const QRectF& inner)
{
    return inner.left() >= outer.left() && inner.right() <= outer.right() && inner.top() >= outer.top()
        && inner.bottom() <= outer.bottom();
}

// The visible area of the first screen that the frame meets; absent (no limit) when none does.
std::optional<QRectF> screenArea(const QRectF& frame, const Screens& screens)
{
    for (const ScreenGeometry& screen : screens.screens()) {
        // Like the platform's intersection test, a shared edge does not count.
        if (const auto overlap = intersect(screen.frame, frame); overlap && !overlap->isEmpty())
            return screen.visibleFrame;
    }
    return std::nullopt;
}

bool isTextRole(const QString& role)
{
    return role == AX::textAreaRole || role == AX::textFieldRole || role == AX::comboBoxRole;
}

} // namespace

std::optional<FocusedField> FocusedField::current(const FieldSources& sources)
{
    return read(sources).field;
}

FieldReading FocusedField::read(const FieldSources& sources)
{
    FieldReading reading;
    const auto notAField = [&reading](const QString& reason) {
        reading.reason = reason;
        return reading;
    };

    ElementRef element = sources.accessibility->focusedElement();
    if (!element)
        return notAField(QStringLiteral("No element has keyboard focus."));
    reading.element = element;
    const std::optional<qint64> pid = element->processId();
    if (!pid)
        return notAField(QStringLiteral("The focused element's process cannot be told."));
    reading.pid = pid;
    if (*pid == sources.ownPid && !sources.allowsOwnFields)
        return notAField(QStringLiteral("The focused element belongs to Quillcraft."));
    const std::optional<RunningApp> app = sources.apps->application(*pid);
    if (!app)
        return notAField(QStringLiteral("The focused element's application is not running."));
    reading.bundleID = app->bundleID;
    reading.appName = app->name.isEmpty() ? QStringLiteral("this app") : app->name;

    const QString role = AX::string(*element, AX::role).value_or(QString());
    const QString subrole = AX::string(*element, AX::subrole).value_or(QString());
    reading.role = role;
    if (!isTextRole(role) && AX::boolean(*element, AX::editable) != true)
        return notAField(QStringLiteral("The focused element is not a text field."));
    // Password fields are never read.
    if (subrole == AX::secureTextFieldSubrole)
        return notAField(QStringLiteral("The focused element is a password field."));
    if (AX::boolean(*element, AX::enabled) == false && role != AX::textAreaRole)
        return notAField(QStringLiteral("The focused field is disabled."));

    std::optional<QString> text = AX::string(*element, AX::value);
    if (!text)
        return notAField(QStringLiteral("The focused field's text cannot be read."));
    const Screens& screens = *sources.screens;
    const std::optional<QRectF> frame = AX::frame(*element, screens);
    if (!frame)
        return notAField(QStringLiteral("The focused field's frame cannot be read."));
    reading.frame = frame;

    std::optional<QRectF> windowFrame;
    if (const ElementRef window = AX::element(*element, AX::window))
        windowFrame = AX::frame(*window, screens);
    const std::optional<QRectF> area = screenArea(*frame, screens);
    const std::optional<Clip> clip = scrollClip(*element, *frame, screens);

    std::optional<QRectF> visible = intersect(*frame, windowFrame.value_or(*frame));
    visible = intersect(visible, area.value_or(*frame));
    visible = intersect(visible, clip ? clip->frame : *frame);
    reading.visibleFrame = visible;
    if (!visible || visible->width() <= minimumWidth || visible->height() <= minimumHeight)
        return notAField(QStringLiteral("The focused field is too small or off screen."));

    QRectF editorFrame = *visible;
    if (role == AX::textAreaRole && clip && clip->direct) {
        // The scroll area is the box the user sees as the editor.
        std::optional<QRectF> box = intersect(clip->frame, windowFrame.value_or(clip->frame));
        box = intersect(box, area.value_or(clip->frame));
        // An empty overlap is the platform's null rectangle: keep it empty.
        editorFrame = box.value_or(QRectF());
    }

    FocusedField field;
    field.m_element = element;
    field.m_screens = sources.screens;
    field.m_pid = *pid;
    field.m_bundleID = reading.bundleID;
    field.m_appName = reading.appName;
    field.m_text = *text;
    field.m_selection = AX::range(*element, AX::selectedTextRange).value_or(TextRange {});
    field.m_frame = *frame;
    field.m_visibleFrame = *visible;
    field.m_editorFrame = editorFrame;
    reading.field = std::move(field);
    return reading;
}

// The scroll area is the first of four ancestors whose role says so. Qt reports
// its scroll areas and their viewports as plain containers, so an ancestor that
// does not contain the element's frame clips it just the same and ends the walk
// too. Ancestors without a size (the application) clip nothing, nor do notebook
// pages, whose box is their tab's (a Scintilla editor in a GTK notebook).
std::optional<FocusedField::Clip> FocusedField::scrollClip(
    const AccessibilityElement& element, const QRectF& elementFrame, const Screens& screens)
{
    ElementRef ancestor = AX::element(element, AX::parent);
    for (int level = 0; level < scrollClipAncestors && ancestor; ++level) {
        const QString role = AX::string(*ancestor, AX::role).value_or(QString());
        if (role == AX::applicationRole)
            return std::nullopt;
        const std::optional<QRectF> frame = AX::frame(*ancestor, screens);
        if (role == AX::scrollAreaRole) {
            if (!frame)
                return std::nullopt;
            return Clip { *frame, level == 0 };
        }
        if (frame && !frame->isEmpty() && !containsRect(*frame, elementFrame) && role != AX::pageTabRole)
            return Clip { *frame, level == 0 };
        ancestor = AX::element(*ancestor, AX::parent);
    }
    return std::nullopt;
}

std::optional<QString> FocusedField::selectedText() const
{
    if (m_selection.length <= 0 || !m_selection.liesInside(m_text.size()))
        return std::nullopt;
    return m_text.mid(m_selection.location, m_selection.length);
}

bool FocusedField::isSameField(const std::optional<FocusedField>& other) const
{
    return other && m_element && other->m_element && m_element->isEqual(*other->m_element);
}

void FocusedField::shareTextWith(const FocusedField& earlier)
{
    if (!m_text.isSharedWith(earlier.m_text) && m_text == earlier.m_text)
        m_text = earlier.m_text;
}

std::optional<FocusedField> FocusedField::refreshed() const
{
    std::optional<QString> text = AX::string(*m_element, AX::value);
    if (!text)
        return std::nullopt;
    FocusedField fresh = *this;
    fresh.m_text = std::move(*text);
    fresh.m_selection = AX::range(*m_element, AX::selectedTextRange).value_or(m_selection);
    return fresh;
}

std::optional<QRectF> FocusedField::rawBounds(TextRange range) const
{
    return AX::rect(*m_element, AX::boundsForRange, range, *m_screens);
}

std::optional<QRectF> FocusedField::bounds(TextRange range) const
{
    const std::optional<QRectF> rect = rawBounds(range);
    if (!rect || (rect->width() <= 0 && rect->height() <= 0))
        return std::nullopt;
    // Text scrolled out of the field's visible part gets no rectangle.
    const QPointF probe(rect->center().x(), rect->top() + 1);
    if (!contains(m_visibleFrame.adjusted(-2, -2, 2, 2), probe))
        return std::nullopt;
    return rect;
}

bool FocusedField::isWebContent() const
{
    ElementRef node = m_element;
    for (int level = 0; level < webAreaElements && node; ++level) {
        if (AX::string(*node, AX::role) == AX::webAreaRole)
            return true;
        node = AX::element(*node, AX::parent);
    }
    return false;
}

std::optional<QString> FocusedField::toolkit() const
{
    return AX::string(*m_element, AX::toolkit);
}

AXError FocusedField::enableAccessibility(Accessibility& accessibility, qint64 pid)
{
    return accessibility.enableAccessibility(pid);
}

} // namespace quillcraft
