#pragma once

#include "core/about/AboutTableViewCell.h"
#include "core/about/AppInfo.h"
#include "core/platform/ContactPicker.h"
#include "core/platform/UrlOpener.h"
#include "core/settingsui/ImageTableViewCell.h"
#include "core/ui/TableViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// "About Kestrel": name and version, a mail to support, a tell-a-friend mail
// to a contact from the address book (where there is one), and the maker's
// other applications found in the resources' "Apps" folder, each opening
// its store page.
class AboutController : public TableViewController {
public:
    static constexpr const char* kMoreAppsHeader = "More Apps from Orvanta";

    // `contacts` may be none (no address book); `appsFolder` is the "Apps" folder.
    AboutController(AppIdentity identity, UrlOpener& urls, ContactPicker* contacts,
                    std::string appsFolder);

    void viewDidLoad() override { loadInfo(); }
    void viewWillAppear(bool) override { loadInfo(); }
    void loadInfo();

    int numberOfSections(TableView& table) override;
    int numberOfRows(TableView& table, int section) override;
    std::optional<std::string> titleForHeader(TableView& table, int section) override;
    float heightForRow(TableView& table, IndexPath path) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, IndexPath path) override;
    void didSelectRow(TableView& table, IndexPath path) override;

    // The tell-a-friend answer of the address book: none when cancelled.
    void pickedPerson(const std::optional<ContactPicker::Person>& person);
    void done();
    void close();

    // Percent-escapes everything but letters, digits and "-._~", as UTF-8.
    static std::string percentEscape(const std::string& text);

    const std::vector<AppInfo>& apps() const { return apps_ ? *apps_ : noApps_; }
    AboutTableViewCell& aboutCell() { return *aboutCell_; }
    ImageTableViewCell& emailCell() { return *emailCell_; }
    ImageTableViewCell& recommendCell() { return *recommendCell_; }

private:
    bool hasPicker() const { return contacts_ && contacts_->isAvailable(); }
    void loadApps();

    AppIdentity identity_;
    UrlOpener* urls_;
    ContactPicker* contacts_;
    std::string appsFolder_;
    std::shared_ptr<AboutTableViewCell> aboutCell_;
    std::shared_ptr<ImageTableViewCell> emailCell_;
    std::shared_ptr<ImageTableViewCell> reviewCell_;
    std::shared_ptr<ImageTableViewCell> recommendCell_;
    std::shared_ptr<ImageTableViewCell> appTemplateCell_;
    std::optional<std::vector<AppInfo>> apps_;
    std::vector<AppInfo> noApps_;
};

}  // namespace kestrel
