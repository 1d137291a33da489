#include "assistant/FocusedField.h"

#include "FakeFieldScene.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::test;

namespace {

constexpr qint64 ownPid = 7;

class FocusedFieldTest : public testing::Test, protected FakeFieldScene {
protected:
    FieldSources sources()
    {
        FieldSources s;
        s.accessibility = &accessibility;
        s.screens = &screens;
        s.apps = &apps;
        s.ownPid = ownPid;
        return s;
    }
};

// A text area inside `levels` containers of the same size below a scroll area.
std::shared_ptr<FakeElement> placeInScrollArea(const std::shared_ptr<FakeElement>& area,
    const std::shared_ptr<FakeElement>& window, QRectF scrollFrame, int levels)
{
    auto scroll = FakeElement::make(QString(AX::scrollAreaRole));
    scroll->setFrame(scrollFrame);
    scroll->setParent(window);
    ElementRef parent = scroll;
    for (int i = 0; i < levels; ++i) {
        auto group = FakeElement::make(QStringLiteral("AXGroup"));
        group->setFrame(area->attributes.contains(AX::position)
                ? QRectF(
                    std::get<QPointF>(area->attributes[AX::position]), std::get<QSizeF>(area->attributes[AX::size]))
                : QRectF());
        group->setParent(parent);
        parent = group;
    }
    area->setParent(parent);
    return scroll;
}

} // namespace

TEST_F(FocusedFieldTest, SnapshotOfATextField)
{
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->pid(), targetPid);
    EXPECT_EQ(snapshot->bundleID(), QStringLiteral("org.example.Editor"));
    EXPECT_EQ(snapshot->appName(), QStringLiteral("Editor"));
    EXPECT_EQ(snapshot->text(), QStringLiteral("Hello world"));
    EXPECT_EQ(snapshot->selection(), (TextRange { 6, 5 }));
    EXPECT_EQ(snapshot->selectedText(), QStringLiteral("world"));
    EXPECT_EQ(snapshot->frame(), flipped({ 120, 130, 300, 30 }));
    EXPECT_EQ(snapshot->visibleFrame(), flipped({ 120, 130, 300, 30 }));
    EXPECT_EQ(snapshot->editorFrame(), snapshot->visibleFrame());
    EXPECT_FALSE(snapshot->isWebContent());
}

TEST_F(FocusedFieldTest, FallbacksForSelectionAndNames)
{
    field->attributes.remove(AX::selectedTextRange);
    field->attributes.insert(AX::value, QString());
    apps.running = { { targetPid, QString(), QString() } };
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot); // an empty field is a field
    EXPECT_EQ(snapshot->selection(), (TextRange { 0, 0 }));
    EXPECT_EQ(snapshot->selectedText(), std::nullopt);
    EXPECT_EQ(snapshot->appName(), QStringLiteral("this app"));
    EXPECT_EQ(snapshot->bundleID(), QString());

    // A selection reaching past the text selects nothing.
    field->attributes.insert(AX::value, QStringLiteral("abc"));
    field->attributes.insert(AX::selectedTextRange, TextRange { 2, 5 });
    EXPECT_EQ(FocusedField::current(sources())->selectedText(), std::nullopt);
}

TEST_F(FocusedFieldTest, ElementsThatAreNotFields)
{
    const auto reasonFor = [this] { return FocusedField::read(sources()).reason; };

    field->attributes.insert(AX::subrole, QString(AX::secureTextFieldSubrole));
    EXPECT_FALSE(FocusedField::current(sources()));
    EXPECT_EQ(reasonFor(), QStringLiteral("The focused element is a password field."));
    EXPECT_FALSE(field->reads.contains(QString(AX::value))) << "a password field's text was read";
    field->attributes.remove(AX::subrole);

    field->attributes.insert(AX::role, QStringLiteral("AXButton"));
    EXPECT_EQ(reasonFor(), QStringLiteral("The focused element is not a text field."));
    field->attributes.insert(AX::editable, true); // a rich-text area with an unknown role
    EXPECT_TRUE(FocusedField::current(sources()));
    field->attributes.insert(AX::role, QString(AX::textFieldRole));

    field->attributes.insert(AX::enabled, false);
    EXPECT_EQ(reasonFor(), QStringLiteral("The focused field is disabled."));
    field->attributes.insert(AX::role, QString(AX::textAreaRole)); // disabled text areas still count
    EXPECT_TRUE(FocusedField::current(sources()));
    field->attributes.insert(AX::role, QString(AX::textFieldRole));
    field->attributes.remove(AX::enabled); // unknown counts as enabled
    EXPECT_TRUE(FocusedField::current(sources()));

    field->attributes.remove(AX::value);
    EXPECT_FALSE(FocusedField::current(sources()));
    field->attributes.insert(AX::value, QStringLiteral("x"));

    field->pid = ownPid;
    EXPECT_EQ(reasonFor(), QStringLiteral("The focused element belongs to Quillcraft."));
    auto own = sources();
    own.allowsOwnFields = true;
    apps.running << RunningApp { ownPid, QStringLiteral("quillcraft"), QStringLiteral("Quillcraft") };
    EXPECT_TRUE(FocusedField::current(own));

    field->pid = 99; // no such application
    EXPECT_FALSE(FocusedField::current(sources()));
    accessibility.focused = nullptr;
    EXPECT_EQ(reasonFor(), QStringLiteral("No element has keyboard focus."));
}

TEST_F(FocusedFieldTest, TinyAndOffScreenFieldsAreIgnored)
{
    field->setFrame({ 120, 130, 20, 30 });
    EXPECT_FALSE(FocusedField::current(sources()));
    field->setFrame({ 120, 130, 21, 9 });
    EXPECT_TRUE(FocusedField::current(sources()));
    field->setFrame({ 120, 130, 300, 8 });
    EXPECT_FALSE(FocusedField::current(sources()));
    // Only 20 points of a wide field show inside its window.
    field->setFrame({ 680, 130, 300, 30 });
    EXPECT_FALSE(FocusedField::current(sources()));
    // Under the panel at the bottom of the screen.
    window->setFrame({ 0, 0, 1280, 1024 });
    field->setFrame({ 120, 1000, 300, 24 });
    EXPECT_EQ(FocusedField::read(sources()).reason, QStringLiteral("The focused field is too small or off screen."));
    // A window frame that cannot be read does not clip.
    window->attributes.remove(AX::size);
    field->setFrame({ 120, 900, 300, 30 });
    EXPECT_EQ(FocusedField::current(sources())->visibleFrame(), flipped({ 120, 900, 300, 30 }));
}

TEST_F(FocusedFieldTest, TextAreaDirectlyInAScrollAreaUsesItAsEditorFrame)
{
    field->attributes.insert(AX::role, QString(AX::textAreaRole));
    field->setFrame({ 120, 130, 300, 900 }); // taller than what shows
    placeInScrollArea(field, window, { 110, 120, 320, 200 }, 0);
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->visibleFrame(), flipped({ 120, 130, 300, 190 }));
    EXPECT_EQ(snapshot->editorFrame(), flipped({ 110, 120, 320, 200 }));

    // Scroll areas reaching out of the window are clipped by it.
    window->setFrame({ 100, 150, 600, 400 });
    EXPECT_EQ(FocusedField::current(sources())->editorFrame(), flipped({ 110, 150, 320, 170 }));
}

TEST_F(FocusedFieldTest, TextAreaDeeperInAScrollAreaKeepsItsVisibleFrame)
{
    field->attributes.insert(AX::role, QString(AX::textAreaRole));
    field->setFrame({ 120, 130, 300, 900 });
    placeInScrollArea(field, window, { 110, 120, 320, 200 }, 1);
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->visibleFrame(), flipped({ 120, 130, 300, 190 }));
    EXPECT_EQ(snapshot->editorFrame(), snapshot->visibleFrame());

    // A scroll area more than four ancestors up does not clip.
    placeInScrollArea(field, window, { 110, 120, 320, 200 }, 4);
    EXPECT_EQ(FocusedField::current(sources())->visibleFrame(), flipped({ 120, 130, 300, 370 }));
}

TEST_F(FocusedFieldTest, SmallerPlainAncestorClipsLikeAScrollArea)
{
    // Qt's shape: text area > viewport (plain container) > scroll area (plain container).
    field->attributes.insert(AX::role, QString(AX::textAreaRole));
    field->setFrame({ 120, 130, 300, 900 });
    auto viewport = FakeElement::make(QStringLiteral("AXFiller"));
    viewport->setFrame({ 120, 130, 310, 150 });
    viewport->setParent(window);
    field->setParent(viewport);
    auto application = FakeElement::make(QString(AX::applicationRole));
    application->setFrame({ 0, 0, 0, 0 });
    window->setParent(application);
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->visibleFrame(), flipped({ 120, 130, 300, 150 }));
    EXPECT_EQ(snapshot->editorFrame(), flipped({ 120, 130, 310, 150 }));

    // The sizeless application above a plain line edit clips nothing.
    field->attributes.insert(AX::role, QString(AX::textFieldRole));
    field->setFrame({ 120, 130, 300, 30 });
    field->setParent(window);
    EXPECT_EQ(FocusedField::current(sources())->visibleFrame(), flipped({ 120, 130, 300, 30 }));
}

TEST_F(FocusedFieldTest, ANotebookPageDoesNotClipByItsTab)
{
    // GTK: editor > filler > page tab (the box of the tab's label, above the page) > tab list.
    field->attributes.insert(AX::role, QString(AX::textAreaRole));
    field->setFrame({ 120, 130, 300, 200 });
    auto tabs = FakeElement::make(QStringLiteral("AXPageTabList"));
    tabs->setFrame({ 110, 100, 320, 240 });
    tabs->setParent(window);
    auto page = FakeElement::make(QString(AX::pageTabRole));
    page->setFrame({ 112, 102, 50, 26 });
    page->setParent(tabs);
    auto filler = FakeElement::make(QStringLiteral("AXFiller"));
    filler->setFrame({ 120, 130, 300, 200 });
    filler->setParent(page);
    field->setParent(filler);
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->visibleFrame(), flipped({ 120, 130, 300, 200 }));

    // Any other ancestor that small is a viewport showing none of the field.
    page->attributes.insert(AX::role, QStringLiteral("AXFiller"));
    EXPECT_FALSE(FocusedField::current(sources()));
}

TEST_F(FocusedFieldTest, BoundsOnlyForTextThatShows)
{
    field->attributes.insert(AX::role, QString(AX::textAreaRole));
    field->setFrame({ 120, 130, 300, 900 });
    placeInScrollArea(field, window, { 110, 120, 320, 200 }, 0);
    // Line n of the text sits at y = 130 + 20 n.
    field->boundsForRange = [](TextRange r) { return QRectF(125, 130 + 20 * r.location, 40, 18); };
    const auto snapshot = FocusedField::current(sources());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->bounds({ 2, 1 }), flipped({ 125, 170, 40, 18 }));
    EXPECT_EQ(snapshot->bounds({ 30, 1 }), std::nullopt); // scrolled out of view
    EXPECT_EQ(snapshot->rawBounds({ 30, 1 }), flipped({ 125, 730, 40, 18 }));

    field->boundsForRange = [](TextRange) { return QRectF(125, 140, 0, 0); };
    EXPECT_EQ(snapshot->bounds({ 0, 0 }), std::nullopt);
    EXPECT_EQ(snapshot->rawBounds({ 0, 0 }), flipped({ 125, 140, 0, 0 }));
    field->boundsForRange = [](TextRange) { return QRectF(125, 140, 0, 18); }; // a caret
    EXPECT_TRUE(snapshot->bounds({ 0, 0 }));
}

TEST_F(FocusedFieldTest, IdentityRefreshAndWebContent)
{
    const auto before = FocusedField::current(sources());
    ASSERT_TRUE(before);
    field->attributes.insert(AX::value, QStringLiteral("Hello world, again"));
    const auto after = FocusedField::current(sources());
    EXPECT_TRUE(before->isSameField(after));
    EXPECT_FALSE(before->isSameField(std::nullopt));
    accessibility.focused = FakeElement::make(QString(AX::textFieldRole));
    EXPECT_FALSE(before->isSameField(FocusedField::read(sources()).field));

    field->attributes.remove(AX::selectedTextRange);
    const auto fresh = before->refreshed();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->text(), QStringLiteral("Hello world, again"));
    EXPECT_EQ(fresh->selection(), (TextRange { 6, 5 }));
    field->attributes.remove(AX::value);
    EXPECT_FALSE(before->refreshed());

    // The web area is the twelfth element counting the field itself, then the thirteenth.
    const auto chain = [this](int containers) {
        auto web = FakeElement::make(QString(AX::webAreaRole));
        ElementRef parent = web;
        for (int i = 0; i < containers; ++i) {
            auto group = FakeElement::make(QStringLiteral("AXGroup"));
            group->setParent(parent);
            parent = group;
        }
        field->setParent(parent);
    };
    chain(10);
    EXPECT_TRUE(before->isWebContent());
    chain(11);
    EXPECT_FALSE(before->isWebContent());
}
