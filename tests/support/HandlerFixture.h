#pragma once

#include "core/modes/CameraHandler.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

namespace kestrel::test {

// A mode handler under test: this build's settings record in a memory
// store, and a `Host` (a fake camera controller with a `handler` member)
// that the handler is attached to.
template <class Host>
class HandlerFixture : public ::testing::Test {
protected:
    HandlerFixture() : record(store) { ApplicationId::setId(ApplicationId::kThisBuild); }
    ~HandlerFixture() override { ApplicationId::setId(0); }
    void attach(CameraHandler& handler) {
        host.handler = &handler;
        handler.setController(&host);
    }

    MemoryStore store;
    Camera1Data record;
    Host host;
};

}  // namespace kestrel::test
