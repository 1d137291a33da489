#pragma once

#include <QtGlobal>

#include <functional>

class QObject;

namespace quillcraft {

class Clock;

// One piece of delayed work on the clock that can be cancelled or replaced:
// the poll's lint delay, the hover and hide delays of the card. Dies with its
// owner, the context every scheduled call is bound to.
class PendingWork final {
public:
    PendingWork(Clock& clock, const QObject* owner);
    PendingWork(const PendingWork&) = delete;
    PendingWork& operator=(const PendingWork&) = delete;

    // Replaces whatever was pending. The work is no longer pending when fn runs.
    void schedule(int ms, std::function<void()> fn);
    void cancel();
    bool isPending() const { return m_pending; }

private:
    Clock& m_clock;
    const QObject* m_owner;
    bool m_pending = false;
    // Calls scheduled before the last cancel or schedule find an old number and do nothing.
    quint64 m_generation = 0;
};

} // namespace quillcraft
