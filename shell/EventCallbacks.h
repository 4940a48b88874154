// Ordered callback lists for input events. A callback answers whether it consumed the event; dispatch stops at the
// first one that does, and only when none does does the application's own hook see the event.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "shell/Events.h"

namespace vornix {

template <class E> class CallbackList {
public:
    using Callback = std::function<bool(E)>;

    // Appends a callback; its id is one more than the last entry's id, 0 for the first.
    int add(Callback callback)
    {
        const int id = entries_.empty() ? 0 : entries_.back().first + 1;
        entries_.emplace_back(id, std::move(callback));
        return id;
    }

    void remove(int id)
    {
        std::erase_if(entries_, [id](const auto& entry) { return entry.first == id; });
    }

    // Calls the callbacks in list order; true as soon as one consumes the event.
    bool dispatch(const E& event) const
    {
        for (const auto& entry : entries_)
            if (entry.second(event))
                return true;
        return false;
    }

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

private:
    std::vector<std::pair<int, Callback>> entries_;
};

// The eight lists an application holds.
struct EventCallbacks {
    CallbackList<MouseEvent> mouseDown, mouseUp, mouseWheel, mouseMove, mouseDrag;
    CallbackList<KeyEvent> keyDown, keyUp;
    CallbackList<ResizeEvent> resize;
};

} // namespace vornix
