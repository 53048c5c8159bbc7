#pragma once

#include <mutex>
#include <string>

namespace kestrel {

// The desktop's camera portal (org.freedesktop.portal.Camera on the session
// bus): whether it answers and has a camera, access (the desktop may ask the
// user), and the PipeWire remote that shows only the cameras. Blocking calls,
// on the caller's thread (the window makes them off its loop); each failure
// is logged and answered quietly.
class CameraPortal {
public:
    static constexpr int kAnswerTimeoutMs = 1000;   // for a portal to say it is there
    static constexpr int kAccessTimeoutMs = 60000;  // for the user to allow the camera

    // `busAddress` empty: the session bus.
    explicit CameraPortal(std::string busAddress = "");
    ~CameraPortal();
    CameraPortal(const CameraPortal&) = delete;
    CameraPortal& operator=(const CameraPortal&) = delete;

    // Inside a Flatpak or Snap sandbox, where only the portal reaches a camera.
    static bool inSandbox();

    // YES when the portal answers and says a camera is present; else the reason.
    bool isCameraPresent(std::string* why);
    // AccessCamera, then OpenPipeWireRemote: the remote's descriptor (owned
    // by this object, closed with it), or -1 with the reason.
    int openPipeWireRemote(std::string* why);
    // From any thread: a wait for the user's answer ends at once, as
    // unanswered, and so does every later one (the program is going).
    void cancel();

private:
    bool awaitAnswer(const bool& answered);

    void* connection_ = nullptr;  // GDBusConnection
    std::string address_;
    int fd_ = -1;
    std::mutex mutex_;  // guards cancelled_ and waiting_
    bool cancelled_ = false;
    void* waiting_ = nullptr;  // the GMainContext of the wait for an answer, if one runs
};

}  // namespace kestrel
