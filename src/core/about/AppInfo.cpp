#include "core/about/AppInfo.h"

namespace kestrel {

AppIdentity AppIdentity::of(std::string version, std::string storeId) {
    AppIdentity identity;
    identity.version = std::move(version);
    identity.storeId = std::move(storeId);
    return identity;
}

std::string AppIdentity::storePage(const std::string& appId, bool marked) const {
    return "https://" + storeHost + "/WebObjects/MZStore.woa/wa/viewSoftware?id=" + appId +
           (marked ? "&mt=8" : "");
}

std::string AppInfo::iconPath(const std::string& appsFolder) const {
    return appsFolder + "/" + appName + "/" + appId + ".png";
}

}  // namespace kestrel
