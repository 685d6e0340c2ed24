#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "support/QtTestApplication.h"

namespace veyrune::test {

// A private dbus-daemon standing in for the system bus, with python3-dbusmock
// templates started on it. The daemon and the mocks are this object's child
// processes and end with it.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // A new connection of its own to the bus (its own unique name).
    QDBusConnection connect(const QString& name);
    // Starts `python3 -m dbusmock --system --template NAME` and waits until it
    // owns `service`.
    void startMock(const QString& templateName, const QString& service);
    // Starts a bare dbusmock object `path` with `interface`, owning `service`.
    void startPlainMock(const QString& service, const QString& path, const QString& interface);
    void stopMocks();
    // Stops (SIGSTOP) or resumes every mock: a stopped service neither answers
    // nor leaves the bus, like one that hangs.
    void freezeMocks(bool frozen);

    // A call on the mock object `path` of `service`; fails the test on an error reply.
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    // org.freedesktop.DBus.Mock.EmitSignal on logind's manager object.
    void emitLogindSignal(const QString& member, const QString& signature,
                          const QVariantList& arguments);
    // logind's ListInhibitors as (what, who, why, mode) rows.
    std::vector<std::vector<QString>> logindInhibitors();

    const QString& address() const { return address_; }

  private:
    void startMockProcess(const QStringList& arguments, const QString& service);

    QProcess daemon_;
    QString address_;
    std::vector<std::unique_ptr<QProcess>> mocks_;
    QDBusConnection control_{QString()};
};

}  // namespace veyrune::test
