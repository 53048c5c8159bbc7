#include "cli/ShootCommand.h"

#include "adapters/linux/FaceModule.h"
#include "adapters/linux/IioAccelerometer.h"
#include "adapters/linux/PulseMicrophone.h"
#include "cli/CliError.h"
#include "cli/QuitSignals.h"
#include "cli/ValueText.h"
#include "core/app/AppSettings.h"
#include "core/app/KestrelAppDelegate.h"
#include "core/camera/CameraControllerHelper.h"
#include "core/imaging/ImageFile.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/AbsentAccelerometer.h"
#include "core/platform/FixedLocationManager.h"
#include "core/platform/ManualRunLoop.h"
#include "core/platform/RealTimeRunLoop.h"
#include "core/platform/WorkerQueue.h"
#include "core/sensors/DevicePosition.h"
#include "core/store/DcimPhotoAlbum.h"
#include "core/store/DeviceLocation.h"
#include "core/store/DirectoryUtils.h"
#include "core/ui/AnimationBlock.h"
#include "devices/CameraChoice.h"
#include "sim/NmeaLocationManager.h"
#include "sim/SimulatedAccelerometer.h"
#include "sim/SimulatedCamera.h"
#include "sim/SimulatedMicrophone.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace kestrel::cli {
namespace {

// Sounds for a run without speakers: nothing plays.
class SilentSounds final : public SystemSounds {
public:
    SoundId registerSound(const std::filesystem::path&) override { return 1; }
    void play(SoundId) override {}
    void dispose(SoundId) override {}
    void vibrate() override {}
};

std::optional<GeoPosition> parseLocation(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double lat = 0, lon = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%lf,%lf%c", &lat, &lon, &tail) != 2 || lat < -90 || lat > 90 ||
        lon < -180 || lon > 180)
        throw CliError::usage("--location takes LAT,LON in degrees, not \"" + text + "\"");
    return GeoPosition{lat, lon, {}};
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// "pulse": the desktop's microphone; else a simulated one playing a named sound or a file.
// The desktop's microphone times its cycles only on a real clock.
std::unique_ptr<AudioSystem> makeMicrophone(RunLoop& loop, const std::string& mic, bool virtualTime) {
    if (mic == "pulse") {
        auto pulse = std::make_unique<PulseMicrophone>(std::nullopt, virtualTime ? nullptr : &loop);
        std::string error;
        if (!pulse->available(&error))
            throw CliError::failure("--mic pulse: no sound server answers: " + error);
        return pulse;
    }
    if (auto named = MicrophoneSignal::named(mic))
        return std::make_unique<SimulatedMicrophone>(loop, *named);
    std::string error;
    if (auto file = MicrophoneSignal::fromFile(mic, &error))
        return std::make_unique<SimulatedMicrophone>(loop, *file);
    throw CliError::usage("--mic: not pulse, a sound (" + joined(MicrophoneSignal::names()) +
                          ") nor a readable sound file: " + error);
}

// "iio": the Linux IIO accelerometer (under `iioRoot` when given); "none": a
// device without one (never turned); else a simulated one playing a named
// motion or a trace file.
std::unique_ptr<Accelerometer> makeAccelerometer(RunLoop& loop, const std::string& accel,
                                                 const std::string& iioRoot) {
    std::string error;
    if (accel == "iio") {
        auto iio = IioAccelerometer::find(
            loop, iioRoot.empty() ? IioAccelerometer::kDefaultRoot : iioRoot.c_str(), &error);
        if (!iio) throw CliError::failure("--accel iio: " + error);
        return iio;
    }
    if (accel == "none") return std::make_unique<AbsentAccelerometer>();
    if (auto named = SimulatedAccelerometer::named(loop, accel))
        return std::make_unique<SimulatedAccelerometer>(std::move(*named));
    if (auto trace = SimulatedAccelerometer::fromTrace(loop, accel, &error))
        return std::make_unique<SimulatedAccelerometer>(std::move(*trace));
    throw CliError::usage("--accel: not iio, none, a motion (" + joined(SimulatedAccelerometer::names()) +
                          ") nor a readable trace: " + error);
}

// A named scene, or a picture file the simulated camera sees (a still scene).
SimulatedCamera::Scene cameraScene(const std::string& scene, Image* picture) {
    if (scene == "still") return SimulatedCamera::Scene::kStill;
    if (scene == "moving") return SimulatedCamera::Scene::kMoving;
    if (scene == "light") return SimulatedCamera::Scene::kLightSwitch;
    if (scene == "handheld") return SimulatedCamera::Scene::kHandHeld;
    std::string error;
    if (ImageFile::formatOf(scene)) {
        if (auto image = ImageFile::read(scene, &error)) {
            *picture = std::move(*image);
            return SimulatedCamera::Scene::kStill;
        }
        throw CliError::usage("--scene: cannot read the picture " + scene + ": " + error);
    }
    throw CliError::usage("--scene takes still, moving, light, handheld or a picture file "
                          "(.jpg, .png), not \"" + scene + "\"");
}

bool canShoot(int mode) {
    return (mode >= Camera1Data::kStabilizing && mode <= Camera1Data::kAnaglyph3D &&
            mode != Camera1Data::kVideo) ||
           mode == Camera1Data::kFaces;
}

}  // namespace

ShootCommand::ShootCommand(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* shoot =
        parent.add_subcommand("shoot", "Take pictures, no window (the simulated camera unless --camera)");
    shoot->add_option("--count", count_, "Pictures to save")->check(CLI::Range(1, 100000));
    shoot->add_option("--mode", mode_,
                      "Mode number for this run: 0 Stabilizing, 1 Standard, 2 Timer, 3 Moving, "
                      "4 Motion, 5 Sound, 6 Rapid Fire, 7 Double Exposure, 9 Anaglyph 3D, 11 Faces "
                      "(where its face finder is installed)");
    shoot->add_option("--dcim", dcim_,
                      "The device camera roll (default: $KESTREL_DCIM, ~/Pictures/DCIM)");
    shoot->add_option("--store", store_,
                      "Save into a store of Kestrel's own at this folder instead");
    CLI::Option* fixed = shoot->add_option("--location", location_, "The position, LAT,LON");
    shoot->add_option("--location-nmea", nmea_, "Replay the fixes of a GPS receiver's NMEA log")
        ->excludes(fixed);
    shoot->add_option("--accel", accel_,
                      "iio (the real accelerometer), none (a device without one), a named "
                      "motion or a t,x,y,z trace file");
    shoot->add_option(
        "--mic", mic_,
        "pulse (the real microphone), a named sound (silence, quiet, clap, clap-inverted, loud) "
        "or a sound file");
    shoot->add_option("--scene", scene_,
                      "What the camera sees: still, moving (a figure crosses), light (a lamp "
                      "goes on and off), handheld (the still scene, swaying in a hand) or a "
                      "picture file (.jpg, .png) the simulated camera shows");
    shoot->add_option("--camera", camera_,
                      "sim (the default), auto, pipewire[:NODE], libcamera[:NAME], v4l2:/dev/videoN "
                      "or gst:DESCRIPTION (a GStreamer source)");
    shoot->add_option("--camera-rotation", cameraRotation_,
                      "The camera's mounting, clockwise (0, 90, 180 or 270), for a camera that "
                      "reports it wrongly")
        ->check(CLI::IsMember({0, 90, 180, 270}));
    shoot->add_flag("--trace", trace_, "Print each event of the camera screen with its time");
    shoot->add_option("--max-time", maxTime_, "Give up after this many seconds (exit 3)")
        ->check(CLI::PositiveNumber);
    shoot->add_flag("--virtual-time", virtualTime_,
                    "Run on virtual time, as fast as the work allows");
    shoot->add_option("--start-time", startTime_,
                      "With --virtual-time: the local date and time the virtual clock starts at, "
                      "YYYY-MM-DDTHH:MM[:SS] (default: now)");
    shoot->callback([this] { run(); });
}

void ShootCommand::run() const {
    std::optional<std::chrono::system_clock::time_point> start;
    if (startTime_) {
        // Real time runs on the system clock, which a run does not set.
        if (!virtualTime_)
            throw CliError::usage("--start-time sets the virtual clock: it needs --virtual-time");
        start = ValueText::parseLocalDateTime(*startTime_);
        if (!start)
            throw CliError::usage("--start-time takes a local date and time that exists on this "
                                  "machine's clock, YYYY-MM-DDTHH:MM[:SS], not \"" +
                                  *startTime_ + "\"");
    }
    const auto position = parseLocation(location_);
    std::optional<std::vector<NmeaLocationManager::Fix>> fixes;
    if (!nmea_.empty()) {
        std::string error;
        fixes = NmeaLocationManager::readLog(nmea_, &error);
        if (!fixes) throw CliError::usage("--location-nmea: " + error);
    }
    Image scenePicture;
    const SimulatedCamera::Scene scene = cameraScene(scene_, &scenePicture);
    std::string cameraError;
    const auto cameraSpec = CameraSpec::parse(camera_, &cameraError);
    if (!cameraSpec) throw CliError::usage("--camera: " + cameraError);
    // A real camera's frames come in real time: virtual time would run out
    // the still's time-out while it is on its way.
    if (virtualTime_ && cameraSpec->kind != CameraSpec::Kind::kSim)
        throw CliError::usage("--virtual-time works only with --camera sim");
    // SIGINT and SIGTERM stop the shooting, not the photo on its way.
    const QuitSignals quitSignals;
    std::unique_ptr<ManualRunLoop> manual;
    std::unique_ptr<RealTimeRunLoop> realTime;
    RunLoop* loop = nullptr;
    if (virtualTime_) {
        manual = std::make_unique<ManualRunLoop>();
        if (start) manual->setWallStart(*start);
        loop = manual.get();
    } else {
        realTime = std::make_unique<RealTimeRunLoop>();
        loop = realTime.get();
    }

    const std::unique_ptr<AudioSystem> microphone = makeMicrophone(*loop, mic_, virtualTime_);
    const std::unique_ptr<Accelerometer> accelerometer = makeAccelerometer(*loop, accel_, context_.iioRoot);

    // The object graph, as start-up builds it.
    AppSettings settings(context_.configDir);
    KestrelAppDelegate delegate;
    delegate.setData(&settings.record());
    // A run shoots one mode: the face finder (a module linking dlib) is
    // opened only for the Faces mode, asked for or stored.
    std::string facesMissing = "the Faces mode is not shooting";
    std::shared_ptr<FaceFinder> faceFinder;
    if (mode_.value_or(settings.record().mode()) == Camera1Data::kFaces)
        faceFinder = FaceModule::locate(&facesMissing);
    ModeOffer::setFaceFinder(std::move(faceFinder), facesMissing);
    if (mode_ == Camera1Data::kFaces && !ModeOffer::offered(*mode_))
        throw CliError::usage("mode 11 cannot shoot here: " + ModeOffer::facesMissingReason());
    if (mode_) settings.record().setMode(*mode_);
    ModeOffer::fallBack(settings.record());  // a stored mode 11 without its finder
    if (!canShoot(settings.record().mode()))
        throw CliError::usage("mode " + std::to_string(settings.record().mode()) +
                              " cannot shoot (modes 0 to 7, 9 and 11 can)");
    settings.record().setAutoSave(true);  // nobody is there to press Use

    std::string error;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    DevicePosition devicePosition(*accelerometer, *loop, center);
    delegate.setDevicePosition(&devicePosition);
    delegate.applicationDidFinishLaunching();
    DeviceLocation location(settings.store(),
                            fixes ? std::unique_ptr<LocationManager>(
                                        std::make_unique<NmeaLocationManager>(*loop, *fixes))
                                  : std::make_unique<FixedLocationManager>(*loop, position),
                            *loop, center);
    AnimationBlock animation(loop);

    // The camera first: one that cannot start leaves nothing written.
    CameraChoice cameraChoice(
        *loop, CameraChoice::Options{*cameraSpec, false,
                                     [&devicePosition] { return devicePosition.orientation(); },
                                     scene, scenePicture, "", cameraRotation_});
    if (!cameraChoice.failure().empty())
        throw CliError::failure("camera " + cameraChoice.failure());
    CameraPicker& camera = cameraChoice.camera();

    const std::string root =
        DirectoryUtils::getCameraRollFolder(dcim_.empty() ? std::nullopt : std::optional(dcim_));
    SilentSounds sounds;
    // The saver workers go after everything their completions reach (they
    // are declared before it) and are drained when they go.
    WorkerQueue photoWorker("photo processing", *loop, context_.saveGate);
    WorkerQueue ownStoreWorker("own store", *loop, context_.saveGate);
    WorkerQueue cameraRollWorker("camera roll", *loop, context_.saveGate);
    DcimPhotoAlbum album(root, *loop, cameraRollWorker);
    GpsImageSaver saver(
        album, root, *loop,
        std::shared_ptr<const LocationSource>(&location, [](const LocationSource*) {}),
        ownStoreWorker);
    CameraViewManager views;
    CameraControllerHelper controller(CameraControllerHelper::Services{
        camera, views, *loop, sounds, saver, center, DirectoryUtils::getBundelFolder(),
        [&location] { return location.currentLocation(); },
        [&devicePosition] { return devicePosition.orientation(); }, microphone.get(),
        [&devicePosition] { return devicePosition.hasAccelerometer(); }, &photoWorker});
    if (!store_.empty()) controller.setCameraRoll(std::make_shared<CameraRoll>(store_));

    int saved = 0;
    bool failed = false;
    controller.setSaveObserver([&](const std::optional<std::string>& path) {
        if (!path) {
            failed = true;
            return;
        }
        ++saved;
        *context_.out << *path << std::endl;
    });
    if (trace_) {
        controller.setTraceObserver([&](const std::string& event) {
            char when[32];
            std::snprintf(when, sizeof when, "%9.3f ", RunLoop::toSeconds(loop->now()));
            *context_.out << when << event << '\n';
        });
    }
    controller.showCamera();
    if (!controller.handler())
        throw CliError::failure("no handler for mode " + std::to_string(settings.record().mode()));
    // A mode this device cannot run (Moving without an accelerometer) takes
    // no picture: said before anything is written.
    if (const auto reason = controller.handler()->unavailableReason())
        throw CliError::usage("mode " + std::to_string(settings.record().mode()) +
                              " cannot shoot here: " + *reason);
    if (store_.empty() && !DirectoryUtils::ensureFolderExist(root))
        throw CliError::failure("cannot create " + root);

    // Presses the shutter whenever the camera is live and the handler idle.
    // With a position given, the first picture waits for its fix, as a user
    // waits for the location to show.
    auto pressIfReady = [&] {
        if ((position || fixes) && !location.currentLocation()) return;
        if (controller.isLive() && controller.handler() &&
            controller.handler()->state() == CameraHandler::kIdle &&
            !controller.handler()->autoStart() && views.toolBar->shutterButton().enabled())
            views.toolBar->shutterButton().press();
    };
    // Runs the loop until `done` or `limit` (of virtual or wall-clock time).
    auto runUntil = [&](const std::function<bool()>& done, RunLoop::Duration limit,
                        const std::function<void()>& eachTurn) {
        if (!virtualTime_) {
            realTime->runUntil(
                [&] {
                    eachTurn();
                    return done();
                },
                limit);
            return;
        }
        const auto until = manual->now() + limit;
        while (!done()) {
            if (manual->now() >= until) break;
            eachTurn();
            if (manual->waitForPosts(std::chrono::milliseconds(0))) {
                manual->runUntilIdle();
                continue;
            }
            const bool modeWorking = controller.handler() && controller.handler()->workingOffLoop();
            if (controller.isSaving() || controller.isProcessing() || modeWorking) {
                // A picture is being processed or saved on its worker, or a
                // frame looked at for faces: virtual time stands still until
                // its completion comes by post.
                if (!manual->waitForPosts(std::chrono::minutes(2)))
                    throw CliError::failure(modeWorking ? "the mode's work off the loop did not finish"
                                                        : "a picture's processing or save did not finish");
                manual->runUntilIdle();
                continue;
            }
            if (!manual->advanceToNextTimer()) manual->runUntilIdle();
        }
    };
    // A mode that can no longer shoot (the face finder's model turned out
    // unreadable) ends the run rather than waiting out --max-time.
    auto unable = [&] {
        return controller.handler() ? controller.handler()->unavailableReason() : std::nullopt;
    };
    runUntil([&] { return saved >= count_ || failed || unable() || QuitSignals::received() != 0; },
             RunLoop::seconds(maxTime_), pressIfReady);

    if (const int signal = QuitSignals::received()) {
        // The photo taken or being saved when the signal came reaches the disk
        // (bounded); no new one is started.
        const int savedBefore = saved;
        auto landed = [&] {
            return saved > savedBefore || failed || (controller.isLive() && !controller.isSaving());
        };
        if (!landed()) {
            *context_.err << "kestrel-cli: waiting for 1 photo to be saved\u2026" << std::endl;
            runUntil(landed, std::chrono::duration_cast<RunLoop::Duration>(WorkerQueue::kDrainBound), [] {});
            if (!landed()) *context_.err << "kestrel-cli: the photo on its way was not saved in time" << std::endl;
        }
        throw CliError(128 + signal, std::string("stopped by ") + strsignal(signal) + ": " +
                                         std::to_string(saved) + " of " + std::to_string(count_) +
                                         (count_ == 1 ? " picture" : " pictures") + " saved");
    }
    if (failed) throw CliError::failure("a picture could not be saved");
    if (const auto reason = unable(); reason && saved < count_)
        throw CliError::failure("mode " + std::to_string(settings.record().mode()) +
                                " cannot shoot any more: " + *reason);
    if (saved < count_) {
        char message[128];
        std::snprintf(message, sizeof message, "only %d of %d pictures saved in %g seconds", saved,
                      count_, maxTime_);
        throw CliError(3, message);
    }
}

}  // namespace kestrel::cli
