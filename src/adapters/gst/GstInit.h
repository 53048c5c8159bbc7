#pragma once

namespace kestrel {

// Initialises GStreamer once per process (any thread); later calls do nothing.
void initGstreamer();

}  // namespace kestrel
