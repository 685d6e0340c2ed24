#pragma once

#include <gtest/gtest.h>
#include <QDBusConnection>
#include <QDBusError>
#include <QProcess>
#include <QString>

namespace veyrune::test {

// A dbus-daemon of the test's own, so that what a test publishes meets no
// other program. The daemon is this object's child process and ends with it.
class PrivateSessionBus {
  public:
    PrivateSessionBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--nosyslog"), QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(10000)) {
            ADD_FAILURE() << "dbus-daemon did not start (package dbus)";
            return;
        }
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        EXPECT_FALSE(address_.isEmpty()) << "dbus-daemon printed no address";
    }
    ~PrivateSessionBus() {
        for (const auto& name : names_) {
            QDBusConnection::disconnectFromBus(name);
        }
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // A new connection of its own (its own unique name on the bus).
    QDBusConnection connect() {
        static int count = 0;
        names_ << QStringLiteral("veyrune-test-%1").arg(++count);
        auto connection = QDBusConnection::connectToBus(address_, names_.back());
        EXPECT_TRUE(connection.isConnected()) << connection.lastError().message().toStdString();
        return connection;
    }

  private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}  // namespace veyrune::test
