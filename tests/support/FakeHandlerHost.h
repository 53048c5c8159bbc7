#pragma once

#include "core/modes/CameraHandler.h"
#include "core/modes/CameraHandlerHost.h"
#include "core/platform/ManualRunLoop.h"
#include "core/ui/Button.h"
#include "core/ui/ImageView.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"
#include "core/ui/View.h"
#include "support/RecordingSounds.h"
#include "support/TestPaths.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::test {

// The camera controller as a mode handler sees it: real views on a manual
// run loop, sounds that only record. The sensing panel and the count-down
// label start hidden, as on the camera screen. Each test decides what a
// picture request does.
class FakeHandlerHost : public CameraHandlerHost {
public:
    FakeHandlerHost() {
        sounds.loop = &loop;
        panel.setHidden(true);
        label.setHidden(true);
    }
    Label& timerLabel() override { return label; }
    View& sensorView() override { return panel; }
    IndicatorView& sensorIndicator() override { return indicator; }
    ImageButton& shutterButton() override { return shutter; }
    RunLoop& runLoop() override { return loop; }
    SystemSounds& systemSounds() override { return sounds; }
    std::filesystem::path resources() const override { return test::testPaths().resourcesDir; }
    Label& saveLabel() override { return save; }
    void overlay(const Image& image) override { ghost = image; }
    Image cameraScreenshot(Rect) override { return screen; }
    bool hasAccelerometer() const override { return accelerometer; }
    void showModeNotice() override { ++notices; }
    AudioSystem* audioSystem() override { return audio; }
    void trace(const std::string& event) override { events.push_back(event); }

    ManualRunLoop loop;
    Label label;
    View panel;
    IndicatorView indicator{Rect{0, 0, 100, 10}};
    ImageButton shutter;
    RecordingSounds sounds;
    Label save;
    Image ghost;
    Image screen;  // what the live view shows
    bool accelerometer = true;
    int notices = 0;  // times the mode's notice was asked for
    AudioSystem* audio = nullptr;
    std::vector<std::string> events;
};

// A controller whose picture requests are "taken" at once: each is noted
// with its time, and the controller calls the handler's ready on the next
// turn, as the camera controller does. The sensing panel holds a status picture.
class ReadyingHost final : public FakeHandlerHost {
public:
    ReadyingHost() { panel.addSubview(status); }
    void photo(bool finalPhoto) override {
        requests.push_back(loop.now());
        // The reason is read as the request comes, as the camera controller reads it.
        if (handler && finalPhoto) reasons.push_back(handler->reason());
        if (handler) loop.post([this] { handler->ready(); });
    }

    std::shared_ptr<ImageView> status = std::make_shared<ImageView>();
    CameraHandler* handler = nullptr;
    std::vector<RunLoop::Duration> requests;
    std::vector<std::string> reasons;  // of the final pictures asked for
};

}  // namespace kestrel::test
