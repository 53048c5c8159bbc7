#include "core/modes/CameraFacesHandler.h"

#include "core/ui/Label.h"
#include "support/FakeFaceFinder.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::FakeFaceFinder;

// A camera controller with a face finder and a live frame; picture
// requests are noted with their time, the reason and the moment the picture
// is of, and the handler is readied again on the next turn.
class FacesHost final : public test::FakeHandlerHost {
public:
    FacesHost() { panel.addSubview(count); }
    void photo(bool finalPhoto) override {
        requests.push_back(loop.now());
        if (handler && finalPhoto) {
            reasons.push_back(handler->reason());
            moments.push_back(handler->takeEventTime());
        }
        if (handler) loop.post([this] { handler->ready(); });
    }
    Image previewFrame() override { return test::TestImages::uniform(64, 48, test::Rgb{90, 90, 90}); }
    std::shared_ptr<FaceFinder> faceFinder() override { return finder; }

    std::shared_ptr<FakeFaceFinder> finder = std::make_shared<FakeFaceFinder>();
    std::shared_ptr<Label> count = std::make_shared<Label>();
    CameraHandler* handler = nullptr;
    std::vector<RunLoop::Duration> requests;
    std::vector<std::string> reasons;
    std::vector<std::optional<RunLoop::Duration>> moments;
};

class FacesModeTest : public test::HandlerFixture<FacesHost> {
protected:
    FacesModeTest() {
        record.setMode(Camera1Data::kFaces);
        record.faces().setTimerDelay(1);
    }
    // Moves the clock by `seconds` in poll steps; each frame the finder
    // looks at off the loop is waited for, as a run on virtual time waits.
    void run(double seconds) {
        const auto until = host.loop.now() + RunLoop::seconds(seconds);
        while (host.loop.now() < until) {
            host.loop.advance(std::min(0.05, RunLoop::toSeconds(until - host.loop.now())));
            if (faces.workingOffLoop()) {
                ASSERT_TRUE(host.loop.waitForPosts(std::chrono::seconds(10)));
                host.loop.runUntilIdle();
            }
        }
    }
    CameraFacesHandler faces;
};

TEST_F(FacesModeTest, CountsDownWatchesAndShootsTheFrameTheFacesSmiledIn) {
    record.faces().setFaces(2);
    attach(faces);
    host.finder->answer(FakeFaceFinder::faces(2, 1, 2));
    faces.shutter();
    EXPECT_EQ(faces.state(), CameraHandler::kDelay);
    run(1.25);
    ASSERT_EQ(faces.state(), CameraHandler::kSensing);
    run(3.0);
    EXPECT_TRUE(host.requests.empty());  // one of two smiling is not two
    EXPECT_EQ(host.count->text(), "2 faces \u00b7 1 smiling");
    EXPECT_FALSE(host.count->hidden());
    host.finder->answer(FakeFaceFinder::faces(2, 2, 0));
    run(2.0);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.reasons[0], "faces 2 of 2 smiling");
    // Three results in a row (medium), four polls a second: the photo is of
    // the third agreeing poll's frame, before the decision.
    ASSERT_TRUE(host.moments[0]);
    EXPECT_LT(*host.moments[0], host.requests[0]);
    EXPECT_GE(host.requests[0] - *host.moments[0], RunLoop::seconds(0.2));
    EXPECT_TRUE(host.count->hidden());
    EXPECT_FALSE(faces.autoStart());  // no repeat: one photo
}

TEST_F(FacesModeTest, LookingModeTakesTheUnsmilingFaceThatLooksAtTheCamera) {
    record.faces().setTrigger(Camera1FacesData::kLook);
    record.faces().setSensitivity(3);  // high: two results in a row
    attach(faces);
    host.finder->answer(FakeFaceFinder::faces(1, 0, 1));
    faces.shutter();
    run(1.25 + 0.75);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.reasons[0], "faces 1 of 1 looking");
}

TEST_F(FacesModeTest, NoFaceFoundNeverShootsEvenWaitingForAllFound) {
    record.faces().setFaces(Camera1FacesData::kAllFound);
    attach(faces);
    host.finder->answer({});
    faces.shutter();
    run(60.0);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(faces.state(), CameraHandler::kSensing);
    EXPECT_GT(host.finder->calls, 100);  // it kept looking, four times a second
    EXPECT_EQ(host.count->text(), "0 faces \u00b7 0 smiling");
}

TEST_F(FacesModeTest, WithRepeatItWatchesAgainAfterAPauseUntilPressed) {
    record.faces().setRepeat(true);
    record.faces().setSensitivity(3);
    attach(faces);
    host.finder->answer(FakeFaceFinder::faces(1, 1, 1));
    faces.shutter();
    run(2.0);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_TRUE(faces.autoStart());
    run(1.0);
    EXPECT_EQ(faces.state(), CameraHandler::kDelay);  // the pause, no number
    EXPECT_EQ(host.label.text(), "");
    run(2.0);
    EXPECT_EQ(host.requests.size(), 2u);
    faces.shutter();  // ends the series
    run(5.0);
    EXPECT_EQ(host.requests.size(), 2u);
    EXPECT_EQ(faces.state(), CameraHandler::kIdle);
}

TEST_F(FacesModeTest, WithoutAFaceFinderTheModeSaysWhyAndDoesNothing) {
    host.finder = nullptr;
    attach(faces);
    ASSERT_TRUE(faces.unavailableReason());
    EXPECT_FALSE(faces.shutter());
    EXPECT_EQ(faces.state(), CameraHandler::kIdle);
    EXPECT_EQ(host.notices, 1);
}

TEST_F(FacesModeTest, AFinderThatFailsForGoodEndsTheWatchAndTheModeSaysSo) {
    attach(faces);
    host.finder->fail("the face landmark model cannot be read");
    faces.shutter();
    run(1.25 + 10.0);
    EXPECT_EQ(host.finder->calls, 1);  // one look, then none
    EXPECT_EQ(faces.state(), CameraHandler::kIdle);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_TRUE(host.count->hidden());
    ASSERT_TRUE(faces.unavailableReason());
    EXPECT_EQ(host.notices, 1);
    // A press says why again and starts nothing.
    EXPECT_FALSE(faces.shutter());
    run(5.0);
    EXPECT_EQ(faces.state(), CameraHandler::kIdle);
    EXPECT_EQ(host.notices, 2);
    EXPECT_EQ(host.finder->calls, 1);
}

TEST(FacesModeRulesTest, SensitivityAgreementAndStoredRule) {
    EXPECT_EQ(CameraFacesHandler::agreement(2), 5);  // low
    EXPECT_EQ(CameraFacesHandler::agreement(0), 3);  // medium
    EXPECT_EQ(CameraFacesHandler::agreement(3), 2);  // high
    EXPECT_EQ(CameraFacesHandler::agreement(7), 3);
    EXPECT_EQ(CameraFacesHandler::countText({1, 1, 0}, true), "1 face \u00b7 1 smiling");
    EXPECT_EQ(CameraFacesHandler::countText({3, 2, 1}, false), "3 faces \u00b7 1 looking");
}

}  // namespace
}  // namespace kestrel
