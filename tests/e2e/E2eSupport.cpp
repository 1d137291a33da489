#include "E2eSupport.h"

#include "Wait.h"
#include "platform/linux/AtspiElement.h"
#include "platform/linux/X11Windows.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <atspi/atspi.h>

#include <utility>

namespace quillcraft::e2e {

namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Ref = std::unique_ptr<AtspiAccessible, Unref>;

void ensureAtspi()
{
    // Idempotent; the program's own backend may have done it already.
    atspi_init();
}

Ref childAt(AtspiAccessible* parent, int index)
{
    return Ref(atspi_accessible_get_child_at_index(parent, index, nullptr));
}

QString nameOf(AtspiAccessible* accessible)
{
    gchar* name = atspi_accessible_get_name(accessible, nullptr);
    const QString result = QString::fromUtf8(name);
    g_free(name);
    return result;
}

bool hasState(AtspiAccessible* accessible, AtspiStateType state)
{
    // Read fresh: libatspi does not cache without its own main loop. Clearing its
    // cache would make its event handlers call out re-entrantly and deadlock.
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    const bool result = states && atspi_state_set_contains(states, state);
    if (states)
        g_object_unref(states);
    return result;
}

Ref applicationOf(qint64 pid)
{
    ensureAtspi();
    Ref desktop(atspi_get_desktop(0));
    const int count = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (int i = 0; i < count; ++i) {
        Ref app = childAt(desktop.get(), i);
        if (app && atspi_accessible_get_process_id(app.get(), nullptr) == pid)
            return app;
    }
    return {};
}

// Depth-first search for an element by accessible name, bounded in size.
Ref findNamed(AtspiAccessible* root, const QString& name, int& budget)
{
    if (--budget < 0)
        return {};
    const int count = atspi_accessible_get_child_count(root, nullptr);
    for (int i = 0; i < count; ++i) {
        Ref child = childAt(root, i);
        if (!child)
            continue;
        if (nameOf(child.get()) == name)
            return child;
        if (Ref found = findNamed(child.get(), name, budget))
            return found;
    }
    return {};
}

std::optional<QRect> extentsOf(AtspiAccessible* accessible)
{
    AtspiComponent* component = atspi_accessible_get_component_iface(accessible);
    if (!component)
        return std::nullopt;
    GError* error = nullptr;
    AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, &error);
    g_object_unref(component);
    if (error) {
        // Handed over even on failure.
        g_free(r);
        g_error_free(error);
        return std::nullopt;
    }
    const QRect result(r->x, r->y, r->width, r->height);
    g_free(r);
    return result;
}

} // namespace

QString toolkitName(Toolkit toolkit)
{
    switch (toolkit) {
    case Toolkit::qt:
        return QStringLiteral("qt");
    case Toolkit::gtk:
        return QStringLiteral("gtk");
    case Toolkit::gtk4:
        return QStringLiteral("gtk4");
    }
    return {};
}

namespace {

QString targetProgram(Toolkit toolkit)
{
    switch (toolkit) {
    case Toolkit::qt:
        return QStringLiteral(QUILLCRAFT_QT_TARGET);
    case Toolkit::gtk:
        return QStringLiteral(QUILLCRAFT_GTK_TARGET);
    case Toolkit::gtk4:
        return QStringLiteral(QUILLCRAFT_GTK4_TARGET); // empty when GTK 4 was not found
    }
    return {};
}

} // namespace

struct TargetApp::Impl {
    Toolkit toolkit;
    QStringList arguments;
    QStringList environment;
    QProcess process;

    // GTK 4 reports positions relative to its window: where that window's content is.
    QPoint origin() const
    {
        if (toolkit != Toolkit::gtk4)
            return {};
        const QList<QRectF> windows = X11Windows().contentRects(process.processId());
        return windows.isEmpty() ? QPoint() : windows.first().topLeft().toPoint();
    }

    Ref element(const QString& name) const
    {
        Ref app = applicationOf(process.processId());
        if (!app)
            return {};
        // Busy targets put thousands of labels before their fields.
        int budget = 10000;
        return findNamed(app.get(), name, budget);
    }
};

TargetApp::TargetApp(Toolkit toolkit, QStringList arguments, QStringList environment)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->toolkit = toolkit;
    m_impl->arguments = std::move(arguments);
    m_impl->environment = std::move(environment);
}

TargetApp::~TargetApp()
{
    if (m_impl->process.state() != QProcess::NotRunning) {
        m_impl->process.kill();
        m_impl->process.waitForFinished(5000);
    }
}

bool TargetApp::start(int timeoutMs)
{
    const QString program = targetProgram(m_impl->toolkit);
    if (program.isEmpty())
        return false;
    m_impl->process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : m_impl->environment)
        environment.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    m_impl->process.setProcessEnvironment(environment);
    m_impl->process.start(program, m_impl->arguments);
    if (!m_impl->process.waitForStarted(timeoutMs))
        return false;
    // Up when every named field is on the bus and the window shows on screen.
    return test::waitUntil(
        [this] {
            QStringList names { lineField, textArea, passwordField, disabledField };
            if (m_impl->arguments.contains(QStringLiteral("--alone")))
                names = QStringList { lineField };
            else if (m_impl->arguments.contains(QStringLiteral("--nested")))
                names = QStringList { nestedParagraph };
            for (const QString& name : names) {
                Ref found = m_impl->element(name);
                // GTK 4.8 marks only its windows SHOWING.
                if (!found || (m_impl->toolkit != Toolkit::gtk4 && !hasState(found.get(), ATSPI_STATE_SHOWING)))
                    return false;
            }
            const auto first = rect(names.first());
            return first && first->width() > 0 && first->x() >= 0 && first->y() >= 0
                && (m_impl->toolkit != Toolkit::gtk4 || !m_impl->origin().isNull());
        },
        timeoutMs);
}

qint64 TargetApp::pid() const
{
    return m_impl->process.processId();
}

Toolkit TargetApp::toolkit() const
{
    return m_impl->toolkit;
}

bool TargetApp::isBuilt(Toolkit toolkit)
{
    return !targetProgram(toolkit).isEmpty();
}

std::optional<QRect> TargetApp::rect(const QString& name) const
{
    Ref found = m_impl->element(name);
    const std::optional<QRect> extents = found ? extentsOf(found.get()) : std::nullopt;
    return extents ? std::optional<QRect>(extents->translated(m_impl->origin())) : std::nullopt;
}

std::optional<QRect> TargetApp::visibleRect(const QString& name) const
{
    Ref found = m_impl->element(name);
    if (!found)
        return std::nullopt;
    std::optional<QRect> visible = extentsOf(found.get());
    if (!visible)
        return std::nullopt;
    Ref node(atspi_accessible_get_parent(found.get(), nullptr));
    while (node && atspi_accessible_get_role(node.get(), nullptr) != ATSPI_ROLE_APPLICATION) {
        if (const auto extents = extentsOf(node.get()); extents && !extents->isEmpty())
            visible = visible->intersected(*extents);
        node = Ref(atspi_accessible_get_parent(node.get(), nullptr));
    }
    return visible->translated(m_impl->origin());
}

std::optional<QString> TargetApp::text(const QString& name) const
{
    Ref found = m_impl->element(name);
    if (!found)
        return std::nullopt;
    AtspiText* textIface = atspi_accessible_get_text_iface(found.get());
    if (!textIface)
        return std::nullopt;
    GError* error = nullptr;
    gchar* raw = atspi_text_get_text(textIface, 0, -1, &error);
    // GTK 4.8 entries answer "" for "up to the end"; their count is right.
    if (!error && raw && raw[0] == '\0') {
        const int count = atspi_text_get_character_count(textIface, nullptr);
        if (count > 0) {
            g_free(raw);
            raw = atspi_text_get_text(textIface, 0, count, &error);
        }
    }
    g_object_unref(textIface);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    const QString result = QString::fromUtf8(raw);
    g_free(raw);
    return result;
}

bool TargetApp::isFocused(const QString& name) const
{
    Ref found = m_impl->element(name);
    return found && hasState(found.get(), ATSPI_STATE_FOCUSED);
}

ElementRef TargetApp::element(const QString& name) const
{
    Ref found = m_impl->element(name);
    return found ? AtspiElement::wrap(found.get()) : nullptr;
}

bool TargetApp::focus(const QString& name, int timeoutMs)
{
    xdotool({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
        QStringLiteral("--pid"), QString::number(pid()), QStringLiteral("windowactivate"), QStringLiteral("--sync") });
    const auto visible = visibleRect(name);
    if (!visible || visible->isEmpty())
        return false;
    if (!clickAt(visible->center()))
        return false;
    return test::waitUntil([&] { return isFocused(name); }, timeoutMs);
}

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool clickAt(QPoint screenPoint)
{
    // No --sync: it waits for a motion that never comes when the pointer is
    // already there. The server handles the move before the click anyway.
    return xdotool({ QStringLiteral("mousemove"), QString::number(screenPoint.x()), QString::number(screenPoint.y()),
        QStringLiteral("click"), QStringLiteral("1") });
}

bool movePointer(QPoint screenPoint)
{
    return xdotool(
        { QStringLiteral("mousemove"), QString::number(screenPoint.x() - 1), QString::number(screenPoint.y()),
            QStringLiteral("mousemove_relative"), QStringLiteral("1"), QStringLiteral("0") });
}

bool typeText(const QString& text)
{
    return xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text });
}

bool pressKeys(const QString& keys)
{
    return xdotool({ QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys });
}

} // namespace quillcraft::e2e

namespace quillcraft::e2e {

std::optional<QRect> namedRect(qint64 pid, const QString& name)
{
    Ref app = applicationOf(pid);
    if (!app)
        return std::nullopt;
    int budget = 4000;
    Ref found = findNamed(app.get(), name, budget);
    return found ? extentsOf(found.get()) : std::nullopt;
}

bool clickSettled(qint64 pid, const QString& name, int timeoutMs)
{
    std::optional<QRect> rect;
    std::optional<QRect> before;
    test::waitUntil(
        [&] {
            before = std::exchange(rect, namedRect(pid, name));
            if (rect.has_value() && rect == before)
                return true;
            test::spin(100);
            return false;
        },
        timeoutMs);
    return rect && clickAt(rect->center());
}

} // namespace quillcraft::e2e

namespace quillcraft::e2e {

namespace {

bool isShowing(AtspiAccessible* accessible)
{
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    if (!states)
        return false;
    const bool showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
    g_object_unref(states);
    return showing;
}

Ref findShownNamed(AtspiAccessible* root, const QString& name, int& budget)
{
    if (--budget < 0)
        return {};
    const int count = atspi_accessible_get_child_count(root, nullptr);
    for (int i = 0; i < count; ++i) {
        Ref child = childAt(root, i);
        if (!child || !isShowing(child.get()))
            continue;
        if (nameOf(child.get()) == name)
            return child;
        if (Ref found = findShownNamed(child.get(), name, budget))
            return found;
    }
    return {};
}

} // namespace

std::optional<QRect> shownNamedRect(qint64 pid, const QString& name)
{
    Ref app = applicationOf(pid);
    if (!app)
        return std::nullopt;
    int budget = 4000;
    Ref found = findShownNamed(app.get(), name, budget);
    return found ? extentsOf(found.get()) : std::nullopt;
}

bool presetFinishedOnboarding(const QString& configHome, const QStringList& appsOn)
{
    const QString folder = configHome + QStringLiteral("/quillcraft");
    if (!QDir().mkpath(folder))
        return false;
    QFile file(folder + QStringLiteral("/defaults.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QJsonObject choices;
    for (const QString& app : appsOn)
        choices.insert(app, true);
    const QJsonObject values { { QStringLiteral("finishedOnboarding"), true },
        { QStringLiteral("appChoices"), choices } };
    const QJsonObject defaults { { QStringLiteral("schema"), 1 }, { QStringLiteral("values"), values } };
    return file.write(QJsonDocument(defaults).toJson()) > 0;
}

} // namespace quillcraft::e2e
