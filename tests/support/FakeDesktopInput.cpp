#include "FakeDesktopInput.h"

#include <QPointer>

namespace quillcraft::test {

void FakeClipboard::save(const QObject* context, SaveDone done)
{
    ++saves;
    auto answer = [this, guard = QPointer<const QObject>(context), done = std::move(done)] {
        if (guard)
            done(contents);
    };
    deferred ? m_deferred.append(answer) : answer();
}

void FakeClipboard::setText(const QString& text, const QObject* context, SetDone done)
{
    ++writes;
    auto answer = [this, text, guard = QPointer<const QObject>(context), done = std::move(done)] {
        std::optional<quint64> result;
        if (!refuseOwnership) {
            contents = ClipboardContents { { QStringLiteral("UTF8_STRING"), QStringLiteral("UTF8_STRING"), 8,
                text.toUtf8() } };
            result = ++count;
        }
        if (guard && done)
            done(result);
    };
    deferred ? m_deferred.append(answer) : answer();
}

void FakeClipboard::restore(const ClipboardContents& saved, quint64 ifChangeCount)
{
    if (count != ifChangeCount)
        return;
    ++restores;
    contents = saved;
    ++count;
}

void FakeClipboard::writeFromElsewhere(const ClipboardContents& newContents)
{
    contents = newContents;
    ++count;
}

QString FakeClipboard::text() const
{
    if (contents) {
        for (const ClipboardFormat& format : *contents) {
            if (format.name == QLatin1String("UTF8_STRING"))
                return QString::fromUtf8(format.data);
        }
    }
    return {};
}

void FakeClipboard::runDeferred()
{
    while (!m_deferred.isEmpty())
        m_deferred.takeFirst()();
}

KeySendResult FakeKeys::send(SyntheticKey key)
{
    if (fail)
        return KeySendResult::failed;
    if (modifiersHeld())
        return KeySendResult::modifiersHeld;
    sent << key;
    if (onSend)
        onSend(key);
    return KeySendResult::sent;
}

GrabResult FakeGrabber::grab(quint32 id, KeyCombination combination)
{
    ++grabCalls;
    ungrab(id);
    if (withoutKey.contains(combination))
        return GrabResult::noKey;
    if (takenElsewhere.contains(combination))
        return GrabResult::heldElsewhere;
    for (const KeyCombination& held : std::as_const(grabs)) {
        if (held == combination)
            return GrabResult::heldElsewhere;
    }
    grabs.insert(id, combination);
    return GrabResult::grabbed;
}

void FakeGrabber::ungrab(quint32 id)
{
    grabs.remove(id);
}

void FakeGrabber::press(const KeyCombination& combination)
{
    for (auto it = grabs.cbegin(); it != grabs.cend(); ++it) {
        if (it.value() == combination)
            Q_EMIT pressed(it.key());
    }
}

} // namespace quillcraft::test
