#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

namespace veyrune {

// Veyrune on the session bus: owns "org.veyrune.Veyrune" (one instance per
// session) and exports org.freedesktop.Application at /org/veyrune/Veyrune,
// so a second launch, the desktop entry's actions and `gdbus` reach the
// running instance. Main thread.
class ApplicationBusService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

  public:
    static constexpr const char* serviceName = "org.veyrune.Veyrune";
    static constexpr const char* objectPath = "/org/veyrune/Veyrune";
    // What the D-Bus service file passes when the bus starts Veyrune to
    // deliver a request.
    static constexpr const char* busActivationArgument = "--dbus-activated";

    // What an Activate asks for: the request that made the bus start this
    // process is the launch itself; any later one is the user launching
    // Veyrune again while it runs.
    enum class Activation { launch, reopen };

    // `activate` brings Veyrune forward; `activateAction` runs an action by
    // name and answers false when there is no such action.
    ApplicationBusService(std::function<void(Activation)> activate,
                          std::function<bool(const QString& name)> activateAction);

    // Exports the object and takes the name. False when another instance
    // holds it (or there is no session bus). `startedByBus`: the bus started
    // this process, so the first request that arrives (any method) is the one
    // it was started for.
    bool publish(QDBusConnection bus, bool startedByBus = false);
    // Asks the instance that holds the name to come forward. False when none answers.
    static bool activateRunningInstance(QDBusConnection bus);

  public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                     const QVariantMap& platformData);

  private:
    // True once, for the first request of a process the bus started.
    bool takeStartingRequest();

    std::function<void(Activation)> activate_;
    std::function<bool(const QString&)> activateAction_;
    bool startingRequestPending_ = false;
};

}  // namespace veyrune
