#include "platform/FocusSearch.h"

#include "Printers.h"

#include <QString>

#include <gtest/gtest.h>

#include <vector>

using namespace quillcraft;

namespace {

// A tree node that counts how often it is asked for its states.
struct Tree {
    QString name;
    FocusNode::States states;
    bool text = false;
    std::vector<std::shared_ptr<Tree>> children;
    mutable int reads = 0;
};

std::shared_ptr<Tree> node(const QString& name, FocusNode::States states = { false, true, false, false },
    std::vector<std::shared_ptr<Tree>> children = {}, bool text = false)
{
    return std::make_shared<Tree>(Tree { name, states, text, std::move(children) });
}

constexpr FocusNode::States focusedText { true, true, true, false };
constexpr FocusNode::States focusedItem { true, true, false, false };
constexpr FocusNode::States hidden { false, false, false, false };
constexpr FocusNode::States shown { false, true, false, false };

class FakeNode final : public FocusNode {
public:
    explicit FakeNode(std::shared_ptr<Tree> tree)
        : m_tree(std::move(tree))
    {
    }
    std::optional<States> states() const override
    {
        ++m_tree->reads;
        return m_tree->states;
    }
    bool hasText() const override { return m_tree->text; }
    int childCount() const override { return int(m_tree->children.size()); }
    std::unique_ptr<FocusNode> child(int index) const override
    {
        return std::make_unique<FakeNode>(m_tree->children.at(std::size_t(index)));
    }
    QString name() const { return m_tree->name; }

private:
    std::shared_ptr<Tree> m_tree;
};

QString found(const std::shared_ptr<Tree>& window, FocusSearch::Limits limits = {})
{
    const std::shared_ptr<FocusNode> result = FocusSearch(limits).find(std::make_shared<FakeNode>(window));
    return result ? static_cast<const FakeNode&>(*result).name() : QStringLiteral("(none)");
}

} // namespace

TEST(FocusSearchTest, TheDeepestFocusedElementWithTextWinsOverFocusedItemsBesideIt)
{
    // KWrite: status-bar buttons, the tab and two fillers claim focus too; the
    // editor (text, no EditableText) is deepest.
    const auto window = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("status"), focusedItem, { node(QStringLiteral("INSERT"), focusedItem) }),
            node(QStringLiteral("filler"), focusedItem,
                { node(QStringLiteral("inner"), focusedItem,
                    { node(QStringLiteral("editor"), { true, true, true, false }, {}, true) }) }) });
    EXPECT_EQ(found(window), QStringLiteral("editor"));
    // A read-only focused text nested in a focused text: the deeper one.
    const auto nested = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("outer"), focusedItem, { node(QStringLiteral("inner"), focusedItem, {}, true) }, true) });
    EXPECT_EQ(found(nested), QStringLiteral("inner"));
    // No text anywhere: the first focused element, so the caller can say why it is no field.
    const auto buttons = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("first"), focusedItem), node(QStringLiteral("second"), focusedItem) });
    EXPECT_EQ(found(buttons), QStringLiteral("first"));
    EXPECT_EQ(found(node(QStringLiteral("window"))), QStringLiteral("(none)"));
}

TEST(FocusSearchTest, AnEditableFocusedTextEndsTheSearch)
{
    const auto later = node(QStringLiteral("later"));
    const auto window
        = node(QStringLiteral("window"), shown, { node(QStringLiteral("field"), focusedText, {}, true), later });
    EXPECT_EQ(found(window), QStringLiteral("field"));
    EXPECT_EQ(later->reads, 0);
}

TEST(FocusSearchTest, ChildrenNotMarkedShowingAreSearchedOnlyWhenTheShowingOnesHoldNoText)
{
    // GTK 4.8: only the window is SHOWING.
    const auto gtk4 = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("panel"), { false, false, false, false },
            { node(QStringLiteral("view"), { true, false, true, false }, {}, true) }) });
    EXPECT_EQ(found(gtk4), QStringLiteral("view"));
    // A hidden page's stale focus loses to the field on screen, wherever it comes first.
    const auto pages = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("hidden page"), hidden,
              { node(QStringLiteral("stale"), { true, false, true, false }, {}, true) }),
            node(QStringLiteral("shown page"), shown, { node(QStringLiteral("field"), focusedText, {}, true) }) });
    EXPECT_EQ(found(pages), QStringLiteral("field"));
    // Where SHOWING works (a focused button on screen), the hidden rest is not walked.
    const auto offscreen = node(QStringLiteral("offscreen"), hidden);
    const auto button = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("button"), focusedItem), node(QStringLiteral("tab"), hidden, { offscreen }) });
    EXPECT_EQ(found(button), QStringLiteral("button"));
    EXPECT_EQ(offscreen->reads, 0);
}

TEST(FocusSearchTest, OnlySmallDescendantManagingContainersAreEntered)
{
    constexpr FocusNode::States managing { false, true, true, true };
    // LibreOffice's document text holds its visible paragraphs.
    const auto writer = node(QStringLiteral("window"), shown,
        { node(QStringLiteral("document"), managing,
            { node(QStringLiteral("heading")), node(QStringLiteral("paragraph"), focusedText, {}, true) }) });
    EXPECT_EQ(found(writer), QStringLiteral("paragraph"));
    // A long list is not walked row by row.
    std::vector<std::shared_ptr<Tree>> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back(node(QStringLiteral("row")));
    rows.push_back(node(QStringLiteral("focused row"), focusedText, {}, true));
    const auto list = node(QStringLiteral("window"), shown, { node(QStringLiteral("list"), managing, rows) });
    EXPECT_EQ(found(list, { 400, 40, 5 }), QStringLiteral("(none)"));
    EXPECT_EQ(rows.front()->reads, 0);
}

TEST(FocusSearchTest, BoundedInNodesAndDepth)
{
    // A chain deeper than the limit: the field at its end is not reached.
    auto deepest = node(QStringLiteral("field"), focusedText, {}, true);
    for (int i = 0; i < 10; ++i)
        deepest = node(QStringLiteral("level"), shown, { deepest });
    EXPECT_EQ(found(deepest, { 400, 5, 100 }), QStringLiteral("(none)"));
    EXPECT_EQ(found(deepest, { 400, 40, 100 }), QStringLiteral("field"));
    EXPECT_EQ(found(deepest, { 6, 40, 100 }), QStringLiteral("(none)"));
}
