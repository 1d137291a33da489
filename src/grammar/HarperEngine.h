#pragma once

#include "grammar/HarperChecker.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillcraft {

// The checker thread's side of HarperChecker: owns the JavaScriptCore context and
// every call into it, and the busy/pending state. Created, used and destroyed on
// that thread only; answers travel to `replyContext`'s thread as queued calls.
class HarperEngine final : public QObject {
public:
    // Called once, on `replyContext`'s thread, when starting has ended either way.
    // `reason` is the engine's own words for a refused start (never user text); empty otherwise.
    using StartHandler = std::function<void(HarperChecker::Start, const QString& reason)>;

    HarperEngine(QString resources, QObject* replyContext, StartHandler onStarted);
    ~HarperEngine() override;

    // Creates the context, loads the three files and calls setup().
    void load();
    // Makes (text, completion) the one waiting request, dropping an older one.
    void request(QString text, HarperChecker::Completion completion, HarperChecker::Failure onFailure = {});

private:
    struct Js;
    struct Settlement;
    struct Pending {
        QString text;
        HarperChecker::Completion completion;
        HarperChecker::Failure onFailure;
    };

    void loadFailed(const char* reason);
    void settled(Settlement& settlement, bool fulfilled, const std::optional<QString>& json);
    void setupSettled(bool fulfilled, const std::optional<QString>& reason,
        HarperChecker::Start failure = HarperChecker::Start::engineRefused);
    void reportStart(HarperChecker::Start start, QString reason = {});
    void releaseWasm();
    void lintSettled(Settlement& settlement, bool fulfilled, const std::optional<QString>& json);
    void scheduleDrain();
    void drain();
    void answer(HarperChecker::Completion completion, QList<TextIssue> issues);
    // Lets a dropped completion die on the thread that made it.
    void release(HarperChecker::Completion completion);

    // A refused setup is tried again in a fresh context. JavaScriptCore spoils about
    // one start in a few hundred on a loaded machine (see memoryDigest in
    // harper-bridge.js), each independently of the one before.
    static constexpr int startAttempts = 3;

    QString m_resources;
    QObject* m_replyContext;
    StartHandler m_onStarted;
    std::unique_ptr<Js> m_js;
    int m_attempt = 0;
    bool m_failed = false;
    bool m_busy = false;
    bool m_drainScheduled = false;
    // A check ran since the last collection.
    bool m_garbage = false;
    std::optional<Pending> m_pending;
};

} // namespace quillcraft
