#include "Hotkey.h"

#include "platform/HotkeyGrabber.h"

namespace quillcraft {

KeyCombination Hotkey::defaultCombination()
{
    return { Qt::Key_R, Qt::ControlModifier | Qt::AltModifier };
}

QString Hotkey::display()
{
    return QStringLiteral("Ctrl+Alt+R");
}

Hotkey::Hotkey(HotkeyGrabber& grabber, quint32 id, std::function<void()> action, QObject* parent)
    : QObject(parent)
    , m_grabber(grabber)
    , m_id(id)
    , m_action(std::move(action))
{
}

Hotkey::~Hotkey()
{
    unregister();
}

bool Hotkey::registerShortcut(KeyCombination combination)
{
    unregister();
    m_connection = connect(&m_grabber, &HotkeyGrabber::pressed, this, &Hotkey::onPressed);
    if (!m_grabber.grab(m_id, combination)) {
        unregister();
        return false;
    }
    m_registered = true;
    return true;
}

void Hotkey::unregister()
{
    if (m_registered)
        m_grabber.ungrab(m_id);
    m_registered = false;
    disconnect(m_connection);
    m_connection = {};
}

void Hotkey::onPressed(quint32 id)
{
    if (id != m_id || !m_registered)
        return;
    // The press arrives inside the native event filter: run the action from the
    // event loop instead, where it may open windows and call other applications.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_registered || !m_action)
                return;
            // The action may end this hot key (Escape ends the drag that owns it),
            // which must not destroy the action while it runs.
            const std::function<void()> action = m_action;
            action();
        },
        Qt::QueuedConnection);
}

} // namespace quillcraft
