#pragma once

#include <memory>
#include <optional>

namespace quillcraft {

// One element of another application's tree as the search for the focused
// element sees it. Each call may be a round trip to that application.
class FocusNode {
public:
    struct States {
        bool focused = false;
        bool showing = false;
        bool editable = false;
        bool managesDescendants = false;
    };

    virtual ~FocusNode() = default;
    // Absent when they cannot be read: the node and what is below it are skipped.
    virtual std::optional<States> states() const = 0;
    virtual bool hasText() const = 0;
    virtual int childCount() const = 0;
    // Null when the child cannot be had.
    virtual std::unique_ptr<FocusNode> child(int index) const = 0;

protected:
    FocusNode() = default;
    FocusNode(const FocusNode&) = default;
    FocusNode& operator=(const FocusNode&) = default;
};

// Finds the focused element below a window when no event said which it is.
// Toolkits disagree on what FOCUSED and SHOWING mean, so:
// - the deepest focused element with text wins (KDE's editors mark a dozen
//   status-bar items FOCUSED beside the editor); an editable one ends the search;
//   without any, the first focused element is the answer;
// - a first pass enters only children marked SHOWING, a second one, when that
//   found nothing focused, the others too (GTK 4 marks only its windows SHOWING);
// - a container that manages its descendants is entered only when it has at most
//   `maxManagedChildren` (a document's visible paragraphs in LibreOffice, not a
//   table's thousands of rows).
class FocusSearch final {
public:
    struct Limits {
        // Nodes one pass may look at, far above the 4-8 a focused field usually costs.
        int maxNodes = 400;
        int maxDepth = 40;
        int maxManagedChildren = 100;
    };

    explicit FocusSearch(Limits limits);
    FocusSearch()
        : FocusSearch(Limits {})
    {
    }

    // The focused element below (or at) the window; null when none is.
    std::shared_ptr<FocusNode> find(const std::shared_ptr<FocusNode>& window) const;

private:
    struct Pass;
    void walk(const std::shared_ptr<FocusNode>& node, int depth, Pass& pass) const;

    Limits m_limits;
};

} // namespace quillcraft
