#include "core/ui/AlertView.h"

#include "core/ui/DisplayNeeds.h"

#include <deque>

namespace kestrel {
namespace {

std::deque<std::shared_ptr<AlertView>>& queue() {
    static std::deque<std::shared_ptr<AlertView>> alerts;
    return alerts;
}

}  // namespace

AlertView::AlertView(Kind kind, std::string title, std::string message,
                     std::optional<std::string> cancelButton,
                     std::optional<std::string> destructiveButton,
                     std::vector<std::string> otherButtons)
    : kind_(kind), title_(std::move(title)), message_(std::move(message)) {
    if (destructiveButton) {
        destructiveIndex_ = static_cast<int>(buttons_.size());
        buttons_.push_back(*destructiveButton);
    }
    for (auto& other : otherButtons)
        buttons_.push_back(std::move(other));
    if (cancelButton) {
        cancelIndex_ = static_cast<int>(buttons_.size());
        buttons_.push_back(*cancelButton);
    }
}

int AlertView::defaultButtonIndex() const {
    if (cancelIndex_ >= 0) return cancelIndex_;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        if (!isDestructive(i)) return i;
    return -1;
}

void AlertView::show(std::shared_ptr<AlertView> alert, Handler handler) {
    if (!alert) return;
    alert->handler_ = std::move(handler);
    queue().push_back(std::move(alert));
    DisplayNeeds::announce();  // the window shows it
}

std::shared_ptr<AlertView> AlertView::pending() {
    return queue().empty() ? nullptr : queue().front();
}

void AlertView::answer(int buttonIndex) {
    if (queue().empty()) return;
    const std::shared_ptr<AlertView> alert = queue().front();
    queue().pop_front();
    if (alert->handler_) alert->handler_(buttonIndex);
}

void AlertView::clearPending() { queue().clear(); }

}  // namespace kestrel
