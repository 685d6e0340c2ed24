#include "app/shell/ThumbnailLoader.h"

#include <QCoreApplication>
#include <QImageReader>

namespace veyrune {

ThumbnailLoader::ThumbnailLoader(TaskPool& pool, QSize size, QObject* receiver, OnLoaded onLoaded)
    : pool_(pool), size_(size), receiver_(receiver), onLoaded_(std::move(onLoaded)) {}

void ThumbnailLoader::request(const std::filesystem::path& file) {
    if (!requested_.insert(file).second) {
        return;
    }
    pool_.run([file, size = size_, receiver = receiver_, onLoaded = onLoaded_] {
        QImage image = read(file, size);
        // The application object outlives every window; the receiver is checked on arrival.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [file, image, receiver, onLoaded] {
                if (receiver) {
                    onLoaded(file, image);
                }
            },
            Qt::QueuedConnection);
    });
}

QImage ThumbnailLoader::read(const std::filesystem::path& file, QSize size) {
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid()) {
        reader.setScaledSize(full.scaled(size, Qt::KeepAspectRatio));
    }
    return reader.read();
}

}  // namespace veyrune
