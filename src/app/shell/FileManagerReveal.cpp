#include "app/shell/FileManagerReveal.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QString>
#include <QStringList>

namespace veyrune {

void revealInFileManager(const std::filesystem::path& file, QDBusConnection bus,
                         std::function<void(const QUrl&)> openFolder) {
    const QString path = QString::fromStdString(file.string());
    const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string()));
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                               QStringLiteral("/org/freedesktop/FileManager1"),
                                               QStringLiteral("org.freedesktop.FileManager1"),
                                               QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, openFolder = std::move(openFolder)] {
                         if (watcher->isError()) {
                             openFolder(folder);
                         }
                         watcher->deleteLater();
                     });
}

}  // namespace veyrune
