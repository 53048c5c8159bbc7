#pragma once

#include <string>

namespace kestrel {

// Kestrel's identity as the About screen shows and shares it. The support
// mailbox and the store's web host are configuration values
// ($KESTREL_SUPPORT_MAIL, $KESTREL_STORE_HOST); the store identifier is set
// at start-up.
struct AppIdentity {
    std::string displayName = "Kestrel";
    std::string version;
    std::string storeId;
    std::string supportMail = "support@kestrel-camera.example";
    std::string storeHost = "apps.kestrel-camera.example";

    // The defaults with the configuration values of the environment.
    static AppIdentity fromEnvironment(std::string version, std::string storeId = {});
    // The store page of an application, with or without the "&mt=8" marker.
    std::string storePage(const std::string& appId, bool marked) const;
};

// One of the maker's other applications, shipped as a folder under the
// resources' "Apps" folder: "<appId>.png" (its icon) and a ".txt" blurb.
struct AppInfo {
    std::string appName;
    std::string appId;
    std::string description;

    std::string iTunesPath(const AppIdentity& identity) const {
        return identity.storePage(appId, true);
    }
    // "<appsFolder>/<appName>/<appId>.png".
    std::string iconPath(const std::string& appsFolder) const;
};

}  // namespace kestrel
