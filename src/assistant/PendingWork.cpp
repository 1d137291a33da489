#include "assistant/PendingWork.h"

#include "core/Clock.h"

namespace quillcraft {

PendingWork::PendingWork(Clock& clock, const QObject* owner)
    : m_clock(clock)
    , m_owner(owner)
{
}

void PendingWork::schedule(int ms, std::function<void()> fn)
{
    const quint64 generation = ++m_generation;
    m_pending = true;
    m_clock.after(ms, m_owner, [this, generation, fn = std::move(fn)] {
        if (generation != m_generation || !m_pending)
            return;
        m_pending = false;
        fn();
    });
}

void PendingWork::cancel()
{
    m_pending = false;
    ++m_generation;
}

} // namespace quillcraft
