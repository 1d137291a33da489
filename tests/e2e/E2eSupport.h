#pragma once

#include "platform/AccessibilityElement.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <ostream>

// Pieces shared by the end-to-end tests, which run inside tests/e2e/session.sh:
// starting a target program, finding its elements on the accessibility bus by
// accessible name, and giving them keyboard focus with real pointer input.
// Rectangles here are X11 screen coordinates (origin top-left).
namespace quillcraft::e2e {

// gtk is GTK 3; gtk4 is built only where GTK 4's development files are installed.
enum class Toolkit { qt, gtk, gtk4 };

// The accessible names the targets give their elements.
inline const QString lineField = QStringLiteral("Line field");
inline const QString textArea = QStringLiteral("Text area");
inline const QString scrollArea = QStringLiteral("Scroll area");
inline const QString passwordField = QStringLiteral("Password field");
inline const QString disabledField = QStringLiteral("Disabled field");
// The GTK target's --nested document: the paragraph that has the keyboard, and one beside it.
inline const QString nestedParagraph = QStringLiteral("Paragraph 2");
inline const QString otherParagraph = QStringLiteral("Paragraph 3");

// "qt", "gtk" or "gtk4", for test names and messages.
QString toolkitName(Toolkit toolkit);
// Lets GoogleTest name parameterised cases by toolkit.
inline void PrintTo(Toolkit toolkit, std::ostream* out)
{
    *out << toolkitName(toolkit).toStdString();
}

// A target program (tests/e2e/targets) running for the life of this object.
class TargetApp final {
public:
    // environment: "NAME=value" entries added to this process's, for example "GDK_SCALE=2".
    explicit TargetApp(Toolkit toolkit, QStringList arguments = {}, QStringList environment = {});
    ~TargetApp();
    TargetApp(const TargetApp&) = delete;
    TargetApp& operator=(const TargetApp&) = delete;

    // Starts the program and waits until its window is shown and its named
    // fields (only the line field with --alone) can be found on the
    // accessibility bus. False on failure or time-out.
    bool start(int timeoutMs = 20000);
    qint64 pid() const;
    Toolkit toolkit() const;

    // Whether this machine has the target program (the GTK 4 one is optional).
    static bool isBuilt(Toolkit toolkit);

    // Screen rectangle of the named element, as the toolkit reports it (GTK 4's
    // window-relative reports moved to where its window is).
    std::optional<QRect> rect(const QString& name) const;
    // The part of the named element that shows: its rectangle clipped by every ancestor's.
    std::optional<QRect> visibleRect(const QString& name) const;
    // Whole text of the named element, straight from the accessibility bus.
    std::optional<QString> text(const QString& name) const;
    bool isFocused(const QString& name) const;
    // The named element through the program's own AT-SPI backend.
    ElementRef element(const QString& name) const;

    // Activates the window, clicks into the visible part of the named element and
    // waits until it has keyboard focus.
    bool focus(const QString& name, int timeoutMs = 10000);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Synthesised input through xdotool (XTest); each waits for xdotool to finish.
// xdotool runs it with these arguments, for example {"keydown", "shift"}.
bool xdotool(const QStringList& arguments);
bool clickAt(QPoint screenPoint);
// Moves the pointer as a hand does: a warp is not reported as device motion, so
// the last pixel is a relative move.
bool movePointer(QPoint screenPoint);
bool typeText(const QString& text);
// Screen rectangle of the element with this accessible name in any program on the
// accessibility bus (the program under test's own cards, for example).
std::optional<QRect> namedRect(qint64 pid, const QString& name);

// Clicks the named element of the program once it stays in the same place twice
// in a row: a card still growing with its text moves its buttons.
bool clickSettled(qint64 pid, const QString& name, int timeoutMs = 5000);

// Key names as xdotool spells them, for example "ctrl+a" or "End".
bool pressKeys(const QString& keys);

// Like namedRect, but only an element that is on screen now: a page's hidden
// buttons keep their names on the bus.
std::optional<QRect> shownNamedRect(qint64 pid, const QString& name);

// Writes the preferences of a user who went through onboarding into the config
// folder a program under test gets as XDG_CONFIG_HOME, so its first-run window
// stays away, with the applications in appsOn (ids as the program names them)
// switched on. False when the file cannot be written.
bool presetFinishedOnboarding(const QString& configHome, const QStringList& appsOn = {});

} // namespace quillcraft::e2e
