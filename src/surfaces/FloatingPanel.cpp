#include "FloatingPanel.h"

#include "platform/FloatingWindows.h"
#include "platform/Screens.h"
#include "surfaces/ScreenCoordinates.h"

#include <QBitmap>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>

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

void FloatingPanel::host(QWidget* content)
{
    if (content == m_content)
        return;
    if (m_content) {
        // The old content may be the sender of the click that swaps it.
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        content->setParent(this);
        content->setGeometry(rect());
        content->show();
        // Content that relays itself out (a card whose output grows) changes what the mask must keep.
        content->installEventFilter(this);
    }
    m_maskStale = true;
}

void FloatingPanel::scheduleMaskUpdate()
{
    m_maskStale = true;
    if (m_maskScheduled || !isVisible())
        return;
    m_maskScheduled = true;
    // Once the layout requests posted with this change have run.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_maskScheduled = false;
            if (isVisible() && m_maskStale)
                updateMask();
        },
        Qt::QueuedConnection);
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize))
        scheduleMaskUpdate();
    return QWidget::eventFilter(watched, event);
}

void FloatingPanel::show(QWidget* content)
{
    host(content);
    const QRectF old = frame();
    setFrame(QRectF(old.topLeft(), contentSize()));
}

void FloatingPanel::update(QWidget* content)
{
    if (!m_content) {
        show(content);
        return;
    }
    host(content);
    fitToContent();
    if (isVisible())
        updateMask();
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
    if (m_maskStale)
        updateMask();
    raise();
    if (m_takesKeyboard)
        activateWindow();
    if (m_windows)
        m_windows->flush();
}

void FloatingPanel::updateMask()
{
    m_maskStale = false;
    if (!m_windows || m_windows->compositing()) {
        if (!mask().isEmpty())
            clearMask();
        return;
    }
    // Rendered at one image pixel per logical pixel, the unit setMask takes. Soft
    // shadow pixels under half opacity are cut away rather than shown dark.
    if (m_content && m_content->layout())
        m_content->layout()->activate();
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // The content, not the panel: rendering a shown translucent window again
    // draws its children at the wrong offset.
    if (m_content)
        m_content->render(&image, m_content->pos(), QRegion(), QWidget::DrawChildren);
    const QRegion painted(QBitmap::fromImage(image.createAlphaMask(Qt::ThresholdAlphaDither)));
    // An empty mask would mean no mask at all: the whole black window.
    setMask(painted.isEmpty() ? QRegion(0, 0, 1, 1) : painted);
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
    scheduleMaskUpdate();
    QWidget::resizeEvent(event);
}

} // namespace quillcraft
