#include "SystemClock.h"

#include <QTimer>

namespace quillcraft {

SystemClock::SystemClock()
{
    m_elapsed.start();
}

qint64 SystemClock::now() const
{
    return m_elapsed.elapsed();
}

void SystemClock::after(int ms, const QObject* context, std::function<void()> fn)
{
    // Precise: the paste wait counts 40 steps of 50 ms and coarse timers drift by 5%.
    QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(fn));
}

} // namespace quillcraft
