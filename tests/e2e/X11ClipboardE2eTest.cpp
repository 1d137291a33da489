// The X11 clipboard against a real owner on the harness's X server: this test
// process's own QClipboard, which reads and writes through Qt's connection while
// ours runs on its own thread and connection.

#include "Wait.h"

#include "platform/linux/X11Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace quillcraft;
using quillcraft::test::waitUntil;

namespace {

const QString customType = QStringLiteral("application/x-quillcraft-test");
const QString bigType = QStringLiteral("application/octet-stream");

// Larger than one X request even with big requests (16 MiB), so it travels in
// increments in both directions.
QByteArray bigData()
{
    QByteArray data(18 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>((i * 7) % 251);
    return data;
}

void offerUserContents()
{
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("copied earlier ✓"));
    mime->setData(customType, QByteArrayLiteral("\x00\x01custom"));
    mime->setData(bigType, bigData());
    QGuiApplication::clipboard()->setMimeData(mime);
}

// The clipboard's answers, waited for on the event loop.
std::optional<ClipboardContents> save(X11Clipboard& clipboard)
{
    QObject context;
    std::optional<std::optional<ClipboardContents>> result;
    clipboard.save(&context, [&](std::optional<ClipboardContents> saved) { result = std::move(saved); });
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }, 10000));
    return result.value_or(std::nullopt);
}

std::optional<quint64> setText(X11Clipboard& clipboard, const QString& text)
{
    QObject context;
    std::optional<std::optional<quint64>> result;
    clipboard.setText(text, &context, [&](std::optional<quint64> count) { result = count; });
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }, 10000));
    return result.value_or(std::nullopt);
}

const ClipboardFormat* find(const ClipboardContents& contents, const QString& name)
{
    for (const ClipboardFormat& format : contents) {
        if (format.name == name)
            return &format;
    }
    return nullptr;
}

QByteArray qtClipboardData(const QString& type)
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data(type) : QByteArray();
}

} // namespace

TEST(X11ClipboardE2eTest, EveryFormatIsSavedAndPutBackAfterOurText)
{
    offerUserContents();
    X11Clipboard clipboard;
    ASSERT_TRUE(clipboard.isAvailable());

    const std::optional<ClipboardContents> saved = save(clipboard);
    ASSERT_TRUE(saved.has_value());
    ASSERT_TRUE(find(*saved, customType));
    EXPECT_EQ(find(*saved, customType)->data, QByteArrayLiteral("\x00\x01custom"));
    ASSERT_TRUE(find(*saved, bigType));
    EXPECT_EQ(find(*saved, bigType)->data, bigData());
    ASSERT_TRUE(find(*saved, QStringLiteral("UTF8_STRING")));
    EXPECT_EQ(QString::fromUtf8(find(*saved, QStringLiteral("UTF8_STRING"))->data), QStringLiteral("copied earlier ✓"));
    EXPECT_FALSE(find(*saved, QStringLiteral("TARGETS")));

    const std::optional<quint64> count = setText(clipboard, QStringLiteral("They're 😀"));
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(clipboard.changeCount(), *count);
    // Qt reads synchronously on this (GUI) thread; the answer comes from the clipboard's own thread.
    EXPECT_TRUE(waitUntil([] { return QGuiApplication::clipboard()->text() == QStringLiteral("They're 😀"); }));

    clipboard.restore(*saved, *count);
    EXPECT_TRUE(waitUntil([] { return qtClipboardData(customType) == QByteArrayLiteral("\x00\x01custom"); }));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copied earlier ✓"));
    EXPECT_EQ(qtClipboardData(bigType), bigData()) << "served back in increments";
    EXPECT_GT(clipboard.changeCount(), *count);
}

TEST(X11ClipboardE2eTest, NewerContentsFromAnotherOwnerAreNotOverwritten)
{
    offerUserContents();
    X11Clipboard clipboard;
    const std::optional<ClipboardContents> saved = save(clipboard);
    ASSERT_TRUE(saved.has_value());
    const std::optional<quint64> count = setText(clipboard, QStringLiteral("fix"));
    ASSERT_TRUE(count.has_value());

    QGuiApplication::clipboard()->setText(QStringLiteral("newer"));
    // The new owner's notice comes through the X server and the clipboard thread: slow on a loaded machine.
    ASSERT_TRUE(waitUntil([&] { return clipboard.changeCount() != *count; }, 20000));
    clipboard.restore(*saved, *count);
    // Anything asked of the clipboard thread now runs after the restore.
    const std::optional<ClipboardContents> after = save(clipboard);
    ASSERT_TRUE(after.has_value());
    EXPECT_FALSE(find(*after, customType));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("newer"));
}

TEST(X11ClipboardE2eTest, EmptyContentsEmptyTheClipboard)
{
    X11Clipboard clipboard;
    const std::optional<quint64> count = setText(clipboard, QStringLiteral("fix"));
    ASSERT_TRUE(count.has_value());
    clipboard.restore({}, *count);

    const std::optional<ClipboardContents> after = save(clipboard);
    ASSERT_TRUE(after.has_value()) << "an empty clipboard is not an unanswered one";
    EXPECT_TRUE(after->isEmpty());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}
