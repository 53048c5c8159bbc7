#include "core/modes/ModeOffer.h"

#include "core/modes/CameraHandler.h"
#include "core/settings/Camera1Data.h"
#include "support/FakeFaceFinder.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Each mode number gets its own handler, told apart by the icon it shows;
// the numbers that are no shooting mode get none and are never offered.
TEST(ModeOfferTest, EachModeNumberMakesItsOwnHandler) {
    const std::pair<int, const char*> handlers[] = {
        {Camera1Data::kStabilizing, "Mode_Stable_on.png"},
        {Camera1Data::kStandard, "Mode_Auto.png"},
        {Camera1Data::kTimer, "Mode_Timer_on.png"},
        {Camera1Data::kMoving, "Mode_Toss_on.png"},
        {Camera1Data::kMotion, "Mode_Motion_on.png"},
        {Camera1Data::kSound, "Mode_Sound_on.png"},
        {Camera1Data::kRapidFire, "Mode_Rapid_on.png"},
        {Camera1Data::kDoubleExposure, "Mode_Double_on.png"},
        {Camera1Data::kAnaglyph3D, "Mode_3D.png"},
        {Camera1Data::kFaces, "Mode_Faces_on.png"},
    };
    for (const auto& [mode, icon] : handlers) {
        const auto handler = ModeOffer::handlerFor(mode);
        ASSERT_NE(handler, nullptr) << mode;
        EXPECT_EQ(handler->getModeImage(), icon) << mode;
    }
    for (int mode : {-1, int{Camera1Data::kVideo}, int{Camera1Data::kPrint}, 12}) {
        EXPECT_EQ(ModeOffer::handlerFor(mode), nullptr) << mode;
        EXPECT_FALSE(ModeOffer::offered(mode)) << mode;
    }
}

// Faces has a handler either way, but is offered only with a face finder.
TEST(ModeOfferTest, FacesIsOfferedOnlyWithAFaceFinder) {
    ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
    EXPECT_FALSE(ModeOffer::offered(Camera1Data::kFaces));
    EXPECT_NE(ModeOffer::handlerFor(Camera1Data::kFaces), nullptr);
    EXPECT_TRUE(ModeOffer::offered(Camera1Data::kStandard));
    ModeOffer::setFaceFinder(std::make_shared<test::FakeFaceFinder>());
    EXPECT_TRUE(ModeOffer::offered(Camera1Data::kFaces));
    ModeOffer::setFaceFinder(nullptr, "no face finder in this test");
}

}  // namespace
}  // namespace kestrel
