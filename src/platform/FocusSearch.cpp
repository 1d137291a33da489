#include "FocusSearch.h"

namespace quillcraft {

struct FocusSearch::Pass {
    bool showingOnly = true;
    int budget = 0;
    std::shared_ptr<FocusNode> text;
    int textDepth = -1;
    std::shared_ptr<FocusNode> other;
    // An editable focused element with text is the field: nothing else is looked at.
    bool done = false;
};

FocusSearch::FocusSearch(Limits limits)
    : m_limits(limits)
{
}

std::shared_ptr<FocusNode> FocusSearch::find(const std::shared_ptr<FocusNode>& window) const
{
    if (!window)
        return nullptr;
    for (const bool showingOnly : { true, false }) {
        Pass pass;
        pass.showingOnly = showingOnly;
        pass.budget = m_limits.maxNodes;
        walk(window, 0, pass);
        if (pass.text)
            return std::move(pass.text);
        // SHOWING evidently works here: the hidden rest is not worth its cost.
        if (pass.other)
            return std::move(pass.other);
    }
    return nullptr;
}

void FocusSearch::walk(const std::shared_ptr<FocusNode>& node, int depth, Pass& pass) const
{
    if (pass.done || --pass.budget < 0 || depth > m_limits.maxDepth)
        return;
    const std::optional<FocusNode::States> states = node->states();
    if (!states || (depth > 0 && pass.showingOnly && !states->showing))
        return;
    if (states->focused) {
        if (!node->hasText()) {
            if (!pass.other)
                pass.other = node;
        } else if (depth > pass.textDepth) {
            pass.textDepth = depth;
            pass.done = states->editable;
            pass.text = node;
        }
    }
    if (pass.done)
        return;
    const int count = node->childCount();
    if (states->managesDescendants && count > m_limits.maxManagedChildren)
        return;
    for (int i = 0; i < count && !pass.done; ++i) {
        if (const std::shared_ptr<FocusNode> child = node->child(i))
            walk(child, depth + 1, pass);
    }
}

} // namespace quillcraft
