#include "credentials/SecretServiceChangeWatcher.h"

#include <gio/gio.h>
#include <libsecret/secret.h>

namespace veyrune {

namespace {

constexpr const char* kServiceName = "org.freedesktop.secrets";

gboolean quitLoop(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

}  // namespace

SecretServiceChangeWatcher::SecretServiceChangeWatcher() = default;

SecretServiceChangeWatcher::~SecretServiceChangeWatcher() {
    if (!thread_.joinable()) {
        return;
    }
    // Quit from inside the loop: a quit sent before the loop runs would be lost.
    GSource* quit = g_idle_source_new();
    g_source_set_callback(quit, quitLoop, loop_, nullptr);
    g_source_attach(quit, context_);
    g_source_unref(quit);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void SecretServiceChangeWatcher::start(std::function<void()> changed) {
    // GLib's type system can deadlock when two threads set up related types
    // for the first time at once: this thread's g_bus_get_sync registering
    // GDBusConnection while a keyring read initialises libsecret's classes
    // (seen as a send that never started). Both are set up here, on the
    // caller's thread, before the watcher's thread or any keyring read runs.
    g_type_ensure(G_TYPE_DBUS_CONNECTION);
    g_type_class_unref(g_type_class_ref(SECRET_TYPE_SERVICE));
    changed_ = std::move(changed);
    context_ = g_main_context_new();
    loop_ = g_main_loop_new(context_, FALSE);
    thread_ = std::thread([this] { run(); });
}

bool SecretServiceChangeWatcher::isWatching() const {
    return watching_.load();
}

void SecretServiceChangeWatcher::run() {
    g_main_context_push_thread_default(context_);
    GDBusConnection* connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (connection != nullptr) {
        subscribe(connection);
    }
    g_main_loop_run(loop_);
    if (connection != nullptr) {
        unsubscribe(connection);
        g_object_unref(connection);
    }
    watching_ = false;
    g_main_context_pop_thread_default(context_);
}

void SecretServiceChangeWatcher::subscribe(GDBusConnection* connection) {
    // Signals first, name last: once the owner is known, no change can slip by.
    // The sender is checked again on arrival: only the service's owner counts.
    auto onSignal = +[](GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                        const gchar*, GVariant*, gpointer watcher) {
        auto* self = static_cast<SecretServiceChangeWatcher*>(watcher);
        if (!self->owner_.empty() && self->owner_ == sender) {
            self->changed_();
        }
    };
    itemSubscription_ = g_dbus_connection_signal_subscribe(
        connection, kServiceName, "org.freedesktop.Secret.Collection", nullptr, nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, onSignal, this, nullptr);
    serviceSubscription_ = g_dbus_connection_signal_subscribe(
        connection, kServiceName, "org.freedesktop.Secret.Service", nullptr, nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, onSignal, this, nullptr);
    nameWatch_ = g_bus_watch_name_on_connection(
        connection, kServiceName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar* owner, gpointer watcher) {
            static_cast<SecretServiceChangeWatcher*>(watcher)->ownerChanged(owner);
        },
        [](GDBusConnection*, const gchar*, gpointer watcher) {
            static_cast<SecretServiceChangeWatcher*>(watcher)->ownerChanged(nullptr);
        },
        this, nullptr);
}

void SecretServiceChangeWatcher::unsubscribe(GDBusConnection* connection) {
    g_bus_unwatch_name(nameWatch_);
    g_dbus_connection_signal_unsubscribe(connection, serviceSubscription_);
    g_dbus_connection_signal_unsubscribe(connection, itemSubscription_);
}

// A new service, or none, may hold other items: whatever was read is stale.
void SecretServiceChangeWatcher::ownerChanged(const char* owner) {
    owner_ = owner != nullptr ? owner : "";
    watching_ = owner != nullptr;
    changed_();
}

}  // namespace veyrune
