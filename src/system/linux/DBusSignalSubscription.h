#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <functional>

namespace veyrune {

// Delivers one D-Bus signal to a handler, but only when it was sent by the
// unique bus name that owns `service` at that moment; signals of any other
// peer are dropped. The owner is looked up once at construction and then
// followed through NameOwnerChanged. The handler checks the arguments itself.
// Lives on the connection's thread (the main thread); unsubscribes when deleted.
class DBusSignalSubscription final : public QObject {
    Q_OBJECT

  public:
    using Handler = std::function<void(const QDBusMessage&)>;

    DBusSignalSubscription(QDBusConnection connection, const QString& service, const QString& path,
                           const QString& interface, const QString& member, Handler handler,
                           QObject* parent = nullptr);
    ~DBusSignalSubscription() override;

    // The unique name currently owning the service; empty when none.
    const QString& owner() const { return owner_; }

  private Q_SLOTS:
    void deliver(const QDBusMessage& message);

  private:
    QDBusConnection connection_;
    QString service_, path_, interface_, member_;
    Handler handler_;
    QDBusServiceWatcher ownerWatcher_;
    QString owner_;
};

}  // namespace veyrune
