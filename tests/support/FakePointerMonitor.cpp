#include "FakePointerMonitor.h"

namespace quillcraft::test {

bool FakePointerMonitor::start()
{
    ++starts;
    if (available)
        started = true;
    return started;
}

void FakePointerMonitor::moveTo(QPointF point)
{
    pointer = point;
    if (started)
        Q_EMIT moved(point);
}

void FakePointerMonitor::pressLeft()
{
    if (started && pointer)
        Q_EMIT leftPressed(*pointer);
}

void FakePointerMonitor::scroll()
{
    if (started && pointer)
        Q_EMIT scrolled(*pointer);
}

} // namespace quillcraft::test
