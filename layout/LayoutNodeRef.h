#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include "layout/LayoutNode.h"

// Counted reference to a heap node; the last reference destroys the node.
class LayoutNodeRef {
public:
    LayoutNodeRef() = default;
    explicit LayoutNodeRef(std::unique_ptr<LayoutNode> node)
        : holder_(node ? new Holder(std::move(node)) : nullptr) {}
    LayoutNodeRef(const LayoutNodeRef& other) : holder_(other.holder_) { Acquire(); }
    LayoutNodeRef(LayoutNodeRef&& other) noexcept : holder_(other.holder_) { other.holder_ = nullptr; }
    ~LayoutNodeRef() { Release(); }

    LayoutNodeRef& operator=(const LayoutNodeRef& other) {
        // Acquire before release: assigning a reference to its own node must
        // not destroy it.
        Holder* previous = holder_;
        holder_ = other.holder_;
        Acquire();
        ReleaseHolder(previous);
        return *this;
    }
    LayoutNodeRef& operator=(LayoutNodeRef&& other) noexcept {
        if (this != &other) {
            Holder* previous = holder_;
            holder_ = other.holder_;
            other.holder_ = nullptr;
            ReleaseHolder(previous);
        }
        return *this;
    }

    void Reset() { Release(); }

    LayoutNode* Get() const { return holder_ ? holder_->node.get() : nullptr; }
    LayoutNode* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

    // Null when the node is not a T.
    template <class T>
    T* As() const { return dynamic_cast<T*>(Get()); }

    // Number of references sharing the node; 0 for a null reference.
    int32_t Count() const { return holder_ ? holder_->count.load() : 0; }

private:
    struct Holder {
        explicit Holder(std::unique_ptr<LayoutNode> n) : node(std::move(n)), count(1) {}
        std::unique_ptr<LayoutNode> node;
        std::atomic<int32_t> count;
    };

    void Acquire() {
        if (holder_) holder_->count.fetch_add(1);
    }
    void Release() {
        Holder* previous = holder_;
        holder_ = nullptr;
        ReleaseHolder(previous);
    }
    static void ReleaseHolder(Holder* holder) {
        if (holder && holder->count.fetch_sub(1) - 1 <= 0) delete holder;
    }

    Holder* holder_ = nullptr;
};
