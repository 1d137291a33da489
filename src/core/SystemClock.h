#pragma once

#include "core/Clock.h"

#include <QElapsedTimer>

namespace quillcraft {

// The real clock: a monotonic timer and single-shot QTimers bound to a context.
class SystemClock final : public Clock {
public:
    SystemClock();

    qint64 now() const override;
    void after(int ms, const QObject* context, std::function<void()> fn) override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace quillcraft
