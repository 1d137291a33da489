#pragma once

#include "grammar/GrammarChecker.h"
#include "grammar/TextIssue.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quillcraft {

class HarperEngine;
class HarperThread;

// Runs the Harper grammar engine (WebAssembly inside JavaScriptCore) on a thread
// of its own. At most one check runs and at most one waits: a newer request
// replaces the waiting one, whose completion is then never called. Answers and
// onReady arrive on the thread that owns this object (the GUI thread).
class HarperChecker final : public GrammarChecker {
    Q_OBJECT

public:
    // How starting the engine ended, so that a failure names its real cause.
    enum class Start {
        pending, // onReady has not run yet
        ready,
        filesUnusable, // a file is missing or unreadable, or the scripts break the contract
        engineRefused, // the files loaded but the engine's setup failed
    };

    // The largest text, in UTF-16 units, that is sent to the engine.
    static constexpr qsizetype textLimit = 10000;

    // `resources` holds harper.wasm, harper-prelude.js and harper-bridge.js.
    explicit HarperChecker(QString resources, QObject* parent = nullptr);
    // Stops the thread after the running check, if any; no callback runs afterwards.
    ~HarperChecker() override;

    // Starts the engine's thread; onReady(ready) follows once, true when the engine
    // can check and false when it cannot start (for good).
    void start(ReadyHandler onReady) override;
    // Known once onReady ran; read on the thread that owns this object.
    Start startResult() const { return m_start; }
    // What the engine said when it refused to start (its own words, never user text).
    QString startRefusal() const { return m_refusal; }
    // Queues a check of `text`. Ignored before start().
    void lint(const QString& text, Completion completion, Failure onFailure = {}) override;

    // Texts the engine is never asked about: over the limit, nearly empty or
    // clearly in another language.
    static bool isWorthChecking(const QString& text);

private:
    QString m_resources;
    std::unique_ptr<HarperThread> m_thread;
    // Lives on m_thread; owned by it. Set once start() returns.
    HarperEngine* m_engine = nullptr;
    Start m_start = Start::pending;
    QString m_refusal;
};

} // namespace quillcraft
