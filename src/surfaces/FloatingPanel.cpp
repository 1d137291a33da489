#include "FloatingPanel.h"

#include "platform/FloatingWindows.h"
#include "platform/Screens.h"
#include "surfaces/ScreenCoordinates.h"

#include <QKeyEvent>

namespace quillcraft {

FloatingPanel::FloatingPanel(Level level, const Screens& screens, FloatingWindows* windows)
    : QWidget(nullptr)
    , m_level(level)
    , m_screens(screens)
    , m_windows(windows)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose, false);
    applyFlags();
    resize(10, 10);
}

FloatingPanel::~FloatingPanel() = default;

void FloatingPanel::applyFlags()
{
    // Tool + on top + no focus is the combination openbox never focuses, even on
    // a click; override-redirect keeps the cards above the managed badge.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (!m_takesKeyboard)
        flags |= Qt::WindowDoesNotAcceptFocus;
    if (m_level == Level::card)
        flags |= Qt::X11BypassWindowManagerHint;
    setWindowFlags(flags);
}

FloatingPanel::Level FloatingPanel::level() const
{
    return m_level;
}

bool FloatingPanel::takesKeyboard() const
{
    return m_takesKeyboard;
}

void FloatingPanel::setTakesKeyboard(bool takes)
{
    if (m_takesKeyboard == takes)
        return;
    m_takesKeyboard = takes;
    applyFlags();
}

QSizeF FloatingPanel::contentSize() const
{
    if (!m_content)
        return QSizeF(size());
    const QSize hint = m_content->sizeHint();
    return QSizeF(hint.isValid() ? hint.expandedTo(m_content->minimumSizeHint()) : m_content->size());
}

void FloatingPanel::show(QWidget* content)
{
    if (m_content && m_content != content) {
        // The old content may be the sender of the click that swaps it.
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        content->setParent(this);
        content->setGeometry(rect());
        content->show();
    }
    const QRectF old = frame();
    setFrame(QRectF(old.topLeft(), contentSize()));
}

void FloatingPanel::update(QWidget* content)
{
    if (!m_content) {
        show(content);
        return;
    }
    if (content != m_content) {
        m_content->hide();
        m_content->deleteLater();
        m_content = content;
        if (content) {
            content->setParent(this);
            content->setGeometry(rect());
            content->show();
        }
    }
    fitToContent();
}

QWidget* FloatingPanel::content() const
{
    return m_content;
}

void FloatingPanel::fitToContent()
{
    setFrame(PanelGeometry::fitted(frame(), contentSize(), m_screens.screens()));
}

void FloatingPanel::place(const QRectF& below, qreal gap)
{
    setOrigin(PanelGeometry::placedBelow(below, gap, frame().size(), m_screens.screens()));
}

QRectF FloatingPanel::frame() const
{
    return ScreenCoordinates::fromQt(geometry(), m_screens.screens());
}

void FloatingPanel::setFrame(const QRectF& frame)
{
    const QRect target = ScreenCoordinates::toQt(frame, m_screens.screens());
    if (target != geometry())
        setGeometry(target);
    // A hidden window gets its resize event only when shown; the content fits now.
    if (m_content)
        m_content->setGeometry(0, 0, target.width(), target.height());
}

void FloatingPanel::setOrigin(const QPointF& origin)
{
    setFrame(QRectF(origin, frame().size()));
}

QRectF FloatingPanel::cardFrame() const
{
    return PanelGeometry::cardFrame(frame());
}

void FloatingPanel::orderFront()
{
    if (!isVisible()) {
        if (m_windows) {
            if (m_takesKeyboard)
                m_previousActive = m_windows->activeWindow();
            // The window manager forgets these on every hide.
            m_windows->prepare(winId());
        }
        QWidget::show();
    }
    raise();
    if (m_takesKeyboard)
        activateWindow();
    if (m_windows)
        m_windows->flush();
}

void FloatingPanel::orderOut()
{
    hide();
}

bool FloatingPanel::returnFocus()
{
    if (!m_windows || !m_previousActive)
        return false;
    return m_windows->activate(m_previousActive);
}

void FloatingPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && onEscape) {
        onEscape();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FloatingPanel::resizeEvent(QResizeEvent* event)
{
    if (m_content)
        m_content->setGeometry(rect());
    QWidget::resizeEvent(event);
}

} // namespace quillcraft
