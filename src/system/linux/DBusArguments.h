#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace veyrune {

// Checked readers of signal arguments: a message of any other shape gives
// nothing, never an assertion.

// The only argument, when it is a boolean ("b").
std::optional<bool> soleBoolean(const QDBusMessage& message);

// The changed properties of PropertiesChanged(s, a{sv}, as) for `interface`.
std::optional<QVariantMap> changedProperties(const QDBusMessage& message, const QString& interface);

// Properties.Get of one property, waiting at most a second; nothing on failure.
std::optional<QVariant> getProperty(QDBusConnection& connection, const QString& service,
                                    const QString& path, const QString& interface,
                                    const QString& name);

}  // namespace veyrune
