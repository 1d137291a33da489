#include "X11Clipboard.h"

#include "platform/linux/X11ClipboardWorker.h"
#include "platform/linux/X11Display.h"

#include <QPointer>
#include <QThread>

#include <X11/Xlib.h>

#include <atomic>

namespace quillcraft {

struct X11Clipboard::Private {
    std::atomic<quint64> changeCount { 0 };
    QThread thread;
    // Lives on the worker thread once started; deleted there when it finishes.
    X11ClipboardWorker* worker = nullptr;
    bool available = false;
    // Answers come back through this GUI-thread object, so a reply still in the
    // queue when the clipboard goes away is dropped with it.
    QObject relay;

    // Runs work on the worker thread and hands its result to done on the GUI
    // thread, only if context still lives.
    template <typename Result, typename Work, typename Done>
    void roundTrip(const QObject* context, Work work, Done done)
    {
        QPointer<const QObject> guard(context);
        const bool hadContext = context != nullptr;
        QMetaObject::invokeMethod(
            worker,
            [worker = worker, relay = &relay, guard, hadContext, work = std::move(work), done = std::move(done)] {
                Result result = work(*worker);
                QMetaObject::invokeMethod(
                    relay,
                    [guard, hadContext, done, result = std::move(result)] {
                        if (done && (!hadContext || guard))
                            done(result);
                    },
                    Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }
};

X11Clipboard::X11Clipboard(const QByteArray& displayName)
    : d(std::make_unique<Private>())
{
    QByteArray name = displayName;
    if (name.isEmpty()) {
        if (Display* display = qtX11Display())
            name = DisplayString(display);
    }
    auto worker = std::make_unique<X11ClipboardWorker>(name, d->changeCount);
    d->available = worker->isConnected();
    d->worker = worker.release();
    d->worker->moveToThread(&d->thread);
    QObject::connect(&d->thread, &QThread::finished, d->worker, &QObject::deleteLater);
    d->thread.setObjectName(QStringLiteral("clipboard"));
    d->thread.start();
    QMetaObject::invokeMethod(d->worker, &X11ClipboardWorker::start, Qt::QueuedConnection);
}

X11Clipboard::~X11Clipboard()
{
    d->thread.quit();
    d->thread.wait();
}

bool X11Clipboard::isAvailable() const
{
    return d->available;
}

void X11Clipboard::save(const QObject* context, SaveDone done)
{
    d->roundTrip<std::optional<ClipboardContents>>(
        context, [](X11ClipboardWorker& worker) { return worker.save(); }, std::move(done));
}

void X11Clipboard::setText(const QString& text, const QObject* context, SetDone done)
{
    d->roundTrip<std::optional<quint64>>(
        context, [contents = textContents(text)](X11ClipboardWorker& worker) { return worker.own(contents); },
        std::move(done));
}

void X11Clipboard::restore(const ClipboardContents& saved, quint64 ifChangeCount)
{
    QMetaObject::invokeMethod(
        d->worker, [worker = d->worker, saved, ifChangeCount] { worker->restore(saved, ifChangeCount); },
        Qt::QueuedConnection);
}

quint64 X11Clipboard::changeCount() const
{
    return d->changeCount;
}

ClipboardContents X11Clipboard::textContents(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return {
        { QStringLiteral("UTF8_STRING"), QStringLiteral("UTF8_STRING"), 8, utf8 },
        { QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain;charset=utf-8"), 8, utf8 },
        { QStringLiteral("text/plain"), QStringLiteral("text/plain"), 8, utf8 },
        // Old clients: STRING is Latin-1 by definition, TEXT may be any text type.
        { QStringLiteral("STRING"), QStringLiteral("STRING"), 8, text.toLatin1() },
        { QStringLiteral("TEXT"), QStringLiteral("UTF8_STRING"), 8, utf8 },
    };
}

} // namespace quillcraft
