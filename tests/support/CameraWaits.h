#pragma once

#include "core/camera/CameraControllerHelper.h"
#include "core/platform/ManualRunLoop.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kestrel::test {

// The camera's pictures are processed on the photo worker's thread, their
// results coming back by post: virtual time stands still while the loop
// waits for them, then their completions run. Answers whether they came.
inline bool awaitProcessing(ManualRunLoop& loop, const CameraControllerHelper& camera) {
    while (camera.isProcessing()) {
        if (!loop.waitForPosts(std::chrono::seconds(60))) {
            ADD_FAILURE() << "a picture was still being processed after 60 s";
            return false;
        }
        loop.runUntilIdle();
    }
    return true;
}

// The same, then the saves under way (on the store's thread) until the
// camera is back in the live view or waiting for a choice.
inline bool awaitPhotos(ManualRunLoop& loop, const CameraControllerHelper& camera) {
    while (camera.isProcessing() || camera.isSaving()) {
        if (!loop.waitForPosts(std::chrono::seconds(60))) {
            ADD_FAILURE() << "a picture was still being processed or saved after 60 s";
            return false;
        }
        loop.runUntilIdle();
    }
    return true;
}

}  // namespace kestrel::test
