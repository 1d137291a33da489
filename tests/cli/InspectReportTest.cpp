#include "assistant/FocusedField.h"
#include "cli/InspectCommand.h"

#include "FakeAccessibility.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

class InspectReportTest : public testing::Test {
protected:
    InspectReportTest()
    {
        screens.list = { { QRectF(0, 0, 1000, 800), QRectF(0, 0, 1000, 800) } };
        apps.running = { { 11, QStringLiteral("org.example.Editor"), QStringLiteral("Editor") } };
        field->pid = 11;
        field->setFrame({ 100, 50, 300, 30 });
        field->attributes.insert(AX::value, QString::fromUtf8("Hi \xF0\x9F\x91\x8B there"));
        field->attributes.insert(AX::selectedTextRange, TextRange { 3, 2 });
        accessibility.focused = field;
        sources.accessibility = &accessibility;
        sources.screens = &screens;
        sources.apps = &apps;
        sources.ownPid = 1;
    }

    FakeAccessibility accessibility;
    FakeScreens screens;
    FakeApps apps;
    FieldSources sources;
    std::shared_ptr<FakeElement> field = FakeElement::make(QString(AX::textFieldRole));
};

} // namespace

TEST_F(InspectReportTest, FieldInUtf16UnitsAndBottomLeftFrames)
{
    const QJsonObject report = inspectReport(FocusedField::read(sources));
    EXPECT_EQ(report.value(QStringLiteral("app")).toString(), QStringLiteral("Editor"));
    EXPECT_EQ(report.value(QStringLiteral("bundleID")).toString(), QStringLiteral("org.example.Editor"));
    EXPECT_EQ(report.value(QStringLiteral("pid")).toInt(), 11);
    EXPECT_EQ(report.value(QStringLiteral("role")).toString(), QStringLiteral("AXTextField"));
    EXPECT_TRUE(report.value(QStringLiteral("isField")).toBool());
    EXPECT_EQ(report.value(QStringLiteral("reason")).toString(), QString());
    EXPECT_EQ(report.value(QStringLiteral("textLength")).toInt(), 11);
    EXPECT_EQ(report.value(QStringLiteral("selection")).toArray(), (QJsonArray { 3, 2 }));
    EXPECT_EQ(report.value(QStringLiteral("selectedText")).toString(), QString::fromUtf8("\xF0\x9F\x91\x8B"));
    EXPECT_EQ(report.value(QStringLiteral("frame")).toArray(), (QJsonArray { 100, 720, 300, 30 }));
    EXPECT_EQ(report.value(QStringLiteral("editorFrame")).toArray(), (QJsonArray { 100, 720, 300, 30 }));
    EXPECT_FALSE(report.value(QStringLiteral("isWebContent")).toBool());
    EXPECT_TRUE(report.value(QStringLiteral("offsetUnit")).isNull()); // the fake cannot tell
}

TEST_F(InspectReportTest, PasswordFieldShowsNoText)
{
    field->attributes.insert(AX::subrole, QString(AX::secureTextFieldSubrole));
    field->attributes.insert(AX::value, QStringLiteral("hunter2"));
    field->attributes.insert(AX::selectedTextRange, TextRange { 0, 7 });
    const QJsonObject report = inspectReport(FocusedField::read(sources));
    EXPECT_FALSE(report.value(QStringLiteral("isField")).toBool());
    EXPECT_EQ(
        report.value(QStringLiteral("reason")).toString(), QStringLiteral("The focused element is a password field."));
    EXPECT_TRUE(report.value(QStringLiteral("textLength")).isNull());
    EXPECT_FALSE(QJsonDocument(report).toJson().contains("hunter2"));
    EXPECT_EQ(report.keys().size(), 15);
}

TEST_F(InspectReportTest, NothingFocused)
{
    accessibility.focused = nullptr;
    const QJsonObject report = inspectReport(FocusedField::read(sources));
    EXPECT_FALSE(report.value(QStringLiteral("isField")).toBool());
    EXPECT_TRUE(report.value(QStringLiteral("pid")).isNull());
    EXPECT_EQ(report.value(QStringLiteral("reason")).toString(), QStringLiteral("No element has keyboard focus."));
}
