#include "adapters/gst/CameraPortal.h"

#include "core/platform/Log.h"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace kestrel {
namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.Camera";

GDBusConnection* connection(void* handle) { return static_cast<GDBusConnection*>(handle); }

std::string take(GError*& error) {
    std::string text = error ? error->message : "unknown error";
    g_clear_error(&error);
    return text;
}

}  // namespace

CameraPortal::CameraPortal(std::string busAddress) : address_(std::move(busAddress)) {}

CameraPortal::~CameraPortal() {
    if (fd_ >= 0) ::close(fd_);
    if (connection_) g_object_unref(connection(connection_));
}

bool CameraPortal::inSandbox() {
    return std::filesystem::exists("/.flatpak-info") || std::getenv("SNAP") != nullptr;
}

bool CameraPortal::isCameraPresent(std::string* why) {
    GError* error = nullptr;
    if (!connection_) {
        connection_ = address_.empty() ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error)
                                       : g_dbus_connection_new_for_address_sync(
                                             address_.c_str(),
                                             static_cast<GDBusConnectionFlags>(
                                                 G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                             nullptr, nullptr, &error);
        if (!connection_) {
            *why = "no session bus: " + take(error);
            return false;
        }
    }
    GVariant* reply = g_dbus_connection_call_sync(
        connection(connection_), kService, kPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", kInterface, "IsCameraPresent"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kAnswerTimeoutMs, nullptr, &error);
    if (!reply) {
        *why = "the camera portal does not answer: " + take(error);
        return false;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool present =
        g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    if (!present) *why = "the camera portal has no camera";
    return present;
}

int CameraPortal::openPipeWireRemote(std::string* why) {
    if (fd_ >= 0) return fd_;
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_) {
            *why = "the camera portal was not asked: the program is going";
            return -1;
        }
    }
    if (!connection_ && !isCameraPresent(why)) return -1;
    GDBusConnection* bus = connection(connection_);
    // The request's object path is known before the call, so its answer cannot be missed.
    static std::atomic<int> counter{0};
    const std::string token =
        "kestrel" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    std::string sender = g_dbus_connection_get_unique_name(bus) + 1;  // without the ':'
    for (char& c : sender)
        if (c == '.') c = '_';
    const std::string request = std::string(kPath) + "/request/" + sender + "/" + token;

    struct Answer {
        bool done = false;
        guint32 response = 2;
    } answer;
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    const guint subscription = g_dbus_connection_signal_subscribe(
        bus, kService, "org.freedesktop.portal.Request", "Response", request.c_str(), nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
           GVariant* parameters, gpointer data) {
            auto* a = static_cast<Answer*>(data);
            g_variant_get(parameters, "(u@a{sv})", &a->response, nullptr);
            a->done = true;
        },
        &answer, nullptr);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kService, kPath, kInterface, "AccessCamera", g_variant_new("(a{sv})", &options),
        G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, kAnswerTimeoutMs, nullptr, &error);
    if (reply) {
        g_variant_unref(reply);
        awaitAnswer(answer.done);
    }
    g_dbus_connection_signal_unsubscribe(bus, subscription);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    if (!reply) {
        *why = "the camera portal refused access: " + take(error);
        return -1;
    }
    if (!answer.done || answer.response != 0) {
        *why = !answer.done
                   ? "no answer from the camera portal within " +
                         std::to_string(kAccessTimeoutMs / 1000) + " s, or the program is going"
               : answer.response == 1 ? "the camera was not allowed"
                                      : "the camera portal could not give access";
        return -1;
    }
    GVariantBuilder none;
    g_variant_builder_init(&none, G_VARIANT_TYPE_VARDICT);
    GUnixFDList* fds = nullptr;
    GVariant* remote = g_dbus_connection_call_with_unix_fd_list_sync(
        bus, kService, kPath, kInterface, "OpenPipeWireRemote", g_variant_new("(a{sv})", &none),
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, kAnswerTimeoutMs, nullptr, &fds, nullptr,
        &error);
    if (!remote) {
        *why = "the camera portal gave no PipeWire remote: " + take(error);
        return -1;
    }
    gint32 index = -1;
    g_variant_get(remote, "(h)", &index);
    g_variant_unref(remote);
    fd_ = fds ? g_unix_fd_list_get(fds, index, &error) : -1;
    if (fds) g_object_unref(fds);
    if (fd_ < 0) *why = "the camera portal's remote could not be read: " + take(error);
    return fd_;
}

bool CameraPortal::awaitAnswer(const bool& answered) {
    // Sleeps in the context until the answer, the time limit or cancel()
    // wakes it: no polling while the desktop asks the user.
    GMainContext* context = g_main_context_get_thread_default();
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_) return false;
        waiting_ = context;
    }
    bool timedOut = false;
    GSource* limit = g_timeout_source_new(kAccessTimeoutMs);
    g_source_set_callback(
        limit,
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut, nullptr);
    g_source_attach(limit, context);
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (answered || timedOut || cancelled_) {
                waiting_ = nullptr;
                break;
            }
        }
        g_main_context_iteration(context, TRUE);
    }
    g_source_destroy(limit);
    g_source_unref(limit);
    return answered;
}

void CameraPortal::cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (waiting_) g_main_context_wakeup(static_cast<GMainContext*>(waiting_));
}

}  // namespace kestrel
