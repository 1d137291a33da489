#pragma once

#include "core/Clock.h"

#include <QPointer>

#include <vector>

namespace quillcraft::test {

// A clock that moves only when the test says so. Work scheduled with after()
// runs inside advance(), in due order, and is dropped when its context dies.
class ManualClock final : public Clock {
public:
    qint64 now() const override { return m_now; }
    void after(int ms, const QObject* context, std::function<void()> fn) override;

    // Moves time forward by ms, running everything that falls due on the way,
    // including work scheduled by that work.
    void advance(qint64 ms);

    // Number of scheduled calls not yet run (dead contexts included).
    int pending() const { return static_cast<int>(m_tasks.size()); }

    // Due time of the earliest pending call, or -1 when none.
    qint64 nextDue() const;

private:
    struct Task {
        qint64 due;
        quint64 order;
        QPointer<const QObject> context;
        bool hadContext;
        std::function<void()> fn;
    };

    qint64 m_now = 0;
    quint64 m_order = 0;
    std::vector<Task> m_tasks;
};

} // namespace quillcraft::test
