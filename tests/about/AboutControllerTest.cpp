#include "core/about/AboutController.h"
#include "core/imaging/ImageFile.h"
#include "core/ui/AlertView.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

class RecordingUrls final : public UrlOpener {
public:
    bool openUrl(const std::string& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

class ScriptedContacts final : public ContactPicker {
public:
    bool isAvailable() const override { return available; }
    void pickPerson(Handler handler) override { handler(person); }
    bool available = true;
    std::optional<Person> person;
};

class AboutControllerTest : public ::testing::Test {
protected:
    AboutControllerTest() {
        identity.displayName = "Kestrel Camera";
        identity.version = "0.2.0";
        identity.storeId = "555";
        identity.supportMail = "help@example.org";
        identity.storeHost = "store.example.org";
    }
    void addApp(const std::string& name, const std::string& id, const std::string& text) {
        const auto folder = dir / "Apps" / name;
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(ImageFile::write(folder / (id + ".png"),
                                     test::TestImages::uniform(8, 8, test::Rgb{1, 2, 3})));
        std::ofstream(folder / "about.txt") << text;
    }
    test::TempDir dir;
    AppIdentity identity;
    RecordingUrls urls;
    ScriptedContacts contacts;
};

TEST_F(AboutControllerTest, SectionsWithAndWithoutRelatedApps) {
    AboutController bare(identity, urls, &contacts, (dir / "Apps").string());
    bare.loadViewIfNeeded();
    EXPECT_EQ(bare.title(), "About Kestrel Camera");
    EXPECT_EQ(bare.aboutCell().label(2).text(), "Version 0.2.0");
    EXPECT_EQ(bare.numberOfSections(bare.tableView()), 1);
    EXPECT_FALSE(bare.titleForHeader(bare.tableView(), 1));
    EXPECT_EQ(bare.numberOfRows(bare.tableView(), 0), 3);
    EXPECT_FLOAT_EQ(bare.heightForRow(bare.tableView(), IndexPath{0, 0}), 120);

    addApp("Heron", "777", "Birds, in focus.");
    addApp("Kestrel Camera", "555", "This one.");  // never lists itself
    AboutController about(identity, urls, &contacts, (dir / "Apps").string());
    about.loadViewIfNeeded();
    about.viewWillAppear(false);  // a second look does not list twice
    ASSERT_EQ(about.apps().size(), 1u);
    EXPECT_EQ(about.numberOfSections(about.tableView()), 2);
    EXPECT_EQ(about.titleForHeader(about.tableView(), 1), std::string("More Apps from Orvanta"));
    const auto cell = std::dynamic_pointer_cast<ImageTableViewCell>(
        about.cellForRow(about.tableView(), IndexPath{1, 0}));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->label()->text(), "Heron");
    EXPECT_EQ(cell->subLabel()->text(), "Birds, in focus.");
    EXPECT_EQ(cell->imageView()->image().width(), 8);
    about.didSelectRow(about.tableView(), IndexPath{1, 0});
    EXPECT_EQ(urls.opened.back(),
              "https://store.example.org/WebObjects/MZStore.woa/wa/viewSoftware?id=777&mt=8");
}

TEST_F(AboutControllerTest, SupportMailAndTellAFriend) {
    AboutController about(identity, urls, &contacts, (dir / "Apps").string());
    about.loadViewIfNeeded();
    about.didSelectRow(about.tableView(), IndexPath{0, 1});
    EXPECT_EQ(urls.opened.back(), "mailto:help@example.org?subject=Kestrel%20Camera");

    contacts.person =
        ContactPicker::Person{std::nullopt, {"first@example.org", "second@example.org"}};
    about.didSelectRow(about.tableView(), IndexPath{0, 2});
    const std::string mail = urls.opened.back();
    EXPECT_EQ(
        mail.rfind(
            "mailto:first@example.org?subject=Kestrel%20Camera&body=Hi%20%2C%0D%0A%0D%0AYou%20may",
            0),
        0u)
        << mail;
    EXPECT_NE(mail.find("viewSoftware%3Fid%3D555"), std::string::npos);
    EXPECT_EQ(mail.find("mt%3D8"), std::string::npos);

    AlertView::clearPending();
    contacts.person = ContactPicker::Person{"Ann", {}};
    about.didSelectRow(about.tableView(), IndexPath{0, 2});
    ASSERT_NE(AlertView::pending(), nullptr);
    EXPECT_EQ(AlertView::pending()->title(), "Error");
    EXPECT_EQ(AlertView::pending()->message(), "Please pick a person with an email address.");
    EXPECT_EQ(AlertView::pending()->buttons(), std::vector<std::string>{"OK"});
    AlertView::answer(0);

    // Without an address book the recommend row is not there.
    contacts.available = false;
    const auto opened = urls.opened.size();
    EXPECT_EQ(about.numberOfRows(about.tableView(), 0), 2);
    about.didSelectRow(about.tableView(), IndexPath{0, 2});
    EXPECT_EQ(urls.opened.size(), opened);
}

}  // namespace
}  // namespace kestrel
