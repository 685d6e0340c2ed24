#include "app/shell/FileManagerReveal.h"

#include <gtest/gtest.h>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include "PrivateSessionBus.h"
#include "ShellHarness.h"

namespace veyrune::test {
namespace {

// A file manager on the bus: keeps the arguments of every ShowItems call and
// answers it, as Nautilus, Dolphin and their kin do.
class FakeFileManager : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QStringLiteral("ShowItems")) {
            return false;
        }
        shown.push_back(message.arguments().value(0).toStringList());
        connection.send(message.createReply());
        return true;
    }
    std::vector<QStringList> shown;
};

TEST(FileManagerRevealTest, ShowsTheFileInTheFileManagerOrElseOpensItsFolder) {
    const std::filesystem::path file = "/home/someone/.local/share/Veyrune/veyrune-events.csv";
    for (bool fileManagerRuns : {true, false}) {
        SCOPED_TRACE(fileManagerRuns ? "file manager on the bus" : "no file manager");
        PrivateSessionBus bus;
        FakeFileManager fileManager;
        if (fileManagerRuns) {
            auto connection = bus.connect();
            ASSERT_TRUE(connection.registerVirtualObject(
                QStringLiteral("/org/freedesktop/FileManager1"), &fileManager));
            ASSERT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        }
        std::vector<QUrl> opened;
        revealInFileManager(file, bus.connect(),
                            [&](const QUrl& folder) { opened.push_back(folder); });
        ASSERT_TRUE(waitUntil([&] { return !fileManager.shown.empty() || !opened.empty(); }));
        settle(50);
        if (fileManagerRuns) {
            ASSERT_EQ(fileManager.shown.size(), 1u);
            EXPECT_EQ(fileManager.shown[0],
                      QStringList{QStringLiteral(
                          "file:///home/someone/.local/share/Veyrune/veyrune-events.csv")});
            EXPECT_TRUE(opened.empty());
        } else {
            EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(
                                  QStringLiteral("/home/someone/.local/share/Veyrune"))});
        }
    }
}

}  // namespace
}  // namespace veyrune::test
