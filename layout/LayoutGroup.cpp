#include "layout/LayoutGroup.h"
#include <algorithm>
#include <cstdlib>
#include <memory>
#include "layout/LayoutModes.h"

namespace {

// The queries of one direction, so that a group's code is written once for
// both orientations.
struct Axis {
    bool horizontal;
    uint32_t fixedBit;
    uint32_t relativeBit;
    uint32_t fillBit;

    int32_t Preferred(const LayoutNode& n, int32_t base) const {
        return horizontal ? n.PreferredWidth(base) : n.PreferredHeight(base);
    }
    int32_t Min(const LayoutNode& n) const { return horizontal ? n.MinWidth() : n.MinHeight(); }
    int32_t Max(const LayoutNode& n) const { return horizontal ? n.MaxWidth() : n.MaxHeight(); }
};

constexpr Axis WIDTH{true, FIXED_WIDTH, RELATIVE_WIDTH, FILL_WIDTH};
constexpr Axis HEIGHT{false, FIXED_HEIGHT, RELATIVE_HEIGHT, FILL_HEIGHT};

const Axis& AxisOf(bool horizontal) { return horizontal ? WIDTH : HEIGHT; }

int32_t Percent(int32_t base, int32_t percent) {
    return static_cast<int32_t>(static_cast<int64_t>(base) * percent / 100);
}

enum class Kind { Fixed, Relative, Greedy };
enum class Clamp { None, AtMin, AtMax };

// One child's length while a group distributes its own.
struct Slot {
    Kind kind = Kind::Greedy;
    int32_t size = 0;
    int32_t min = 0;
    int32_t max = LAYOUT_UNBOUNDED;
    Clamp clamp = Clamp::None;
};

// Gives `wanted` to the slot unless it lies outside the slot's limits, in
// which case the slot is clamped and the difference added to `excess`.
void Offer(Slot& slot, int32_t wanted, int32_t& excess) {
    if (wanted < slot.min) {
        slot.size = slot.min;
        slot.clamp = Clamp::AtMin;
        excess += slot.min - wanted;
    } else if (slot.max != LAYOUT_UNBOUNDED && wanted > slot.max) {
        slot.size = slot.max;
        slot.clamp = Clamp::AtMax;
        excess += slot.max - wanted;
    } else {
        slot.size = wanted;
    }
}

// How a correction sweep deals with what proportional shares leave over.
enum class Remainder {
    // Once the excess is small, each child in turn is asked for all of it;
    // the sweeps end when one moves nothing.
    Whole,
    // Also when a share truncates to nothing, and a child is asked only for
    // what the sweep still owes: no sweep moves more than the excess, and
    // none stalls while children could still give.
    Owed,
};

// Takes a positive excess from, or gives a negative one to, the unclamped
// slots of one kind in proportion to their lengths. A slot that would fall
// below its minimum stops there and leaves the rest to the others; growing
// ignores maximums, as the excess has to go somewhere.
void SpreadExcess(std::vector<Slot>& slots, Kind kind, int32_t& excess, Remainder rule) {
    bool progress = true;
    while (excess != 0 && progress) {
        int64_t base = 0;
        for (const Slot& s : slots)
            if (s.kind == kind && s.clamp == Clamp::None && s.size > 0) base += s.size;
        if (base <= 0) return;

        progress = false;
        int32_t moved = 0;
        for (Slot& s : slots) {
            if (s.kind != kind || s.clamp != Clamp::None || s.size <= 0) continue;
            int32_t share = static_cast<int32_t>(s.size * static_cast<int64_t>(excess) / base);
            // Small remainders go whole to the first slot that can take them,
            // instead of being split into nothing.
            const bool small = std::abs(excess) <= LAYOUT_MIN_LENGTH;
            const bool last = rule == Remainder::Whole ? small : small || share == 0;
            if (last) share = rule == Remainder::Whole ? excess : excess - moved;
            if (s.size - share < s.min) {
                moved += s.size - s.min;
                s.size = s.min;
                s.clamp = Clamp::AtMin;
                progress = true;
            } else {
                s.size -= share;
                moved += share;
                if (share != 0) progress = true;
                if (last) break;
            }
        }
        excess -= moved;
        if (rule == Remainder::Whole) progress = moved != 0;
    }
}

// One pass of a group's distribution along its orientation.
struct Distribution {
    std::vector<Slot> slots;
    // Length not yet given to any child.
    int32_t available = 0;
    int32_t greedyCount = 0;
};

// Fixed children take their lengths as they are, even beyond their limits;
// the others are sorted into relative and greedy.
void TakeFixedLengths(Distribution& d, const std::vector<LayoutNodeRef>& children, const Axis& axis) {
    for (size_t i = 0; i < children.size(); ++i) {
        const LayoutNode& child = *children[i].Get();
        Slot& slot = d.slots[i];
        slot.min = axis.Min(child);
        slot.max = axis.Max(child);
        if (child.modes & axis.fixedBit) {
            slot.kind = Kind::Fixed;
            slot.size = axis.Preferred(child, 0);
            d.available -= slot.size;
        } else if (child.modes & axis.relativeBit) {
            slot.kind = Kind::Relative;
        } else {
            slot.kind = Kind::Greedy;
            ++d.greedyCount;
        }
    }
    d.available = std::max(d.available, 0);
}

// Percentages refer to what the fixed children left. Returns what the
// relative children could not give up to their limits.
int32_t OfferPercentages(Distribution& d, const std::vector<LayoutNodeRef>& children, const Axis& axis) {
    const int32_t base = d.available;
    int32_t excess = 0;
    int32_t slack = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        Slot& slot = d.slots[i];
        if (slot.kind != Kind::Relative) continue;
        const int32_t wanted = axis.Preferred(*children[i].Get(), base);
        Offer(slot, wanted, excess);
        if (slot.clamp == Clamp::None) slack += wanted - slot.min;
        d.available -= wanted;
    }
    // What the relative children cannot give up themselves comes from the
    // space they left unused, if it suffices.
    if (slack < excess && d.available >= excess - slack) {
        d.available -= excess - slack;
        excess = slack;
    }
    SpreadExcess(d.slots, Kind::Relative, excess, Remainder::Whole);
    return excess;
}

// The greedy children need at least their minimums: what is missing is taken
// back from the relative ones, down to their own minimums, so that children
// leave the group only when the minimums do not fit. Length that the
// relative children could not give up is not there; length freed by those
// held at a maximum is.
void SecureGreedyMinimums(Distribution& d, int32_t excess) {
    int32_t greedyMins = 0;
    for (const Slot& s : d.slots)
        if (s.kind == Kind::Greedy) greedyMins += std::max(s.min, 0);
    int32_t owed = greedyMins - (d.available - excess);
    d.available -= std::max(excess, 0);
    if (owed <= 0) return;
    // Those held at a limit may give back too.
    for (Slot& s : d.slots)
        if (s.kind == Kind::Relative) s.clamp = Clamp::None;
    const int32_t asked = owed;
    SpreadExcess(d.slots, Kind::Relative, owed, Remainder::Owed);
    d.available += asked - owed;
}

// The greedy children share the rest equally; the last takes the remainder.
void ShareAmongGreedy(Distribution& d) {
    int32_t excess = 0;
    int32_t remaining = d.greedyCount;
    for (Slot& slot : d.slots) {
        if (slot.kind != Kind::Greedy) continue;
        const int32_t share = remaining == 1 ? d.available : d.available / remaining;
        Offer(slot, share, excess);
        d.available -= share;
        --remaining;
    }
    SpreadExcess(d.slots, Kind::Greedy, excess, Remainder::Owed);
    // Still short: those held at their maximum give back down to their
    // minimum, or they would push the last child out of the group.
    if (excess > 0) {
        for (Slot& slot : d.slots)
            if (slot.kind == Kind::Greedy && slot.clamp == Clamp::AtMax) slot.clamp = Clamp::None;
        SpreadExcess(d.slots, Kind::Greedy, excess, Remainder::Owed);
    }
    // Space freed by children held at their maximum goes to those held at
    // their minimum, up to their own maximum.
    for (Slot& slot : d.slots) {
        if (excess >= 0) break;
        if (slot.kind != Kind::Greedy || slot.clamp != Clamp::AtMin) continue;
        const int32_t room = slot.max == LAYOUT_UNBOUNDED ? -excess : std::min(slot.max - slot.min, -excess);
        slot.size += room;
        excess += room;
    }
}

// Without greedy children, spare length goes to fixed children that ask to
// fill it, equally; the last takes the remainder.
void FillSpareLength(Distribution& d, const std::vector<LayoutNodeRef>& children, const Axis& axis) {
    if (d.available <= 0) return;
    const auto fills = [&axis](uint32_t m) { return (m & axis.fixedBit) && (m & axis.fillBit); };
    int32_t fillCount = 0;
    for (const LayoutNodeRef& c : children)
        if (fills(c->modes)) ++fillCount;
    for (size_t i = 0; i < children.size() && fillCount > 0; ++i) {
        if (!fills(children[i]->modes)) continue;
        const int32_t extra = fillCount == 1 ? d.available : d.available / fillCount;
        d.slots[i].size += extra;
        d.available -= extra;
        --fillCount;
    }
}

}  // namespace

LayoutGroup::LayoutGroup(LayoutManager* owner, int32_t orientation, uint32_t modes, int32_t gap,
                         int32_t border, int32_t size)
    : LayoutNode(owner, modes), orientation(orientation), size(size), gap(gap), border(border) {}

LayoutGroup& LayoutGroup::AddItem(const LayoutNodeRef& child) {
    if (child) children_.push_back(child);
    return *this;
}

LayoutGroup& LayoutGroup::AddGroup(const LayoutNodeRef& child) {
    const LayoutGroup* group = child.As<LayoutGroup>();
    if (!group) return AddItem(child);
    AddGroupWith(child, group->modes, group->size);
    return *this;
}

void LayoutGroup::AddGroupWith(const LayoutNodeRef& child, uint32_t childModes, int32_t childSize) {
    LayoutGroup* group = child.As<LayoutGroup>();
    if (group->orientation == orientation) {
        LayoutNodeRef wrapper(std::make_unique<LayoutGroup>(
            owner, orientation == HORIZONTAL ? VERTICAL : HORIZONTAL, 0u, 0, 0, 0));
        wrapper.As<LayoutGroup>()->AddItem(child);
        AddGroupWith(wrapper, childModes, childSize);
        return;
    }
    group->modes = childModes;
    const Axis& axis = AxisOf(orientation == HORIZONTAL);
    if (childModes & axis.fixedBit) {
        // A wrapper must carry its child's fixed length, or it would be laid
        // out with none.
        group->size = childSize != 0 ? childSize : axis.Min(*group);
    } else if (childModes & axis.relativeBit) {
        group->size = childSize;
    }
    children_.push_back(child);
}

int32_t LayoutGroup::Gaps() const {
    return children_.empty() ? 0 : gap * static_cast<int32_t>(children_.size() - 1);
}

int32_t LayoutGroup::SumMin(bool horizontal) const {
    const Axis& axis = AxisOf(horizontal);
    int32_t sum = 0;
    for (const LayoutNodeRef& c : children_) sum += std::max(axis.Min(*c.Get()), LAYOUT_MIN_LENGTH);
    return sum + Gaps() + 2 * border;
}

int32_t LayoutGroup::SumMax(bool horizontal) const {
    if (children_.empty()) return LAYOUT_UNBOUNDED;
    const Axis& axis = AxisOf(horizontal);
    int32_t sum = 0;
    for (const LayoutNodeRef& c : children_) {
        const int32_t max = axis.Max(*c.Get());
        if (max == LAYOUT_UNBOUNDED) return LAYOUT_UNBOUNDED;
        // Counted as the minimum counts it, or a spacer's fixed 0 would leave
        // the group a maximum below its minimum.
        sum += std::max(max, LAYOUT_MIN_LENGTH);
    }
    return sum + Gaps() + 2 * border;
}

int32_t LayoutGroup::LargestMin(bool horizontal) const {
    const Axis& axis = AxisOf(horizontal);
    if ((modes & axis.fixedBit) && size != 0) return size;
    int32_t largest = 0;
    for (const LayoutNodeRef& c : children_) largest = std::max(largest, axis.Min(*c.Get()));
    return largest + 2 * border;
}

int32_t LayoutGroup::LargestMax(bool horizontal) const {
    const Axis& axis = AxisOf(horizontal);
    if ((modes & axis.fixedBit) && size != 0) return size;
    if (children_.empty()) return LAYOUT_UNBOUNDED;
    int32_t largest = 0;
    for (const LayoutNodeRef& c : children_) {
        const int32_t max = axis.Max(*c.Get());
        if (max == LAYOUT_UNBOUNDED) return LAYOUT_UNBOUNDED;
        largest = std::max(largest, max);
    }
    return largest + 2 * border;
}

int32_t LayoutGroup::PreferredWidth(int32_t base) const {
    if (modes & RELATIVE_WIDTH) return Percent(base, size);
    return (modes & FIXED_WIDTH) ? size : 0;
}

int32_t LayoutGroup::PreferredHeight(int32_t base) const {
    if (modes & RELATIVE_HEIGHT) return Percent(base, size);
    return (modes & FIXED_HEIGHT) ? size : 0;
}

int32_t LayoutGroup::MinWidth() const {
    return orientation == HORIZONTAL ? SumMin(true) : LargestMin(true);
}

int32_t LayoutGroup::MaxWidth() const {
    return orientation == HORIZONTAL ? SumMax(true) : LargestMax(true);
}

int32_t LayoutGroup::MinHeight() const {
    return orientation == VERTICAL ? SumMin(false) : LargestMin(false);
}

int32_t LayoutGroup::MaxHeight() const {
    return orientation == VERTICAL ? SumMax(false) : LargestMax(false);
}

bool LayoutGroup::ResizeTo(LayoutRect rect) {
    const bool horizontal = orientation == HORIZONTAL;
    const Axis& axis = AxisOf(horizontal);
    Distribution d;
    d.slots.resize(children_.size());
    d.available = (horizontal ? rect.Width() : rect.Height()) - 2 * border - Gaps();
    TakeFixedLengths(d, children_, axis);
    const int32_t excess = OfferPercentages(d, children_, axis);
    SecureGreedyMinimums(d, excess);
    ShareAmongGreedy(d);
    FillSpareLength(d, children_, axis);
    std::vector<int32_t> lengths;
    for (const Slot& slot : d.slots) lengths.push_back(slot.size);
    PlaceChildren(lengths, rect);
    return true;
}

void LayoutGroup::PlaceChildren(const std::vector<int32_t>& lengths, LayoutRect rect) const {
    const bool horizontal = orientation == HORIZONTAL;
    if (horizontal) {
        rect.top += border;
        rect.bottom -= border;
    } else {
        rect.left += border;
        rect.right -= border;
    }
    int32_t position = (horizontal ? rect.left : rect.top) + border;
    for (size_t i = 0; i < children_.size(); ++i) {
        LayoutRect cell = rect;
        if (horizontal) {
            cell.left = position;
            cell.right = position + lengths[i];
        } else {
            cell.top = position;
            cell.bottom = position + lengths[i];
        }
        children_[i]->ResizeTo(cell);
        position += lengths[i] + gap;
    }
}
