#include "core/about/AboutController.h"

#include "core/imaging/ImageFile.h"
#include "core/platform/Log.h"
#include "core/platform/NotificationCenter.h"
#include "core/ui/AlertView.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kestrel {
namespace {

std::shared_ptr<ImageTableViewCell> imageRow(const std::string& text, const std::string& image) {
    auto cell = ImageTableViewCell::initWithIdentifier("");
    cell->setText(text);
    cell->imageView()->setImageName(image);
    cell->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    return cell;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

AboutController::AboutController(AppIdentity identity, UrlOpener& urls, ContactPicker* contacts,
                                 std::string appsFolder)
    : TableViewController(TableView::Style::kGrouped),
      identity_(std::move(identity)),
      urls_(&urls),
      contacts_(contacts),
      appsFolder_(std::move(appsFolder)),
      aboutCell_(std::make_shared<AboutTableViewCell>()),
      emailCell_(imageRow("Email Support", "About_Mail.png")),
      reviewCell_(imageRow("Write a Review", "About_Star.png")),
      recommendCell_(imageRow("Tell a Friend", "About_Friend.png")) {
    aboutCell_->awakeFromNib(identity_);
    appTemplateCell_ = std::make_shared<ImageTableViewCell>(Rect{0, 0, 300, 62}, "app_cell");
    appTemplateCell_->setLabel(std::make_shared<Label>(Rect{62, 4, 220, 22}));
    appTemplateCell_->setSubLabel(std::make_shared<Label>(Rect{62, 26, 220, 32}));
    appTemplateCell_->setImageView(std::make_shared<ImageView>(Rect{8, 7, 48, 48}));
    appTemplateCell_->setAccessory(TableViewCell::Accessory::kDisclosureIndicator);
    setDoneButton([this] { done(); });
}

void AboutController::loadInfo() {
    for (ImageTableViewCell* cell :
         {emailCell_.get(), reviewCell_.get(), recommendCell_.get(), appTemplateCell_.get()})
        if (cell->label()) cell->label()->setFont(Font{17, true});
    appTemplateCell_->subLabel()->setFont(Font{12, false});
    setTitle("About " + identity_.displayName);
    if (!apps_) loadApps();
}

void AboutController::loadApps() {
    apps_.emplace();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(appsFolder_, ec)) {
        AppInfo app;
        app.appName = entry.path().filename().string();
        std::error_code inner;
        for (const auto& file : std::filesystem::directory_iterator(entry.path(), inner)) {
            const std::string name = file.path().filename().string();
            if (name.size() > 4 && name.ends_with(".png")) {
                app.appId = name.substr(0, name.size() - 4);
            } else if (name.ends_with(".txt")) {
                std::ifstream in(file.path(), std::ios::binary);
                std::ostringstream text;
                text << in.rdbuf();
                app.description = in ? text.str() : std::string();
            }
        }
        if (app.appId != identity_.storeId) apps_->push_back(std::move(app));
    }
    if (ec) Log::info("about: no related applications at " + appsFolder_ + ": " + ec.message());
}

int AboutController::numberOfSections(TableView&) { return apps().empty() ? 1 : 2; }

int AboutController::numberOfRows(TableView&, int section) {
    if (section == 0) return hasPicker() ? 3 : 2;
    if (section == 1) return static_cast<int>(apps().size());
    return 0;
}

std::optional<std::string> AboutController::titleForHeader(TableView&, int section) {
    if (section == 1 && !apps().empty()) return std::string(kMoreAppsHeader);
    return std::nullopt;
}

float AboutController::heightForRow(TableView&, IndexPath path) {
    if (path.section == 0) return path.row == 0 ? 120.0f : 44.0f;
    return 62.0f;
}

std::shared_ptr<TableViewCell> AboutController::cellForRow(TableView& table, IndexPath path) {
    if (path.section == 0) {
        switch (path.row) {
            case 0:
                return aboutCell_;
            case 1:
                return emailCell_;
            case 2:
                return recommendCell_;
            default:
                return nullptr;
        }
    }
    if (path.section != 1 || path.row < 0 || path.row >= static_cast<int>(apps().size()))
        return nullptr;
    auto cell =
        std::dynamic_pointer_cast<ImageTableViewCell>(table.dequeueReusableCell("app_cell"));
    if (!cell)
        cell = std::static_pointer_cast<ImageTableViewCell>(
            appTemplateCell_->copyWithIdentifier("app_cell"));
    const AppInfo& app = apps()[static_cast<std::size_t>(path.row)];
    cell->setText(app.appName);
    if (cell->subLabel()) cell->subLabel()->setText(app.description);
    const auto icon = ImageFile::read(app.iconPath(appsFolder_));
    cell->setImage(icon ? *icon : Image());
    return cell;
}

void AboutController::didSelectRow(TableView& table, IndexPath path) {
    table.deselectRow(path, true);
    if (path.section == 0 && path.row == 1) {
        urls_->openUrl("mailto:" + identity_.supportMail +
                       "?subject=" + replaceAll(identity_.displayName, " ", "%20"));
    } else if (path.section == 0 && path.row == 2 && hasPicker()) {
        contacts_->pickPerson(
            [this](const std::optional<ContactPicker::Person>& person) { pickedPerson(person); });
    } else if (path.section == 1 && path.row >= 0 && path.row < static_cast<int>(apps().size())) {
        urls_->openUrl(apps()[static_cast<std::size_t>(path.row)].iTunesPath(identity_));
    }
}

void AboutController::pickedPerson(const std::optional<ContactPicker::Person>& person) {
    if (!person) return;  // cancelled
    if (person->emails.empty()) {
        AlertView::show(std::make_shared<AlertView>(AlertView::Kind::kAlert, "Error",
                                                    "Please pick a person with an email address.",
                                                    "OK", std::nullopt),
                        nullptr);
        return;
    }
    const std::string& recipient = person->emails.front();
    const std::string greeting = person->firstName.value_or("");
    const std::string body = "Hi " + greeting +
                             ",\r\n\r\nYou may find this app interesting.\r\n\r\n" +
                             identity_.storePage(identity_.storeId, false);
    urls_->openUrl("mailto:" + recipient + "?subject=" + percentEscape(identity_.displayName) +
                   "&body=" + percentEscape(body));
}

void AboutController::close() {
    if (NavigationController* navigation = navigationController()) {
        navigation->popViewController(true);
    } else if (ViewController* parent = parentViewController()) {
        parent->dismissModalViewController(true);
    }
}

void AboutController::done() {
    close();
    NotificationCenter::defaultCenter().postNotificationName("Flip", this);
}

std::string AboutController::percentEscape(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool alnum =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (alnum || c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace kestrel
