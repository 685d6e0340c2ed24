#include "system/linux/MountInfoMonitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "support/TempDirectory.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

class QtEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[32] = "system_mount_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

bool waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs a system command; fails the test with its output when it fails.
void run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    ASSERT_EQ(process.exitCode(), 0)
        << program.toStdString() << ": " << process.readAll().toStdString();
}

// Detaches whatever is still mounted at the paths when the test ends early.
struct MountCleanup {
    std::vector<std::filesystem::path> paths;
    ~MountCleanup() {
        for (const auto& path : paths) {
            QProcess::execute("umount", {"-l", QString::fromStdString(path.string())});
        }
    }
};

}  // namespace

// Needs root, as CI has, for loop and tmpfs mounts.
TEST(MountInfoMonitor, LoopMountedExt4IsAVolumeAndTmpfsIsNot) {
    ASSERT_EQ(::geteuid(), 0u) << "mounting needs root";
    TempDirectory scratch;
    const auto image = QString::fromStdString((scratch / "volume.img").string());
    const auto volume = scratch / "volume";
    const auto memory = scratch / "memory";
    std::filesystem::create_directories(volume);
    std::filesystem::create_directories(memory);
    MountCleanup cleanup{{volume, memory}};
    run("truncate", {"-s", "20M", image});
    run("mkfs.ext4", {"-q", "-F", image});
    run("mount", {"-t", "tmpfs", "none", QString::fromStdString(memory.string())});

    MountInfoMonitor monitor;
    std::vector<std::pair<std::string, std::optional<std::string>>> events;
    monitor.observeMounts([&](auto path) { events.emplace_back("mounted", path); });
    monitor.observeUnmounts([&](auto path) { events.emplace_back("unmounted", path); });

    run("umount", {QString::fromStdString(memory.string())});
    run("mount", {"-t", "tmpfs", "none", QString::fromStdString(memory.string())});
    run("mount", {"-o", "loop", image, QString::fromStdString(volume.string())});
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    run("umount", {QString::fromStdString(memory.string())});
    run("umount", {QString::fromStdString(volume.string())});
    cleanup.paths.clear();
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
        {"mounted", volume.string()}, {"unmounted", volume.string()}};
    EXPECT_EQ(events, expected);
}
