#include "gui/WindowProgram.h"

#include "adapters/linux/CanberraSounds.h"
#include "adapters/linux/FaceModule.h"
#include "adapters/qt/QtFeedback.h"
#include "adapters/qt/QtLocationManager.h"
#include "adapters/qt/QtRunLoop.h"
#include "adapters/qt/QtScreenSaverInhibitor.h"
#include "adapters/qt/QtUrlOpener.h"
#include "core/app/AppActions.h"
#include "core/app/KestrelApp.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"
#include "core/settingsui/SettingsController.h"
#include "core/store/DirectoryUtils.h"
#include "devices/CameraChoice.h"
#include "devices/DeviceChoice.h"
#include "gui/ApplicationService.h"
#include "gui/KestrelWindow.h"
#include "sim/NmeaLocationManager.h"

#include <CLI/CLI.hpp>

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// SIGTERM (logout, shutdown, kill), SIGINT and SIGHUP end Kestrel as closing
// its window does. The handler only writes the signal's number into a pipe;
// the run loop reads it and quits the normal way.
int signalPipe[2] = {-1, -1};

extern "C" void onQuitSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &number, 1);
    errno = saved;
}

bool catchQuitSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        if (sigaction(signal, &action, nullptr) != 0) return false;
    return true;
}

// The keys of --press, as the window knows them.
std::optional<int> keyNamed(const std::string& name) {
    if (name == "space") return Qt::Key_Space;
    if (name == "return" || name == "enter") return Qt::Key_Return;
    if (name == "escape" || name == "esc") return Qt::Key_Escape;
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return Qt::Key_A + (name[0] - 'a');
    if (name == "backspace") return Qt::Key_Backspace;
    if (name == "volumeup") return Qt::Key_VolumeUp;
    if (name == "volumedown") return Qt::Key_VolumeDown;
    if (name == "camera") return Qt::Key_Camera;
    if (name == "f1" || name == "?") return Qt::Key_F1;
    return std::nullopt;
}

// The keys of the window, for --help.
std::string keyHelp() {
    std::string text = "Keys in the window:\n";
    for (const auto& line : kestrel::KeyCommands::kKeyList) {
        std::string keys = line.keys;
        keys.resize(std::max<std::size_t>(keys.size(), 36), ' ');
        text += "  " + keys + " " + line.action + "\n";
    }
    text += "\nThe shooting modes M steps through (set-mode takes their numbers):\n";
    for (const auto& button : kestrel::SettingsController::kModeButtons)
        text += "  " + std::to_string(button.mode) + "  " +
                std::string(kestrel::CameraSettingsController::modeTitle(button.mode)).substr(6) +
                (button.mode == kestrel::Camera1Data::kFaces ? " (where its face finder is installed)" : "") +
                "\n";
    return text +
           "\nOn the session bus as org.kestrelcamera.Kestrel (org.freedesktop.Application): the\n"
           "actions take-picture, cancel, set-mode (the mode number) and album; kestrel-cli "
           "trigger\n"
           "calls them. Starting kestrel again brings the running window forward.\n"
           "\n$KESTREL_RESOURCES: the folder of Kestrel's sounds and resources (default:\n"
           "../share/kestrel beside the program).\n";
}

// A shell that turns the screen with the device (a phone's, without
// rotation lock): the live view turns with the screen, and the controls turn
// only by what the screen does not. Qt counts the screen's orientation from
// the display's natural one, as the device's turn is counted.
void followScreenTurn(QWidget& window, kestrel::CameraControllerHelper& camera) {
    QWindow* handle = window.windowHandle();
    if (!handle) return;
    auto apply = [&camera, handle] {
        if (const QScreen* screen = handle->screen())
            camera.setScreenTurn(
                screen->angleBetween(screen->nativeOrientation(), screen->orientation()));
    };
    apply();
    QObject::connect(handle, &QWindow::screenChanged, handle, [apply, handle](QScreen* screen) {
        apply();
        if (screen)
            QObject::connect(
                screen, &QScreen::orientationChanged, handle, [apply] { apply(); },
                Qt::UniqueConnection);
    });
    if (QScreen* screen = handle->screen())
        QObject::connect(screen, &QScreen::orientationChanged, handle, [apply] { apply(); });
}

}  // namespace

namespace kestrel::gui {

int WindowProgram::run(int argc, char** argv, const Overrides& overrides) {
    const auto launched = std::chrono::steady_clock::now();
    CLI::App options("Kestrel, a still camera with a smart shutter");
    options.set_version_flag("--version", "kestrel " KESTREL_VERSION);
    std::string configDir, dcim, store, accel, mic = "", scene = "still", screenshot;
    bool simulate = false;
    bool startupTime = false;
    bool albumTime = false;
    double after = 3;
    options.add_option("--config-dir", configDir,
                       "Where the settings live (default: $KESTREL_CONFIG_DIR, "
                       "$XDG_CONFIG_HOME/kestrel)");
    options.add_option("--dcim", dcim,
                       "The camera roll folder (default: $KESTREL_DCIM, ~/Pictures/DCIM)");
    options.add_option("--store", store, "Save into a store of Kestrel's own at this folder");
    options.add_flag("--simulate", simulate,
                     "Use simulated devices even where real ones are found");
    options.add_option("--accel", accel,
                       "A simulated motion instead of the accelerometer, or none (there is none)");
    options.add_option("--mic", mic, "A simulated sound instead of the microphone");
    options.add_option("--scene", scene, "What the simulated camera sees: still or moving");
    std::string cameraText = "auto";
    options.add_option("--camera", cameraText,
                       "The camera: auto, sim, pipewire[:NODE], libcamera[:NAME], v4l2:/dev/videoN "
                       "or gst:DESCRIPTION (a GStreamer source)");
    std::optional<int> cameraRotation;
    options
        .add_option("--camera-rotation", cameraRotation,
                    "The camera's mounting, clockwise (0, 90, 180 or 270), for a camera that "
                    "reports it wrongly")
        ->check(CLI::IsMember({0, 90, 180, 270}));
    options.add_option("--screenshot", screenshot,
                       "Save the screen as PNG after --after seconds, then quit");
    options.add_option("--after", after, "Seconds before the screenshot");
    options.add_flag("--startup-time", startupTime,
                     "Print the time to the first frame of the live view, then quit");
    options.add_flag("--album-time", albumTime,
                     "Print the time from the album button to the album drawn, then quit");
    std::string nmea;
    options.add_option("--location-nmea", nmea,
                       "Replay the fixes of a GPS receiver's NMEA log as the position");
    std::string press;
    options.add_option("--press", press,
                       "Keys to press once the live view shows, e.g. \"m space\" (space: shutter, "
                       "m: next mode, s: settings, a: album, escape: back, volumeup, camera, f1); "
                       "prints \"pressed\" after");
    options.footer(keyHelp());
    CLI11_PARSE(options, argc, argv);
    std::string cameraError;
    const auto cameraSpec = CameraSpec::parse(cameraText, &cameraError);
    if (!cameraSpec) {
        std::cerr << "kestrel: --camera: " << cameraError << "\n";
        return 2;
    }
    std::vector<int> keys;
    {
        std::istringstream names(press);
        for (std::string name; names >> name;) {
            const auto key = keyNamed(name);
            if (!key) {
                std::cerr << "kestrel: --press: no key named \"" << name << "\"\n";
                return 2;
            }
            keys.push_back(*key);
        }
    }
    std::optional<std::vector<NmeaLocationManager::Fix>> fixes;
    if (!nmea.empty()) {
        std::string error;
        fixes = NmeaLocationManager::readLog(nmea, &error);
        if (!fixes) {
            std::cerr << "kestrel: --location-nmea: " << error << "\n";
            return 2;
        }
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrel");
    // Closing the window starts the quit; the application ends when the
    // photos on their way are saved (KestrelApp::terminate).
    QApplication::setQuitOnLastWindowClosed(false);
    QtRunLoop loop;

    // One Kestrel per session: a second start brings the first one's window forward.
    gui::ApplicationService service;
    if (service.claim(QDBusConnection::sessionBus()) == gui::ApplicationService::Claim::kRunning) {
        if (!gui::ApplicationService::activateRunning(QDBusConnection::sessionBus())) {
            std::cerr
                << "kestrel: another Kestrel holds the session bus name but does not answer\n";
            return 1;
        }
        std::cout << "kestrel: already running: its window is brought forward\n";
        return 0;
    }

    // Each device is real when present (and not --simulate), simulated otherwise.
    DeviceChoice::Options choice;
    choice.simulate = simulate;
    choice.accel = accel;
    choice.mic = mic;
    DeviceChoice devices(loop, choice);
    for (const auto& report : devices.reports())
        Log::debug(report.device + ": " + report.used);
    std::unique_ptr<Accelerometer> accelerometer = devices.takeAccelerometer();
    std::unique_ptr<AudioSystem> microphone = devices.takeMicrophone();
    DevicePosition* position = nullptr;
    auto heldAs = [&position] { return position ? position->orientation() : 1; };
    // The camera --camera names; with auto, the simulated one until a camera
    // is plugged in. Looked for and started off the loop: the window shows
    // "Starting camera…" meanwhile, and what was found is said once it runs
    // or has failed.
    CameraChoice::Options cameraOptions{
        *cameraSpec,
        simulate,
        heldAs,
        scene == "moving" ? SimulatedCamera::Scene::kMoving : SimulatedCamera::Scene::kStill,
        Image(),
        "",
        cameraRotation};
    cameraOptions.startInBackground = true;
    CameraChoice cameraChoice(loop, cameraOptions);
    CameraPicker& camera = cameraChoice.camera();
    const std::string& accelerometerUsed = devices.reports()[0].used;
    const bool realAccelerometer =
        accelerometerUsed != "none" && accelerometerUsed.rfind("simulated", 0) != 0;
    const bool realMicrophone = devices.reports()[1].used.rfind("simulated", 0) != 0;
    auto reportCamera = [&cameraChoice, realAccelerometer, realMicrophone] {
        if (!cameraChoice.failure().empty())
            std::cerr << "kestrel: the camera does not start: " << cameraChoice.failure() << "\n";
        // One line when this machine has none of the hardware.
        if (!cameraChoice.usesRealCamera() && !realAccelerometer && !realMicrophone)
            std::cerr << "kestrel: no camera, accelerometer or microphone here: running on "
                         "simulated devices (kestrel-cli devices tells more)\n";
        else
            Log::info("camera: " + cameraChoice.report());
    };
    if (cameraChoice.isSettled())
        reportCamera();
    else
        cameraChoice.setSettledObserver(reportCamera);
    CanberraSounds sounds;
    QtFeedback feedback;
    sounds.setVibrator([&feedback] { feedback.vibrate(); });
    QtUrlOpener urls;
    QtScreenSaverInhibitor screen;

    // The position: a replayed log when given, the desktop's service unless simulating, else none.
    std::unique_ptr<LocationManager> locationService;
    if (fixes)
        locationService = std::make_unique<NmeaLocationManager>(loop, *fixes);
    else if (!simulate)
        locationService = std::make_unique<QtLocationManager>(loop);
    else
        locationService = std::make_unique<FixedLocationManager>(loop, std::nullopt);

    // The Faces mode is offered where its face finder is installed.
    std::string facesMissing;
    std::shared_ptr<FaceFinder> faceFinder = FaceModule::locate(&facesMissing);
    ModeOffer::setFaceFinder(std::move(faceFinder), facesMissing);
    KestrelApp::Options settings;
    if (!configDir.empty()) settings.configDir = configDir;
    if (!dcim.empty()) settings.dcim = dcim;
    if (!store.empty()) settings.store = store;
    settings.resources = DirectoryUtils::getBundelFolder();
    settings.identity = AppIdentity::of(KESTREL_VERSION);
    settings.saveGate = overrides.saveGate;
    KestrelApp app(KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                                     std::move(locationService), microphone.get(), &screen, &urls},
                   std::move(settings));
    position = &app.devicePosition();

    app.setQuitHandler([] { QCoreApplication::quit(); });
    gui::KestrelWindow window(app, &camera);
    AppActions actions(app);
    service.setActions(&actions);
    service.setActivate([&window] {
        window.show();
        window.raise();
        window.activateWindow();
    });
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (catchQuitSignals()) {
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [&app, &window] {
            unsigned char number = 0;
            while (read(signalPipe[0], &number, 1) == 1) {
                Log::info(std::string("quitting on ") + strsignal(number));
                // The same path as closing the window; once it is closed, again means now.
                if (window.isVisible())
                    window.close();
                else
                    app.terminate();
            }
        });
    } else {
        Log::warning(std::string("quit signals cannot be caught: ") + std::strerror(errno));
    }
    // A camera that comes or goes mid-session: the screen follows.
    cameraChoice.setChangeObserver([&app] {
        if (&app.topController() == &app.root().cameraScreen()) app.camera().showCamera();
    });
    if (albumTime) {
        window.setFirstFrameObserver([&] {
            const auto pressed = std::chrono::steady_clock::now();
            app.cameraViews().toolBar->albumButton().press();
            window.repaint();
            const auto ms = std::chrono::duration<double, std::milli>(
                std::chrono::steady_clock::now() - pressed);
            std::printf("album of %zu photos drawn %.1f ms after the album button\n",
                        app.cameraRoll()->files().size(), ms.count());
            QTimer::singleShot(0, [&] { application.quit(); });
        });
    }
    if (!keys.empty()) {
        window.setFirstFrameObserver([&window, keys, press] {
            // Not from inside the paint that told us: on the next turn.
            QTimer::singleShot(0, &window, [&window, keys, press] {
                for (const int key : keys) {
                    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
                    QApplication::sendEvent(&window, &down);
                    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
                    QApplication::sendEvent(&window, &up);
                }
                std::printf("pressed %s\n", press.c_str());
                std::fflush(stdout);
            });
        });
    }
    if (startupTime) {
        window.setFirstFrameObserver([&] {
            const auto ms = std::chrono::duration<double, std::milli>(
                std::chrono::steady_clock::now() - launched);
            std::printf("first frame of the live view after %.1f ms\n", ms.count());
            QTimer::singleShot(0, [&] { application.quit(); });
        });
    }
    app.start();
    window.show();
    window.fitFrameOnScreen();  // the frame's size is known once shown
    followScreenTurn(window, app.camera());
    if (!screenshot.empty()) {
        QTimer::singleShot(static_cast<int>(after * 1000), [&] {
            if (!window.screenshot().save(QString::fromStdString(screenshot)))
                std::cerr << "kestrel: cannot write " << screenshot << "\n";
            application.quit();
        });
    }
    const int status = QApplication::exec();
    app.resignActive();
    return status;  // the app goes first: its saver workers are joined before the loop goes
}

}  // namespace kestrel::gui
