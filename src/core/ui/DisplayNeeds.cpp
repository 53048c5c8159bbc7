#include "core/ui/DisplayNeeds.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kestrel {
namespace {

struct State {
    bool pending = true;  // nothing has been drawn yet
    int drawing = 0;
    std::vector<std::pair<const void*, std::function<void()>>> observers;
};

State& state() {
    static State shared;
    return shared;
}

}  // namespace

void DisplayNeeds::note() {
    State& s = state();
    if (s.drawing > 0 || s.pending) return;
    s.pending = true;
    announce();
}

void DisplayNeeds::announce() {
    const State& s = state();
    // A copy: an observer may remove itself (a window closing) when told.
    const auto observers = s.observers;
    for (const auto& [owner, observer] : observers)
        observer();
}

bool DisplayNeeds::pending() { return state().pending; }

void DisplayNeeds::addObserver(const void* owner, std::function<void()> observer) {
    removeObserver(owner);
    state().observers.emplace_back(owner, std::move(observer));
}

void DisplayNeeds::removeObserver(const void* owner) {
    std::erase_if(state().observers, [owner](const auto& entry) { return entry.first == owner; });
}

DisplayNeeds::Drawing::Drawing() { ++state().drawing; }

DisplayNeeds::Drawing::~Drawing() {
    State& s = state();
    if (--s.drawing == 0) s.pending = false;
}

}  // namespace kestrel
