// kestrel: the camera in a window, on the real sensors where they are found
// and on simulated devices otherwise.
#include "adapters/linux/CanberraSounds.h"
#include "adapters/qt/QtCameraPicker.h"
#include "adapters/qt/QtFeedback.h"
#include "adapters/qt/QtLocationManager.h"
#include "adapters/qt/QtRunLoop.h"
#include "adapters/qt/QtScreenSaverInhibitor.h"
#include "adapters/qt/QtUrlOpener.h"
#include "core/app/KestrelApp.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/Log.h"
#include "core/store/DirectoryUtils.h"
#include "devices/DeviceChoice.h"
#include "devices/FallbackCameraPicker.h"
#include "gui/KestrelWindow.h"
#include "sim/NmeaLocationManager.h"
#include "sim/SimulatedCamera.h"

#include <CLI/CLI.hpp>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace kestrel;
    const auto launched = std::chrono::steady_clock::now();
    CLI::App options("Kestrel, a still camera with a smart shutter");
    options.set_version_flag("--version", "kestrel " KESTREL_VERSION);
    std::string configDir, dcim, store, accel, mic = "", scene = "still", screenshot;
    bool simulate = false;
    bool startupTime = false;
    bool albumTime = false;
    double after = 3;
    options.add_option("--config-dir", configDir, "Where the settings live");
    options.add_option("--dcim", dcim,
                       "The camera roll folder (default: $KESTREL_DCIM, ~/Pictures/DCIM)");
    options.add_option("--store", store, "Save into a store of Kestrel's own at this folder");
    options.add_flag("--simulate", simulate,
                     "Use simulated devices even where real ones are found");
    options.add_option("--accel", accel, "A simulated motion instead of the accelerometer");
    options.add_option("--mic", mic, "A simulated sound instead of the microphone");
    options.add_option("--scene", scene, "What the simulated camera sees: still or moving");
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
    CLI11_PARSE(options, argc, argv);
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
    QtRunLoop loop;

    // Each device is real when present (and not --simulate), simulated otherwise.
    DeviceChoice::Options choice;
    choice.simulate = simulate;
    choice.accel = accel;
    choice.mic = mic;
    if (const char* root = std::getenv("KESTREL_IIO_ROOT"); root && *root) choice.iioRoot = root;
    DeviceChoice devices(loop, choice);
    for (const auto& report : devices.reports())
        Log::debug(report.device + ": " + report.used);
    std::unique_ptr<Accelerometer> accelerometer = devices.takeAccelerometer();
    std::unique_ptr<AudioSystem> microphone = devices.takeMicrophone();
    DevicePosition* position = nullptr;
    auto heldAs = [&position] { return position ? position->orientation() : 1; };
    SimulatedCamera simulatedCamera(loop, heldAs);
    simulatedCamera.setScene(scene == "moving" ? SimulatedCamera::Scene::kMoving
                                               : SimulatedCamera::Scene::kStill);
    // Unless simulating, the real camera is watched even when there is none yet: one
    // plugged in later takes over from the simulated camera.
    std::unique_ptr<QtCameraPicker> realCamera;
    if (!simulate) {
        realCamera = std::make_unique<QtCameraPicker>(loop);
        realCamera->setOrientationSource(heldAs);
    }
    const bool cameraFound = realCamera && realCamera->isSourceAvailable();
    std::unique_ptr<FallbackCameraPicker> fallback;
    if (realCamera && !cameraFound)
        fallback = std::make_unique<FallbackCameraPicker>(*realCamera, simulatedCamera);
    CameraPicker& camera = cameraFound ? static_cast<CameraPicker&>(*realCamera)
                           : fallback  ? static_cast<CameraPicker&>(*fallback)
                                       : simulatedCamera;
    // One line when this machine has none of the hardware.
    const bool realAccelerometer = devices.reports()[0].used.rfind("simulated", 0) != 0;
    const bool realMicrophone = devices.reports()[1].used.rfind("simulated", 0) != 0;
    if (!cameraFound && !realAccelerometer && !realMicrophone)
        std::cerr
            << "kestrel: no camera, accelerometer or microphone here: running on simulated devices "
               "(kestrel-cli devices tells more)\n";
    else
        Log::info(std::string("camera: ") + (cameraFound ? "through Qt Multimedia" : "simulated"));
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

    KestrelApp::Options settings;
    if (!configDir.empty()) settings.configDir = configDir;
    if (!dcim.empty()) settings.dcim = dcim;
    if (!store.empty()) settings.store = store;
    settings.resources = DirectoryUtils::getBundelFolder();
    settings.identity = AppIdentity::fromEnvironment(KESTREL_VERSION);
    KestrelApp app(KestrelApp::Ports{loop, camera, *accelerometer, sounds,
                                     std::move(locationService), microphone.get(), &screen, &urls},
                   std::move(settings));
    position = &app.devicePosition();

    gui::KestrelWindow window(app, &camera);
    // A camera that comes or goes mid-session: the screen follows.
    if (realCamera)
        realCamera->setAvailabilityObserver([&app, &fallback] {
            if (fallback) fallback->update();
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
    if (!screenshot.empty()) {
        QTimer::singleShot(static_cast<int>(after * 1000), [&] {
            if (!window.screenshot().save(QString::fromStdString(screenshot)))
                std::cerr << "kestrel: cannot write " << screenshot << "\n";
            application.quit();
        });
    }
    const int status = QApplication::exec();
    app.resignActive();
    return status;
}
