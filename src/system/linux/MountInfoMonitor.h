#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "system/linux/MountTable.h"

namespace veyrune {

// Volumes mounted and unmounted, seen as changes of `root`/proc/self/mountinfo
// (the kernel marks the file with POLLPRI on every change) and diffed by mount
// point. Volumes mounted when the monitor starts raise nothing. Main thread.
class MountInfoMonitor final : public QObject {
  public:
    using Handler = std::function<void(std::optional<std::string> mountPoint)>;

    explicit MountInfoMonitor(std::filesystem::path root = "/", QObject* parent = nullptr);
    ~MountInfoMonitor() override;

    // Starts watching on the first call; without a readable mountinfo nothing
    // is ever reported.
    void observeMounts(Handler handler);
    void observeUnmounts(Handler handler);

  private:
    void start();
    std::optional<MountTable> readTable() const;
    void tableChanged();

    std::filesystem::path path_;
    int descriptor_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    MountTable table_;
    Handler mounted_;
    Handler unmounted_;
};

}  // namespace veyrune
