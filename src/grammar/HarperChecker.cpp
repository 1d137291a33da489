#include "HarperChecker.h"

#include "grammar/HarperEngine.h"
#include "grammar/LanguageDetector.h"

#include <QSemaphore>
#include <QTextBoundaryFinder>
#include <QThread>

#include <utility>

namespace quillcraft {

// The checker thread: makes the engine, publishes it, loads it and then runs its
// event loop until the checker goes away. The engine dies on this thread too.
class HarperThread final : public QThread {
public:
    HarperThread(QString resources, QObject* replyContext, HarperEngine::StartHandler onStarted)
        : m_resources(std::move(resources))
        , m_replyContext(replyContext)
        , m_onStarted(std::move(onStarted))
    {
        setObjectName(QStringLiteral("Quillcraft Harper"));
        // JavaScriptCore's own limits assume a full-size stack.
        setStackSize(8 * 1024 * 1024);
    }

    // Starts the thread and returns its engine once the thread has made it.
    HarperEngine* startEngine()
    {
        start();
        m_published.acquire();
        return m_engine;
    }

protected:
    void run() override
    {
        HarperEngine engine(std::move(m_resources), m_replyContext, std::move(m_onStarted));
        m_engine = &engine;
        m_published.release();
        engine.load();
        exec();
    }

private:
    QString m_resources;
    QObject* m_replyContext;
    HarperEngine::StartHandler m_onStarted;
    QSemaphore m_published;
    HarperEngine* m_engine = nullptr;
};

HarperChecker::HarperChecker(QString resources, QObject* parent)
    : GrammarChecker(parent)
    , m_resources(std::move(resources))
{
}

HarperChecker::~HarperChecker()
{
    if (m_thread) {
        // Answers already posted to this object are dropped with it.
        m_thread->quit();
        m_thread->wait();
    }
}

void HarperChecker::start(ReadyHandler onReady)
{
    if (m_thread)
        return;
    // Runs on this object's thread: the engine posts it with this object as context.
    auto onStarted = [this, onReady = std::move(onReady)](Start start, const QString& reason) {
        m_start = start;
        m_refusal = reason;
        if (onReady)
            onReady(start == Start::ready);
    };
    m_thread = std::make_unique<HarperThread>(m_resources, this, std::move(onStarted));
    m_engine = m_thread->startEngine();
}

void HarperChecker::lint(const QString& text, Completion completion, Failure onFailure)
{
    if (!m_engine)
        return;
    QMetaObject::invokeMethod(
        m_engine,
        [engine = m_engine, text, completion = std::move(completion), onFailure = std::move(onFailure)]() mutable {
            engine->request(std::move(text), std::move(completion), std::move(onFailure));
        },
        Qt::QueuedConnection);
}

bool HarperChecker::isWorthChecking(const QString& text)
{
    if (text.size() > textLimit)
        return false;
    const QString trimmed = text.trimmed();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, trimmed);
    int count = 0;
    while (count <= 2 && graphemes.toNextBoundary() != -1)
        ++count;
    if (count <= 2)
        return false;
    return !LanguageDetector::isOtherLanguage(text);
}

} // namespace quillcraft
