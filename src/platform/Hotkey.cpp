#include "Hotkey.h"

namespace quillcraft {

KeyCombination Hotkey::defaultCombination()
{
    return { Qt::Key_R, Qt::ControlModifier | Qt::AltModifier };
}

QString Hotkey::display()
{
    return display(defaultCombination());
}

QString Hotkey::display(KeyCombination combination)
{
    QString text;
    if (combination.modifiers & Qt::ControlModifier)
        text += QStringLiteral("Ctrl+");
    if (combination.modifiers & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    if (combination.modifiers & Qt::ShiftModifier)
        text += QStringLiteral("Shift+");
    if (combination.modifiers & Qt::MetaModifier)
        text += QStringLiteral("Super+");
    const int key = combination.key;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        text += QChar(key);
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        text += QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    else if (key == Qt::Key_Escape)
        text += QStringLiteral("Esc");
    else if (key == Qt::Key_Space)
        text += QStringLiteral("Space");
    else
        text += QStringLiteral("0x%1").arg(key, 0, 16);
    return text;
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
    m_combination = combination;
    m_lastResult = m_grabber.grab(m_id, combination);
    if (m_lastResult != GrabResult::grabbed) {
        unregister();
        return false;
    }
    m_registered = true;
    return true;
}

QString Hotkey::refusal() const
{
    const QString shortcut = display(m_combination);
    switch (m_lastResult) {
    case GrabResult::grabbed:
        return {};
    case GrabResult::heldElsewhere:
        return QStringLiteral("Another app uses %1.").arg(shortcut);
    case GrabResult::noKey: {
        // The key alone, without its modifiers: the key the layout lacks.
        const QString key = display({ m_combination.key, {} });
        return QStringLiteral("No key on the current keyboard layout types %1, so %2 cannot be used.")
            .arg(key, shortcut);
    }
    case GrabResult::failed:
        break;
    }
    return QStringLiteral("The desktop did not accept %1 as a shortcut.").arg(shortcut);
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
