#pragma once

#include "core/TextRange.h"
#include "platform/AccessibilityElement.h"

#include <QRectF>
#include <QString>

#include <optional>

namespace quillcraft {

class Accessibility;
class FrontmostApp;
class Screens;

// What a snapshot is read from. The services outlive every snapshot taken from them.
struct FieldSources final {
    Accessibility* accessibility = nullptr;
    const Screens* screens = nullptr;
    const FrontmostApp* apps = nullptr;
    // This program's own process and whether its own fields may be read.
    qint64 ownPid = 0;
    bool allowsOwnFields = false;
};

struct FieldReading;

// An immutable snapshot of the text field that has keyboard focus in another
// application: its element, owner, whole text, selection and three rectangles
// in the program's bottom-left coordinates. Copies share the element.
// Selecting and writing into it is FieldWriter's (writeback/).
class FocusedField final {
public:
    // Reads the focused element now; absent when it is not a checkable field.
    static std::optional<FocusedField> current(const FieldSources& sources);
    // The same, with what was learnt about the element on the way and why it is
    // not a field (for diagnostics).
    static FieldReading read(const FieldSources& sources);

    // The clipping scroll area above an element: its frame, and whether it is
    // the element's parent. See the .cpp for the Linux reading of "scroll area".
    struct Clip {
        QRectF frame;
        bool direct = false;
    };
    static std::optional<Clip> scrollClip(
        const AccessibilityElement& element, const QRectF& elementFrame, const Screens& screens);

    const ElementRef& element() const { return m_element; }
    qint64 pid() const { return m_pid; }
    const QString& bundleID() const { return m_bundleID; }
    const QString& appName() const { return m_appName; }
    const QString& text() const { return m_text; }
    TextRange selection() const { return m_selection; }
    QRectF frame() const { return m_frame; }
    QRectF visibleFrame() const { return m_visibleFrame; }
    QRectF editorFrame() const { return m_editorFrame; }
    // The selected text when the selection is not empty and lies inside the text.
    std::optional<QString> selectedText() const;

    // Same element; text, selection and frames are not compared.
    bool isSameField(const std::optional<FocusedField>& other) const;
    // Holds earlier's copy of the text when the two are equal: the snapshot stays
    // the same, and later comparisons of the two texts cost nothing (a field may
    // hold a megabyte, compared several times a tick).
    void shareTextWith(const FocusedField& earlier);
    // Text and selection read again (the old selection when unreadable); absent
    // when the text cannot be read.
    std::optional<FocusedField> refreshed() const;

    // Screen rectangle of a text range, only when it shows inside the field.
    std::optional<QRectF> bounds(TextRange range) const;
    // The platform's rectangle for a text range, unchecked.
    std::optional<QRectF> rawBounds(TextRange range) const;

    // Whether the element or one of its 11 nearest ancestors is a web area.
    bool isWebContent() const;

    // The toolkit of the field's application ("Qt", "gtk"), read when asked; absent when it does not say.
    std::optional<QString> toolkit() const;

    // Asks an application to expose its accessibility tree; the platform's answer.
    static AXError enableAccessibility(Accessibility& accessibility, qint64 pid);

private:
    FocusedField() = default;

    ElementRef m_element;
    const Screens* m_screens = nullptr;
    qint64 m_pid = 0;
    QString m_bundleID;
    QString m_appName;
    QString m_text;
    TextRange m_selection;
    QRectF m_frame;
    QRectF m_visibleFrame;
    QRectF m_editorFrame;
};

// The outcome of FocusedField::read: the field, or what is known and why it is none.
struct FieldReading final {
    std::optional<FocusedField> field;
    ElementRef element;
    std::optional<qint64> pid;
    QString role;
    QString bundleID;
    QString appName;
    // One sentence saying why the element is not a field; "" for a field.
    QString reason;
    std::optional<QRectF> frame;
    std::optional<QRectF> visibleFrame;
};

} // namespace quillcraft
