#pragma once
#include <cstdint>
#include <vector>
#include "layout/LayoutNode.h"
#include "layout/LayoutNodeRef.h"

// Places its children side by side in its orientation and distributes the
// length among them: fixed first, then relative, then greedy.
class LayoutGroup : public LayoutNode {
public:
    LayoutGroup(LayoutManager* owner, int32_t orientation, uint32_t modes, int32_t gap,
                int32_t border, int32_t size);

    // Appends the child unchanged.
    LayoutGroup& AddItem(const LayoutNodeRef& child);
    // Appends a child group with its own modes and size; a group of this
    // group's orientation is wrapped in one of the other orientation, so
    // groups alternate in direction down the tree.
    LayoutGroup& AddGroup(const LayoutNodeRef& child);

    int32_t PreferredWidth(int32_t base) const override;
    int32_t PreferredHeight(int32_t base) const override;
    int32_t MinWidth() const override;
    int32_t MaxWidth() const override;
    int32_t MinHeight() const override;
    int32_t MaxHeight() const override;
    bool ResizeTo(LayoutRect rect) override;

    const std::vector<LayoutNodeRef>& Children() const { return children_; }

    int32_t orientation;
    // Fixed length or percentage in the parent's direction.
    int32_t size;
    int32_t gap;
    int32_t border;

private:
    void AddGroupWith(const LayoutNodeRef& child, uint32_t childModes, int32_t childSize);
    int32_t Gaps() const;
    // Along the orientation: the sum of the children.
    int32_t SumMin(bool horizontal) const;
    int32_t SumMax(bool horizontal) const;
    // Across the orientation: the largest child, unless a fixed size is set.
    int32_t LargestMin(bool horizontal) const;
    int32_t LargestMax(bool horizontal) const;
    // Lays the children out one after another, `lengths` long, across the
    // whole of `rect` less the border.
    void PlaceChildren(const std::vector<int32_t>& lengths, LayoutRect rect) const;

    std::vector<LayoutNodeRef> children_;
};
