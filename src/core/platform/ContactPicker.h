#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// The address book: lets the user pick one person, showing their e-mail
// addresses. Available only where the desktop has an address book.
class ContactPicker {
public:
    struct Person {
        std::optional<std::string> firstName;
        std::vector<std::string> emails;
    };
    // The picked person, or none when the user cancelled.
    using Handler = std::function<void(const std::optional<Person>& person)>;

    virtual ~ContactPicker() = default;
    virtual bool isAvailable() const = 0;
    virtual void pickPerson(Handler handler) = 0;
};

}  // namespace kestrel
