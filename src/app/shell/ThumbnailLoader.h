#pragma once

#include <filesystem>
#include <functional>
#include <set>

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>

#include "base/TaskPool.h"

namespace veyrune {

// Loads evidence thumbnails on the task pool with QImageReader at a scaled
// size, once per file, and hands each image (null when unreadable) to
// `onLoaded` on the main thread while `receiver` exists. Main thread; the
// pool must outlive the loads it runs.
class ThumbnailLoader {
  public:
    using OnLoaded = std::function<void(const std::filesystem::path&, const QImage&)>;

    ThumbnailLoader(TaskPool& pool, QSize size, QObject* receiver, OnLoaded onLoaded);

    // Starts a load unless this file was asked for before.
    void request(const std::filesystem::path& file);

    // Reads `file` scaled to fit `size`, keeping its aspect ratio. Any thread.
    static QImage read(const std::filesystem::path& file, QSize size);

  private:
    TaskPool& pool_;
    QSize size_;
    QPointer<QObject> receiver_;
    OnLoaded onLoaded_;
    std::set<std::filesystem::path> requested_;
};

}  // namespace veyrune
