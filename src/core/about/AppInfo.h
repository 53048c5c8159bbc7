#pragma once

#include <string>

namespace kestrel {

// Kestrel's identity as the About screen shows and shares it: the version
// and store identifier set at start-up, the support mailbox and the store's
// web host Kestrel's own (whoever needs others sets them here, as the
// About screen's tests do).
struct AppIdentity {
    std::string displayName = "Kestrel";
    std::string version;
    std::string storeId;
    std::string supportMail = "support@kestrel-camera.example";
    std::string storeHost = "apps.kestrel-camera.example";

    // Kestrel's identity at `version`.
    static AppIdentity of(std::string version, std::string storeId = {});
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
