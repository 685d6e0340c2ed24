#include "system/linux/MountInfoMonitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>

namespace veyrune {

MountInfoMonitor::MountInfoMonitor(std::filesystem::path root, QObject* parent)
    : QObject(parent), path_(std::move(root) / "proc/self/mountinfo") {}

MountInfoMonitor::~MountInfoMonitor() {
    notifier_.reset();
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void MountInfoMonitor::observeMounts(Handler handler) {
    mounted_ = std::move(handler);
    start();
}

void MountInfoMonitor::observeUnmounts(Handler handler) {
    unmounted_ = std::move(handler);
    start();
}

void MountInfoMonitor::start() {
    if (descriptor_ >= 0) {
        return;
    }
    descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        return;
    }
    table_ = readTable().value_or(MountTable{});
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Exception);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { tableChanged(); });
}

std::optional<MountTable> MountInfoMonitor::readTable() const {
    // Reading the whole file from the start also clears the change mark.
    if (::lseek(descriptor_, 0, SEEK_SET) < 0) {
        return std::nullopt;
    }
    std::string text;
    std::array<char, 16384> buffer;
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer.data(), buffer.size());
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        text.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return MountTable::parse(text);
}

void MountInfoMonitor::tableChanged() {
    auto current = readTable();
    if (!current) {
        return;
    }
    const auto mounted = current->mountedSince(table_);
    const auto unmounted = table_.mountedSince(*current);
    table_ = std::move(*current);
    for (const auto& mountPoint : unmounted) {
        if (unmounted_) {
            unmounted_(mountPoint);
        }
    }
    for (const auto& mountPoint : mounted) {
        if (mounted_) {
            mounted_(mountPoint);
        }
    }
}

}  // namespace veyrune
