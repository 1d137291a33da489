#include "HarperEngine.h"

#include "core/Logging.h"

#include <JavaScriptCore/JavaScript.h>
#include <jsc/jsc.h>

#include <QFile>

#include <dlfcn.h>
#include <sys/mman.h>

#include <utility>

namespace quillcraft {

namespace {

// JavaScriptCore compiles hot WebAssembly a second time with its optimising tier,
// on threads of its own. For the engine that is several seconds of both cores at
// start, and the user's checks (a changed sentence at a time) run as fast without
// it. Options may be set only before the process's first context: a later change
// (an engine started again) aborts.
void useBaselineWasmTierOnly()
{
    [[maybe_unused]] static const bool set = jsc_options_set_boolean("useOMGJIT", FALSE);
}

// An owned JSStringRef.
class JsString final {
public:
    explicit JsString(const char* utf8)
        : m_ref(JSStringCreateWithUTF8CString(utf8))
    {
    }
    explicit JsString(const QString& text)
        : m_ref(JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(text.utf16()), size_t(text.size())))
    {
    }
    ~JsString() { JSStringRelease(m_ref); }
    JsString(const JsString&) = delete;
    JsString& operator=(const JsString&) = delete;

    JSStringRef get() const { return m_ref; }
    QString toQString() const
    {
        return QString(
            reinterpret_cast<const QChar*>(JSStringGetCharactersPtr(m_ref)), qsizetype(JSStringGetLength(m_ref)));
    }

private:
    JSStringRef m_ref;
};

// The engine's file mapped instead of copied: its pages stay clean copies of
// the file, which can be dropped once the module is compiled and are read
// again if ever touched. JavaScriptCore's array buffer deallocator unmaps it.
struct Mapping {
    void* address = nullptr;
    size_t size = 0;

    static void unmap(void*, void* context)
    {
        const std::unique_ptr<Mapping> mapping(static_cast<Mapping*>(context));
        munmap(mapping->address, mapping->size);
    }
};

std::unique_ptr<Mapping> mapFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return nullptr;
    auto mapping = std::make_unique<Mapping>();
    mapping->size = size_t(file.size());
    // Private and writable so a stray write into the buffer copies a page
    // instead of faulting; the file itself is never changed.
    void* address = mmap(nullptr, mapping->size, PROT_READ | PROT_WRITE, MAP_PRIVATE, file.handle(), 0);
    if (address == MAP_FAILED)
        return nullptr;
    mapping->address = address;
    return mapping;
}

// JSGarbageCollect is only a hint: the last check's text, findings and the
// engine's wrappers would stay resident until the collector's own timer runs,
// which on a quiet desktop can be a long while. A full collection of this small
// heap takes about a millisecond. Its synchronous entry point is exported but
// missing from the public headers, hence the lookup, with the hint as fallback.
void collectGarbage(JSContextRef context)
{
    using Collect = void (*)(JSContextRef);
    static const auto synchronous
        = reinterpret_cast<Collect>(dlsym(RTLD_DEFAULT, "JSSynchronousGarbageCollectForDebugging"));
    if (synchronous)
        synchronous(context);
    else
        JSGarbageCollect(context);
}

// The engine's own string conversion of `value`; nothing when it throws.
std::optional<QString> stringOf(JSContextRef context, JSValueRef value)
{
    JSValueRef exception = nullptr;
    JSStringRef string = JSValueToStringCopy(context, value, &exception);
    std::optional<QString> text;
    if (string && !exception)
        text = QString(
            reinterpret_cast<const QChar*>(JSStringGetCharactersPtr(string)), qsizetype(JSStringGetLength(string)));
    if (string)
        JSStringRelease(string);
    return text;
}

std::optional<QString> readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

} // namespace

// What one thenable's two callbacks settle: the setup or one check.
struct HarperEngine::Settlement {
    enum class Stage { setup, lint };
    Stage stage;
    bool settled = false;
    QString text;
    HarperChecker::Completion completion;
    HarperChecker::Failure onFailure = {};
};

// The JavaScriptCore side. Everything here runs on the checker thread.
struct HarperEngine::Js {
    // Private data of one native callback handed to a thenable's "then".
    struct Callback {
        HarperEngine* engine;
        std::shared_ptr<Settlement> settlement;
        bool fulfils;
    };

    JSGlobalContextRef context = nullptr;
    JSClassRef callbackClass = nullptr;
    // The scripts' bridge object, protected from collection while setup runs.
    JSObjectRef candidate = nullptr;
    // The same object once setup fulfilled.
    JSObjectRef bridge = nullptr;
    // The engine's bytes, protected until setup settles so that their mapping
    // is certainly still there when its pages are dropped.
    JSObjectRef wasm = nullptr;
    void* wasmAddress = nullptr;
    size_t wasmSize = 0;

    Js()
    {
        JSClassDefinition definition = kJSClassDefinitionEmpty;
        definition.className = "QuillcraftCallback";
        definition.callAsFunction = &Js::call;
        definition.finalize = &Js::finalize;
        callbackClass = JSClassCreate(&definition);
        useBaselineWasmTierOnly();
        context = JSGlobalContextCreate(nullptr);
    }

    ~Js()
    {
        if (candidate)
            JSValueUnprotect(context, candidate);
        if (wasm)
            JSValueUnprotect(context, wasm);
        JSGlobalContextRelease(context);
        JSClassRelease(callbackClass);
    }

    Js(const Js&) = delete;
    Js& operator=(const Js&) = delete;

    JSObjectRef global() const { return JSContextGetGlobalObject(context); }

    JSValueRef property(JSObjectRef object, const char* name) const
    {
        JsString key(name);
        JSValueRef exception = nullptr;
        JSValueRef value = JSObjectGetProperty(context, object, key.get(), &exception);
        return exception ? nullptr : value;
    }

    JSObjectRef objectOrNull(JSValueRef value) const
    {
        if (!value || !JSValueIsObject(context, value))
            return nullptr;
        return JSValueToObject(context, value, nullptr);
    }

    // Calls object.name(arguments...); null when it is no function or it threw.
    JSValueRef callMethod(JSObjectRef object, const char* name, size_t count, const JSValueRef* arguments) const
    {
        JSObjectRef function = objectOrNull(property(object, name));
        if (!function || !JSObjectIsFunction(context, function))
            return nullptr;
        JSValueRef exception = nullptr;
        JSValueRef result = JSObjectCallAsFunction(context, function, object, count, arguments, &exception);
        return exception ? nullptr : result;
    }

    void evaluate(const QString& script, const char* name) const
    {
        JsString source(script);
        JsString url(name);
        // The scripts' own exceptions are not ours to judge: the bridge object is.
        JSEvaluateScript(context, source.get(), nullptr, url.get(), 1, nullptr);
    }

    // Hands the thenable two native callbacks. Returns false when `value` is not
    // thenable; a "then" that throws before settling counts as a rejection.
    bool then(JSValueRef value, HarperEngine* engine, const std::shared_ptr<Settlement>& settlement) const
    {
        JSObjectRef thenable = objectOrNull(value);
        if (!thenable)
            return false;
        JsString thenName("then");
        if (!JSObjectHasProperty(context, thenable, thenName.get()))
            return false;
        // Each callback object owns its Callback; the class's finalizer deletes it.
        JSValueRef callbacks[2] = {
            JSObjectMake(context, callbackClass, new Callback { engine, settlement, true }),
            JSObjectMake(context, callbackClass, new Callback { engine, settlement, false }),
        };
        if (!callMethod(thenable, "then", 2, callbacks) && !settlement->settled) {
            settlement->settled = true;
            engine->settled(*settlement, false, std::nullopt);
        }
        return true;
    }

    static JSValueRef call(
        JSContextRef ctx, JSObjectRef function, JSObjectRef, size_t count, const JSValueRef arguments[], JSValueRef*)
    {
        auto* callback = static_cast<Callback*>(JSObjectGetPrivate(function));
        if (!callback || callback->settlement->settled)
            return JSValueMakeUndefined(ctx);
        Settlement& settlement = *callback->settlement;
        settlement.settled = true;
        std::optional<QString> text;
        // A lint's answer, or why setup was refused (the engine's own words, never user text).
        const bool wanted = settlement.stage == Settlement::Stage::lint ? callback->fulfils : !callback->fulfils;
        if (wanted)
            text = stringOf(ctx, count > 0 ? arguments[0] : JSValueMakeUndefined(ctx));
        callback->engine->settled(settlement, callback->fulfils, text);
        return JSValueMakeUndefined(ctx);
    }

    static void finalize(JSObjectRef object) { delete static_cast<Callback*>(JSObjectGetPrivate(object)); }
};

HarperEngine::HarperEngine(QString resources, QObject* replyContext, StartHandler onStarted)
    : m_resources(std::move(resources))
    , m_replyContext(replyContext)
    , m_onStarted(std::move(onStarted))
{
}

HarperEngine::~HarperEngine() = default;

void HarperEngine::load()
{
    ++m_attempt;
    m_js = std::make_unique<Js>();
    const QString folder = m_resources + QLatin1Char('/');
    {
        // Lets the scripts tell a second start from the first (and say so in their reasons).
        JsString name("__harperStartAttempt");
        JSObjectSetProperty(m_js->context, m_js->global(), name.get(), JSValueMakeNumber(m_js->context, m_attempt),
            kJSPropertyAttributeNone, nullptr);
    }

    std::unique_ptr<Mapping> wasm = mapFile(folder + QStringLiteral("harper.wasm"));
    if (!wasm)
        return loadFailed("harper.wasm cannot be read");
    // From here on only the buffer's deallocator unmaps it, even when the
    // buffer cannot be made (JavaScriptCore has taken the bytes by then).
    Mapping* mapping = wasm.release();
    JSObjectRef buffer = JSObjectMakeArrayBufferWithBytesNoCopy(
        m_js->context, mapping->address, mapping->size, &Mapping::unmap, mapping, nullptr);
    if (!buffer)
        return loadFailed("the engine's bytes cannot be handed over");
    JSValueProtect(m_js->context, buffer);
    m_js->wasm = buffer;
    m_js->wasmAddress = mapping->address;
    m_js->wasmSize = mapping->size;
    {
        JsString name("__harperWasm");
        JSObjectSetProperty(m_js->context, m_js->global(), name.get(), buffer, kJSPropertyAttributeNone, nullptr);
    }

    const std::optional<QString> prelude = readText(folder + QStringLiteral("harper-prelude.js"));
    if (!prelude)
        return loadFailed("harper-prelude.js cannot be read");
    m_js->evaluate(*prelude, "harper-prelude.js");
    const std::optional<QString> bridgeScript = readText(folder + QStringLiteral("harper-bridge.js"));
    if (!bridgeScript)
        return loadFailed("harper-bridge.js cannot be read");
    m_js->evaluate(*bridgeScript, "harper-bridge.js");

    JSObjectRef bridge = m_js->objectOrNull(m_js->property(m_js->global(), "quillcraftHarper"));
    if (!bridge)
        return loadFailed("the scripts define no bridge object");
    JSObjectRef setup = m_js->objectOrNull(m_js->property(bridge, "setup"));
    if (!setup || !JSObjectIsFunction(m_js->context, setup))
        return loadFailed("the bridge object has no setup()");

    // Kept until setup settles, when it becomes the bridge or is let go.
    JSValueProtect(m_js->context, bridge);
    m_js->candidate = bridge;
    auto settlement = std::make_shared<Settlement>(Settlement { Settlement::Stage::setup, false, {}, {} });
    JSValueRef result = m_js->callMethod(bridge, "setup", 0, nullptr);
    if (!m_js->then(result, this, settlement)) {
        settlement->settled = true;
        // A setup that threw refused to start; one that answered no thenable breaks the contract.
        if (result)
            setupSettled(false, QStringLiteral("setup() returned no thenable"), HarperChecker::Start::filesUnusable);
        else
            setupSettled(false, QStringLiteral("setup() threw"));
    }
}

void HarperEngine::loadFailed(const char* reason)
{
    qCWarning(lcGrammar, "The grammar engine cannot start: %s.", reason);
    m_failed = true;
    reportStart(HarperChecker::Start::filesUnusable);
}

void HarperEngine::reportStart(HarperChecker::Start start, QString reason)
{
    QMetaObject::invokeMethod(
        m_replyContext,
        [onStarted = std::exchange(m_onStarted, {}), start, reason = std::move(reason)] {
            if (onStarted)
                onStarted(start, reason);
        },
        Qt::QueuedConnection);
}

void HarperEngine::settled(Settlement& settlement, bool fulfilled, const std::optional<QString>& json)
{
    if (settlement.stage == Settlement::Stage::setup)
        setupSettled(fulfilled, json);
    else
        lintSettled(settlement, fulfilled, json);
}

void HarperEngine::setupSettled(bool fulfilled, const std::optional<QString>& reason, HarperChecker::Start failure)
{
    QString refusal;
    if (fulfilled) {
        m_js->bridge = m_js->candidate;
        // A trap during warm-up that a restart absorbed; rare, and otherwise invisible.
        JSValueRef trap = m_js->property(m_js->bridge, "warmUpTrap");
        if (trap && JSValueIsString(m_js->context, trap)) {
            qCWarning(lcGrammar, "The grammar engine trapped while warming up and was started again: %s",
                qUtf8Printable(stringOf(m_js->context, trap).value_or(QString())));
        }
    } else {
        refusal = reason.value_or(QStringLiteral("no reason given"));
        qCWarning(lcGrammar, "The grammar engine's setup failed: %s", qUtf8Printable(refusal));
        JSValueUnprotect(m_js->context, m_js->candidate);
        m_js->candidate = nullptr;
        if (failure == HarperChecker::Start::engineRefused && m_attempt < startAttempts) {
            // A refusal from files that load is rare and has not repeated on a second try:
            // fresh contexts before the user loses checking for the whole session.
            // Requests keep waiting meanwhile. Not from here: this runs inside the old context.
            releaseWasm();
            QMetaObject::invokeMethod(
                this, [this] { load(); }, Qt::QueuedConnection);
            return;
        }
        m_failed = true;
    }
    releaseWasm();
    if (m_failed)
        reportStart(failure, refusal);
    else
        reportStart(HarperChecker::Start::ready);
    scheduleDrain();
}

// The module is compiled by now and JavaScriptCore may keep the buffer for a
// long while (a collection is only a hint), so its pages are dropped here:
// they are clean copies of the file and would be read again if ever touched.
void HarperEngine::releaseWasm()
{
    if (!m_js->wasm)
        return;
    // A detached buffer no longer owns the mapping, which may be gone.
    if (JSObjectGetArrayBufferBytesPtr(m_js->context, m_js->wasm, nullptr) == m_js->wasmAddress)
        madvise(m_js->wasmAddress, m_js->wasmSize, MADV_DONTNEED);
    JSValueUnprotect(m_js->context, m_js->wasm);
    m_js->wasm = nullptr;
    m_js->evaluate(QStringLiteral("delete globalThis.__harperWasm"), "quillcraft");
    collectGarbage(m_js->context);
}

void HarperEngine::request(QString text, HarperChecker::Completion completion, HarperChecker::Failure onFailure)
{
    // Failed for good: every request is answered, none waits to replace another.
    if (m_failed) {
        answer(std::move(completion), {});
        return;
    }
    if (m_pending)
        release(std::move(m_pending->completion));
    m_pending = Pending { std::move(text), std::move(completion), std::move(onFailure) };
    scheduleDrain();
}

// Draining from the thread's queue rather than at once lets every request that
// arrived during a check replace the waiting one before the next check starts.
void HarperEngine::scheduleDrain()
{
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_drainScheduled = false;
            drain();
        },
        Qt::QueuedConnection);
}

void HarperEngine::drain()
{
    if (m_busy)
        return;
    if (!m_pending) {
        // Idle: collect now rather than keep the last check's garbage around.
        if (std::exchange(m_garbage, false) && m_js)
            collectGarbage(m_js->context);
        return;
    }
    if (!m_js || !m_js->bridge) {
        // Still loading: the request waits for setup to settle.
        if (!m_failed)
            return;
        answer(std::exchange(m_pending, std::nullopt)->completion, {});
        return;
    }
    Pending request = std::move(*m_pending);
    m_pending.reset();
    if (!HarperChecker::isWorthChecking(request.text))
        return answer(std::move(request.completion), {});

    m_busy = true;
    auto settlement = std::make_shared<Settlement>(Settlement {
        Settlement::Stage::lint, false, request.text, std::move(request.completion), std::move(request.onFailure) });
    JsString text(request.text);
    JSValueRef argument = JSValueMakeString(m_js->context, text.get());
    JSValueRef result = m_js->callMethod(m_js->bridge, "lint", 1, &argument);
    if (!m_js->then(result, this, settlement)) {
        settlement->settled = true;
        settled(*settlement, false, std::nullopt);
    }
}

void HarperEngine::lintSettled(Settlement& settlement, bool fulfilled, const std::optional<QString>& json)
{
    m_busy = false;
    m_garbage = true;
    QList<TextIssue> issues;
    if (fulfilled && json) {
        issues = TextIssue::decodeHarper(*json, settlement.text);
    } else if (settlement.onFailure) {
        // "Nothing found" would be a lie: the text was not checked.
        QMetaObject::invokeMethod(m_replyContext, std::exchange(settlement.onFailure, {}), Qt::QueuedConnection);
        settlement.completion = {};
        scheduleDrain();
        return;
    }
    answer(std::exchange(settlement.completion, {}), std::move(issues));
    scheduleDrain();
}

void HarperEngine::answer(HarperChecker::Completion completion, QList<TextIssue> issues)
{
    QMetaObject::invokeMethod(
        m_replyContext,
        [completion = std::move(completion), issues = std::move(issues)] {
            if (completion)
                completion(issues);
        },
        Qt::QueuedConnection);
}

void HarperEngine::release(HarperChecker::Completion completion)
{
    QMetaObject::invokeMethod(
        m_replyContext, [dropped = std::move(completion)] {}, Qt::QueuedConnection);
}

} // namespace quillcraft
