#include "core/app/AppActions.h"
#include "core/app/KestrelApp.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "gui/ApplicationService.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "support/AppOptions.h"
#include "support/CameraWaits.h"
#include "support/ChildProcess.h"
#include "support/ProgramCommand.h"
#include "support/QtApplication.h"
#include "support/RecordingSounds.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include <sys/wait.h>

namespace kestrel {
namespace {

using gui::ApplicationService;

std::size_t photosIn(const std::filesystem::path& dcim) {
    std::size_t n = 0;
    if (!std::filesystem::exists(dcim)) return 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dcim))
        n += e.path().extension() == ".JPG" && e.path().parent_path().filename() != ".MISC";
    return n;
}

// A session bus of the test's own: a dbus-daemon for as long as the test runs.
// (Started as the suite starts its other programs, not with QProcess: Qt's
// clone with a pidfd is what an emulated build's qemu-user cannot run.)
class PrivateBus {
public:
    PrivateBus() {
        if (daemon_.waitFor("\n"))
            address_ = QString::fromStdString(daemon_.out.substr(0, daemon_.out.find('\n')));
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return address_; }
    // A new connection to the bus, as another process would have.
    QDBusConnection connect() {
        names_ << QStringLiteral("kestrel-test-%1-%2")
                      .arg(reinterpret_cast<quintptr>(this))
                      .arg(names_.size());
        return QDBusConnection::connectToBus(address_, names_.back());
    }

private:
    test::ChildProcess daemon_{{"dbus-daemon", "--session", "--nofork", "--print-address=1"}};
    QString address_;
    QStringList names_;
};

// Runs the main thread's events until `done` (D-Bus calls arrive through them).
template <typename Done>
bool spinUntil(Done done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class ApplicationServiceTest : public ::testing::Test {
protected:
    ApplicationServiceTest() {
        test::qtApplication();
        app = std::make_unique<KestrelApp>(
            KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                              std::make_unique<FixedLocationManager>(loop, std::nullopt)},
            test::appOptions(dir.path()));
        app->settings().record().setMode(Camera1Data::kStandard);
        app->settings().record().setAutoSave(true);
        app->start();
        loop.advance(0.5);
        actions.emplace(*app);
        service.setActions(&*actions);
        service.setActivate([this] { ++activated; });
    }

    // ActivateAction from another connection, as gdbus or a launcher sends it.
    QDBusMessage action(QDBusConnection& from, const QString& name,
                        const QVariantList& parameter = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(ApplicationService::kName, ApplicationService::kPath,
                                           ApplicationService::kInterface, "ActivateAction");
        call << name << QVariant::fromValue(parameter) << QVariantMap{};
        QDBusPendingCallWatcher reply(from.asyncCall(call));
        EXPECT_TRUE(spinUntil([&] { return reply.isFinished(); }));
        return reply.reply();
    }
    // Saves under way finish, and the screen is live again.
    void settle() {
        loop.advance(0.5);
        test::awaitPhotos(loop, app->camera());
        while (loop.waitForPosts(std::chrono::milliseconds(500)))
            loop.runUntilIdle();
        loop.advance(1.5);
    }
    // kestrel-cli run as its own process on the private bus.
    std::tuple<int, std::string, std::string> cli(const QStringList& args,
                                                  const QString& busAddress) {
        std::vector<std::string> command{test::testPaths().cliProgram};
        for (const QString& arg : args)
            command.push_back(arg.toStdString());
        test::ChildProcess process(test::programCommand(command),
                                   {"DBUS_SESSION_BUS_ADDRESS=" + busAddress.toStdString()});
        std::optional<int> status;
        // The window's side of the call is answered on this thread's events meanwhile.
        EXPECT_TRUE(spinUntil([&] { return (status = process.exitStatus()).has_value(); }));
        return {status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, process.out, process.err};
    }

    test::TempDir dir;
    ManualRunLoop loop;
    SimulatedCamera camera{loop, nullptr, 640, 480};
    std::optional<SimulatedAccelerometer> accelerometer =
        SimulatedAccelerometer::named(loop, "steady");
    test::RecordingSounds sounds;
    std::unique_ptr<KestrelApp> app;
    std::optional<AppActions> actions;
    ApplicationService service;
    int activated = 0;
};

TEST_F(ApplicationServiceTest, ActionsFromTheBusPressTheShutterCancelAndSetTheMode) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    ASSERT_EQ(service.claim(bus.connect()), ApplicationService::Claim::kOwned);
    QDBusConnection client = bus.connect();
    ASSERT_TRUE(client.interface()->isServiceRegistered(ApplicationService::kName));

    // take-picture is one press: one photo.
    EXPECT_EQ(action(client, "take-picture").type(), QDBusMessage::ReplyMessage);
    settle();
    EXPECT_EQ(camera.picturesTaken(), 1);
    EXPECT_EQ(photosIn(dir.path() / "DCIM"), 1u);

    // The timer by its number; the press starts the count-down, cancel stops it.
    EXPECT_EQ(action(client, "set-mode", {Camera1Data::kTimer}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(app->settings().record().mode(), Camera1Data::kTimer);
    EXPECT_FALSE(app->cameraViews().modeImage->imageName().empty());
    action(client, "take-picture");
    loop.advance(1.0);
    ASSERT_EQ(app->camera().handler()->state(), CameraHandler::kDelay);
    EXPECT_EQ(action(client, "cancel").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(app->camera().handler()->state(), CameraHandler::kIdle);
    loop.advance(15.0);
    EXPECT_EQ(camera.picturesTaken(), 1);
    // Cancel with nothing running is no error.
    EXPECT_EQ(action(client, "cancel").type(), QDBusMessage::ReplyMessage);

    // Bad requests are answered as such and change nothing.
    for (const auto& [name, parameter] :
         std::vector<std::pair<QString, QVariantList>>{{"set-mode", {8}},
                                                       {"set-mode", {}},
                                                       {"set-mode", {QString("timer")}},
                                                       {"set-mode", {2.5}},
                                                       {"take-picture", {1}},
                                                       {"self-destruct", {}}}) {
        const QDBusMessage reply = action(client, name, parameter);
        EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.InvalidArgs")
            << name.toStdString();
    }
    EXPECT_EQ(app->settings().record().mode(), Camera1Data::kTimer);

    // The album through its button; the camera's actions are refused behind it, with the reason.
    EXPECT_EQ(action(client, "album").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(app->albumShown());
    const QDBusMessage refused = action(client, "take-picture");
    EXPECT_EQ(refused.errorName(), ApplicationService::kNotDone);
    EXPECT_EQ(refused.errorMessage(), "the album is open");
    loop.advance(15.0);
    EXPECT_EQ(camera.picturesTaken(), 1);

    // Activate and Open bring the window forward.
    for (const char* method : {"Activate", "Open"}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(ApplicationService::kName, ApplicationService::kPath,
                                           ApplicationService::kInterface, method);
        if (std::string(method) == "Open") call << QStringList{"file:///tmp/x.jpg"};
        call << QVariantMap{};
        QDBusPendingCallWatcher reply(client.asyncCall(call));
        ASSERT_TRUE(spinUntil([&] { return reply.isFinished(); }));
        EXPECT_FALSE(reply.isError()) << method;
    }
    EXPECT_EQ(activated, 2);
}

TEST_F(ApplicationServiceTest, ASecondKestrelBringsTheFirstForwardAndTriggerFindsIt) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    // No window yet: trigger says so, and fails.
    {
        const auto [status, out, err] = cli({"trigger"}, bus.address());
        EXPECT_EQ(status, 1);
        EXPECT_EQ(err, "kestrel-cli: no Kestrel window is running\n");
    }
    ASSERT_EQ(service.claim(bus.connect()), ApplicationService::Claim::kOwned);

    // A second start finds the name taken and asks the first to come forward.
    ApplicationService second;
    EXPECT_EQ(second.claim(bus.connect()), ApplicationService::Claim::kRunning);
    QDBusConnection secondBus = bus.connect();
    auto answered = std::async(std::launch::async,
                               [&] { return ApplicationService::activateRunning(secondBus); });
    ASSERT_TRUE(spinUntil(
        [&] { return answered.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(answered.get());
    EXPECT_EQ(activated, 1);

    // trigger presses the shutter once; --mode sets the mode first; --cancel stops the count-down.
    {
        const auto [status, out, err] = cli({"trigger"}, bus.address());
        EXPECT_EQ(status, 0) << err;
        settle();
        EXPECT_EQ(photosIn(dir.path() / "DCIM"), 1u);
    }
    {
        const auto [status, out, err] = cli({"trigger", "--mode", "2"}, bus.address());
        EXPECT_EQ(status, 0) << err;
        EXPECT_EQ(app->settings().record().mode(), Camera1Data::kTimer);
        loop.advance(1.0);
        EXPECT_EQ(app->camera().handler()->state(), CameraHandler::kDelay);
    }
    {
        const auto [status, out, err] = cli({"trigger", "--cancel"}, bus.address());
        EXPECT_EQ(status, 0) << err;
        EXPECT_EQ(app->camera().handler()->state(), CameraHandler::kIdle);
    }
    {
        const auto [status, out, err] = cli({"trigger", "--mode", "10"}, bus.address());
        EXPECT_EQ(status, 2);
        EXPECT_EQ(err, "kestrel-cli: no shooting mode 10\n");
    }
    loop.advance(15.0);
    EXPECT_EQ(camera.picturesTaken(), 1);

    // No session bus at all: one line, exit 1.
    const auto [status, out, err] =
        cli({"trigger"}, "unix:path=" + QString::fromStdString((dir.path() / "no-bus").string()));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.rfind("kestrel-cli: no Kestrel window is running (no session bus", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

}  // namespace
}  // namespace kestrel
