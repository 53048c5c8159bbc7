#include "core/app/KestrelAppDelegate.h"

#include "core/settings/ApplicationId.h"

namespace kestrel {

void KestrelAppDelegate::applicationDidFinishLaunching() {
    ApplicationId::setId(ApplicationId::kThisBuild);
}

}  // namespace kestrel
