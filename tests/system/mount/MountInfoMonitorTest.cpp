#include "system/linux/MountInfoMonitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "support/QtTestApplication.h"
#include "support/TempDirectory.h"

using namespace veyrune;
using namespace veyrune::test;

namespace {

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<QCoreApplication>);

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
    ASSERT_TRUE(waitForEvents([&] { return !events.empty(); }));
    run("umount", {QString::fromStdString(memory.string())});
    run("umount", {QString::fromStdString(volume.string())});
    cleanup.paths.clear();
    ASSERT_TRUE(waitForEvents([&] { return events.size() >= 2; }));
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
        {"mounted", volume.string()}, {"unmounted", volume.string()}};
    EXPECT_EQ(events, expected);
}
