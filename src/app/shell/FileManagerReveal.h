#pragma once

#include <QDBusConnection>
#include <QUrl>
#include <filesystem>
#include <functional>

namespace veyrune {

// Shows `file` selected in the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems on `bus`, which may start one).
// When no file manager answers, `openFolder` gets the folder that holds the
// file. Main thread; returns at once, the answer is awaited in the event loop.
void revealInFileManager(const std::filesystem::path& file, QDBusConnection bus,
                         std::function<void(const QUrl& folder)> openFolder);

}  // namespace veyrune
