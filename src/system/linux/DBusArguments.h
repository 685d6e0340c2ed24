#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace veyrune {

// Checked readers of signal arguments: a message of any other shape gives
// nothing, never an assertion.

// The only argument, when it is a boolean ("b").
std::optional<bool> soleBoolean(const QDBusMessage& message);

// The changed properties of PropertiesChanged(s, a{sv}, as) for `interface`.
std::optional<QVariantMap> changedProperties(const QDBusMessage& message, const QString& interface);

// Properties.Get of one property, waiting at most a second; nothing on failure.
// For start-up and rare reads; a path that runs per event uses the next one.
std::optional<QVariant> getProperty(QDBusConnection& connection, const QString& service,
                                    const QString& path, const QString& interface,
                                    const QString& name);

// The same without waiting: `done` runs later on `context`'s thread with the
// value, or nothing on failure or after a second. Not at all once `context` is gone.
void getPropertyLater(QDBusConnection& connection, const QString& service, const QString& path,
                      const QString& interface, const QString& name, QObject* context,
                      std::function<void(std::optional<QVariant>)> done);

}  // namespace veyrune
