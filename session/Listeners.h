#pragma once

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace ovena {

// The listeners of one event, told in the order they were added. A listener may add or remove
// listeners while it is told: the ones told are those present when the event began.
template <class... Args> class Listeners {
public:
    using Handler = std::function<void(Args...)>;
    using Id = int;

    Id Add(Handler handler) {
        handlers_.emplace_back(++lastId_, std::move(handler));
        return lastId_;
    }
    void Remove(Id id) {
        std::erase_if(handlers_, [id](const auto& entry) { return entry.first == id; });
    }
    void Notify(Args... args) const {
        const auto told = handlers_;
        for (const auto& [id, handler] : told)
            if (present(id))
                handler(args...);
    }

private:
    bool present(Id id) const {
        return std::any_of(handlers_.begin(), handlers_.end(),
                           [id](const auto& entry) { return entry.first == id; });
    }

    std::vector<std::pair<Id, Handler>> handlers_;
    Id lastId_ = 0;
};

} // namespace ovena
