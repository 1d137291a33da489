// Selecting and writing through the accessibility interface against a fake
// field, driven by a manual clock: the checks before and after selecting, the
// read-backs 30 ms apart, the outcomes when the application misbehaves, and
// that nothing waits or calls back once the writer is gone.

#include "FakeFieldScene.h"
#include "ManualClock.h"

#include "assistant/FocusedField.h"
#include "assistant/writeback/FieldWriter.h"

#include <gtest/gtest.h>

#include <memory>

using namespace quillcraft;
using namespace quillcraft::test;
using WriteResult = FieldWriter::WriteResult;

namespace {

// Longer than any read-back: 10 waits of 30 ms.
constexpr qint64 allReadBacks = 1000;

// What one call reported, and when.
template <typename Result> struct Report {
    std::optional<Result> result;
    int calls = 0;
    qint64 waitedMs = -1;
};

class FieldWriterTest : public testing::Test, protected FakeFieldScene {
protected:
    std::optional<FocusedField> current()
    {
        FieldSources sources;
        sources.accessibility = &accessibility;
        sources.screens = &screens;
        sources.apps = &apps;
        return FocusedField::current(sources);
    }

    // Starts an operation, then runs the clock through every read-back.
    template <typename Result, typename Start> Report<Result> run(Start start)
    {
        auto report = std::make_shared<Report<Result>>();
        const qint64 startedAt = clock.now();
        start([this, report, startedAt](Result result) {
            report->result = result;
            ++report->calls;
            report->waitedMs = clock.now() - startedAt;
        });
        clock.advance(allReadBacks);
        EXPECT_EQ(report->calls, 1) << "done is called exactly once";
        EXPECT_FALSE(writer.isBusy());
        return *report;
    }

    Report<bool> select(const FocusedField& snapshot, TextRange range)
    {
        return run<bool>([&](FieldWriter::Selected done) { writer.select(snapshot, range, std::move(done)); });
    }

    Report<WriteResult> write(const FocusedField& snapshot, const TextEdit& edit)
    {
        return run<WriteResult>([&](FieldWriter::Written done) { writer.write(snapshot, edit, std::move(done)); });
    }

    // The application takes every set but applies it only after delayMs.
    void answerLate(int delayMs)
    {
        field->onSet = [this, delayMs](const QString& attribute, const AXValue& value) {
            clock.after(delayMs, &application, [this, attribute, value] {
                field->onSet = nullptr;
                field->setAttribute(attribute, value);
                answerLate(m_delayMs);
            });
            return AXError::success;
        };
        m_delayMs = delayMs;
    }

    qsizetype reads(QLatin1String attribute) const { return field->reads.count(QString(attribute)); }

    ManualClock clock;
    QObject application;
    FieldWriter writer { clock };

private:
    int m_delayMs = 0;
};

} // namespace

TEST_F(FieldWriterTest, SelectConfirmsByReadingBack)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    const auto shown = select(*snapshot, { 0, 5 });
    EXPECT_EQ(shown.result, true);
    EXPECT_EQ(shown.waitedMs, 0);

    field->reads.clear();
    field->onSet = [](const QString&, const AXValue&) { return AXError::failure; };
    const auto refused = select(*snapshot, { 0, 5 });
    EXPECT_EQ(refused.result, false);
    EXPECT_EQ(refused.waitedMs, 0);
    EXPECT_TRUE(field->reads.isEmpty());

    // The application takes the set but never shows the range.
    field->onSet = [](const QString&, const AXValue&) { return AXError::success; };
    const auto ignored = select(*snapshot, { 1, 2 });
    EXPECT_EQ(ignored.result, false);
    EXPECT_EQ(reads(AX::selectedTextRange), 10);
    EXPECT_EQ(ignored.waitedMs, 300);
}

TEST_F(FieldWriterTest, WriteConfirmsTheExpectedText)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(write(*snapshot, { 6, 5, QStringLiteral("there") }).result, WriteResult::written);
    EXPECT_EQ(std::get<QString>(field->attributes[AX::value]), QStringLiteral("Hello there"));
    EXPECT_EQ(write(*snapshot, { 40, 1, QStringLiteral("x") }).result, WriteResult::untouched);
}

TEST_F(FieldWriterTest, WriteRefusesTextThatChangedSinceTheSnapshot)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    field->attributes.insert(AX::value, QStringLiteral("Hello world!"));
    EXPECT_EQ(write(*snapshot, { 6, 5, QStringLiteral("there") }).result, WriteResult::stale);
    EXPECT_FALSE(field->sets.contains(QString(AX::selectedText)));
    EXPECT_EQ(std::get<QString>(field->attributes[AX::value]), QStringLiteral("Hello world!"));
    // The user's caret stays: a range selected in their changed text would be
    // replaced by the next key they type.
    EXPECT_FALSE(field->sets.contains(QString(AX::selectedTextRange)));
}

TEST_F(FieldWriterTest, WriteOutcomesWhenTheApplicationMisbehaves)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    const TextEdit edit { 6, 5, QStringLiteral("there") };
    const auto failSelectedText = [this](AXError error, std::optional<QString> valueAfter) {
        field->onSet = [this, error, valueAfter](const QString& attribute, const AXValue& value) {
            if (attribute != AX::selectedText) {
                field->attributes.insert(attribute, value);
                return AXError::success;
            }
            if (valueAfter)
                field->attributes.insert(AX::value, *valueAfter);
            else
                field->attributes.remove(AX::value);
            return error;
        };
    };
    const QString original = QStringLiteral("Hello world");

    failSelectedText(AXError::notImplemented, original);
    EXPECT_EQ(write(*snapshot, edit).result, WriteResult::untouched);
    failSelectedText(AXError::success, original); // accepted and ignored
    EXPECT_EQ(write(*snapshot, edit).result, WriteResult::untouched);
    failSelectedText(AXError::cannotComplete, original); // timed out: cannot tell
    field->reads.clear();
    const auto timedOut = write(*snapshot, edit);
    EXPECT_EQ(timedOut.result, WriteResult::changedDifferently);
    EXPECT_EQ(timedOut.waitedMs, 300);
    EXPECT_EQ(reads(AX::value), 2 + 11); // before and after selecting, then the read-backs
    failSelectedText(AXError::cannotComplete, QStringLiteral("Hello there")); // late but done
    EXPECT_EQ(write(*snapshot, edit).result, WriteResult::written);
    field->attributes.insert(AX::value, original);
    failSelectedText(AXError::success, QStringLiteral("Hello thereworld"));
    EXPECT_EQ(write(*snapshot, edit).result, WriteResult::changedDifferently);
    field->attributes.insert(AX::value, original);
    failSelectedText(AXError::success, std::nullopt);
    EXPECT_EQ(write(*snapshot, edit).result, WriteResult::changedDifferently);
}

TEST_F(FieldWriterTest, ReadBacksWaitOnTheClockAndTheCallReturnsAtOnce)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    // Each set shows 45 ms later: the selection on the third read (60 ms), the
    // text on the read at 60 + 60 ms.
    field->attributes.insert(AX::selectedTextRange, TextRange { 11, 0 });
    answerLate(45);
    field->reads.clear();
    std::optional<WriteResult> result;
    writer.write(*snapshot, { 6, 5, QStringLiteral("there") }, [&](WriteResult r) { result = r; });
    EXPECT_FALSE(result) << "the write waited for the field";
    EXPECT_TRUE(writer.isBusy());
    EXPECT_EQ(clock.now(), 0);
    EXPECT_EQ(reads(AX::selectedTextRange), 1);

    clock.advance(119);
    EXPECT_FALSE(result);
    EXPECT_EQ(reads(AX::selectedTextRange), 3);
    EXPECT_TRUE(field->sets.contains(QString(AX::selectedText)));
    clock.advance(1);
    EXPECT_EQ(result, WriteResult::written);
    EXPECT_FALSE(writer.isBusy());
    EXPECT_EQ(clock.pending(), 0) << "nothing is left scheduled after the report";
}

TEST_F(FieldWriterTest, NoCallbackOnceTheWriterIsGone)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    bool called = false;

    // Destroyed while confirming the selection.
    field->onSet = [](const QString&, const AXValue&) { return AXError::success; };
    auto doomed = std::make_unique<FieldWriter>(clock);
    doomed->select(*snapshot, { 1, 2 }, [&](bool) { called = true; });
    clock.advance(100);
    ASSERT_TRUE(doomed->isBusy());
    doomed.reset();
    const qsizetype readsAtDeath = field->reads.size();
    clock.advance(allReadBacks);
    EXPECT_FALSE(called);
    EXPECT_EQ(field->reads.size(), readsAtDeath) << "the field was read for a dead writer";

    // Destroyed while reading the written value back.
    field->onSet = [this](const QString& attribute, const AXValue& value) {
        if (attribute == AX::selectedText)
            return AXError::cannotComplete;
        field->attributes.insert(attribute, value);
        return AXError::success;
    };
    doomed = std::make_unique<FieldWriter>(clock);
    doomed->write(*snapshot, { 6, 5, QStringLiteral("there") }, [&](WriteResult) { called = true; });
    clock.advance(100);
    ASSERT_TRUE(doomed->isBusy());
    doomed.reset();
    clock.advance(allReadBacks);
    EXPECT_FALSE(called);
    EXPECT_EQ(clock.pending(), 0);

    // The callback itself may destroy the writer.
    doomed = std::make_unique<FieldWriter>(clock);
    doomed->write(*snapshot, { 6, 5, QStringLiteral("there") }, [&](WriteResult) {
        called = true;
        doomed.reset();
    });
    clock.advance(allReadBacks);
    EXPECT_TRUE(called);
    EXPECT_FALSE(doomed);
}

TEST_F(FieldWriterTest, OneOperationAtATime)
{
    const auto snapshot = current();
    ASSERT_TRUE(snapshot);
    const TextEdit edit { 6, 5, QStringLiteral("there") };

    // A second call while the first confirms is refused at once; the first carries on.
    field->onSet = [](const QString&, const AXValue&) { return AXError::success; };
    std::optional<bool> first;
    writer.select(*snapshot, { 1, 2 }, [&](bool selected) { first = selected; });
    ASSERT_TRUE(writer.isBusy());
    std::optional<WriteResult> second;
    writer.write(*snapshot, edit, [&](WriteResult r) { second = r; });
    EXPECT_EQ(second, WriteResult::untouched);
    std::optional<bool> third;
    writer.select(*snapshot, { 0, 5 }, [&](bool selected) { third = selected; });
    EXPECT_EQ(third, false);
    EXPECT_EQ(field->sets.count(QString(AX::selectedTextRange)), 1);
    EXPECT_FALSE(field->sets.contains(QString(AX::selectedText)));
    clock.advance(allReadBacks);
    EXPECT_EQ(first, false);
    EXPECT_FALSE(writer.isBusy());

    // The writer is free again inside the callback: a select can lead straight to a write.
    field->onSet = nullptr;
    const auto chained = run<WriteResult>([&](FieldWriter::Written done) {
        writer.select(*snapshot, { 0, 5 }, [&, done = std::move(done)](bool selected) {
            EXPECT_TRUE(selected);
            writer.write(*snapshot, edit, done);
        });
    });
    EXPECT_EQ(chained.result, WriteResult::written);
    EXPECT_EQ(std::get<QString>(field->attributes[AX::value]), QStringLiteral("Hello there"));
}
