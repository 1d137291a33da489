#include "ManualClock.h"

#include <algorithm>

namespace quillcraft::test {

void ManualClock::after(int ms, const QObject* context, std::function<void()> fn)
{
    m_tasks.push_back(Task { m_now + std::max(ms, 0), m_order++, context, context != nullptr, std::move(fn) });
}

qint64 ManualClock::nextDue() const
{
    if (m_tasks.empty())
        return -1;
    return std::min_element(m_tasks.begin(), m_tasks.end(), [](const Task& a, const Task& b) {
        return a.due < b.due;
    })->due;
}

void ManualClock::advance(qint64 ms)
{
    const qint64 target = m_now + ms;
    for (;;) {
        auto next = std::min_element(m_tasks.begin(), m_tasks.end(),
            [](const Task& a, const Task& b) { return a.due != b.due ? a.due < b.due : a.order < b.order; });
        if (next == m_tasks.end() || next->due > target)
            break;
        Task task = std::move(*next);
        m_tasks.erase(next);
        m_now = task.due;
        if (!task.hadContext || task.context)
            task.fn();
    }
    m_now = target;
}

} // namespace quillcraft::test
