#pragma once

#include "core/settings/PrefAppDelegate.h"

namespace kestrel {

// Kestrel's application delegate: the start-up sequence, and (inherited) the
// settings saves on leaving the active state and on termination.
class KestrelAppDelegate : public PrefAppDelegate {
public:
    // The product variant code is set first of all, before anything reads a
    // setting through the rules or the effective values.
    virtual void applicationDidFinishLaunching();
};

}  // namespace kestrel
