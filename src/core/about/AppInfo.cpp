#include "core/about/AppInfo.h"

#include <cstdlib>

namespace kestrel {

AppIdentity AppIdentity::fromEnvironment(std::string version, std::string storeId) {
    AppIdentity identity;
    identity.version = std::move(version);
    identity.storeId = std::move(storeId);
    if (const char* mail = std::getenv("KESTREL_SUPPORT_MAIL"); mail && *mail)
        identity.supportMail = mail;
    if (const char* host = std::getenv("KESTREL_STORE_HOST"); host && *host)
        identity.storeHost = host;
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
