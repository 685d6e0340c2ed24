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

    // `activate` is the reopen request; `activateAction` runs an action by
    // name and answers false when there is no such action.
    ApplicationBusService(std::function<void()> activate,
                          std::function<bool(const QString& name)> activateAction);

    // Exports the object and takes the name. False when another instance
    // holds it (or there is no session bus).
    bool publish(QDBusConnection bus);
    // Asks the instance that holds the name to come forward. False when none answers.
    static bool activateRunningInstance(QDBusConnection bus);

  public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& name, const QVariantList& parameter,
                                     const QVariantMap& platformData);

  private:
    std::function<void()> activate_;
    std::function<bool(const QString&)> activateAction_;
};

}  // namespace veyrune
