#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// An alert or an action sheet waiting for the user's answer. Shown alerts
// queue up here; the renderer presents the oldest and answers it with the
// index of the chosen button (buttons in the order given: the destructive
// one first, then the others, the cancel one last).
//
// The description says which button is which, so that no window makes the
// destructive choice the easy one: the cancel button is what Escape (or
// closing the dialog) answers, and the default button, what Return answers,
// is never the destructive one.
class AlertView {
public:
    enum class Kind { kAlert, kActionSheet };
    using Handler = std::function<void(int buttonIndex)>;

    AlertView(Kind kind, std::string title, std::string message,
              std::optional<std::string> cancelButton, std::optional<std::string> destructiveButton,
              std::vector<std::string> otherButtons = {});

    Kind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    // Every button's title, in index order.
    const std::vector<std::string>& buttons() const { return buttons_; }
    int cancelButtonIndex() const { return cancelIndex_; }
    int destructiveButtonIndex() const { return destructiveIndex_; }
    // The button Return picks: the cancel button; without one, the first
    // button that is not destructive; -1 when every button is destructive.
    int defaultButtonIndex() const;
    bool isDestructive(int buttonIndex) const { return buttonIndex == destructiveIndex_; }

    // Queues it for the renderer; the handler receives the answer.
    static void show(std::shared_ptr<AlertView> alert, Handler handler);
    // The oldest alert not yet answered, or none.
    static std::shared_ptr<AlertView> pending();
    // The user's answer to the oldest alert: removes it and tells its handler.
    static void answer(int buttonIndex);
    static void clearPending();

private:
    Kind kind_;
    std::string title_;
    std::string message_;
    std::vector<std::string> buttons_;
    int cancelIndex_ = -1;
    int destructiveIndex_ = -1;
    Handler handler_;
};

}  // namespace kestrel
