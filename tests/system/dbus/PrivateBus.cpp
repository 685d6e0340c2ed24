#include "PrivateBus.h"

#include "support/QtTestApplication.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QTimer>
#include <atomic>

namespace veyrune::test {

namespace {

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<QCoreApplication>);
std::atomic<int> connectionCount{0};

}  // namespace

PrivateBus::PrivateBus() {
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nosyslog"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(10000)) {
        ADD_FAILURE() << "dbus-daemon did not start (package dbus)";
        return;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        ADD_FAILURE() << "dbus-daemon printed no address";
        return;
    }
    control_ = connect(QStringLiteral("control"));
}

PrivateBus::~PrivateBus() {
    stopMocks();
    daemon_.terminate();
    daemon_.waitForFinished(5000);
}

QDBusConnection PrivateBus::connect(const QString& name) {
    const QString unique = name + QString::number(++connectionCount);
    return QDBusConnection::connectToBus(address_, unique);
}

void PrivateBus::startMock(const QString& templateName, const QString& service) {
    startMockProcess({QStringLiteral("--template"), templateName}, service);
}

void PrivateBus::startPlainMock(const QString& service, const QString& path,
                                const QString& interface) {
    startMockProcess({service, path, interface}, service);
}

void PrivateBus::startMockProcess(const QStringList& arguments, const QString& service) {
    auto mock = std::make_unique<QProcess>();
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
    mock->setProcessEnvironment(environment);
    mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock->start(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system")} +
            arguments);
    ASSERT_TRUE(mock->waitForStarted(10000)) << "python3-dbusmock did not start";
    auto* running = mock.get();
    mocks_.push_back(std::move(mock));
    ASSERT_TRUE(waitForEvents([&] {
        return control_.interface()->isServiceRegistered(service).value() ||
               running->state() == QProcess::NotRunning;
    }));
    ASSERT_EQ(running->state(), QProcess::Running) << "dbusmock ended early";
}

void PrivateBus::freezeMocks(bool frozen) {
    for (auto& mock : mocks_) {
        ::kill(static_cast<pid_t>(mock->processId()), frozen ? SIGSTOP : SIGCONT);
    }
}

void PrivateBus::stopMocks() {
    freezeMocks(false);
    for (auto& mock : mocks_) {
        mock->terminate();
        mock->waitForFinished(5000);
    }
    mocks_.clear();
}

QDBusMessage PrivateBus::call(const QString& service, const QString& path, const QString& interface,
                              const QString& method, const QVariantList& arguments) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    auto reply = control_.call(message, QDBus::Block, 10000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

void PrivateBus::emitLogindSignal(const QString& member, const QString& signature,
                                  const QVariantList& arguments) {
    QVariantList wrapped;
    for (const auto& argument : arguments) {
        wrapped.push_back(QVariant::fromValue(QDBusVariant(argument)));
    }
    call(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
         QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"),
         {QStringLiteral("org.freedesktop.login1.Manager"), member, signature, wrapped});
}

std::vector<std::vector<QString>> PrivateBus::logindInhibitors() {
    auto reply =
        call(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"));
    std::vector<std::vector<QString>> rows;
    if (reply.arguments().isEmpty()) {
        return rows;
    }
    const auto list = reply.arguments().front().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        rows.push_back({what, who, why, mode});
    }
    list.endArray();
    return rows;
}

}  // namespace veyrune::test
