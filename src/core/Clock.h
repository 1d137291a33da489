#pragma once

#include <QtGlobal>

#include <functional>

class QObject;

namespace quillcraft {

// Time as the program's timed behaviour sees it. Production code uses
// SystemClock; tests drive a manual clock so nothing sleeps.
class Clock {
public:
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock();

    // Milliseconds on a monotonic scale; only differences are meaningful.
    virtual qint64 now() const = 0;

    // Runs fn once on the calling (GUI) thread after ms milliseconds, unless
    // context has been destroyed by then.
    virtual void after(int ms, const QObject* context, std::function<void()> fn) = 0;
};

} // namespace quillcraft
