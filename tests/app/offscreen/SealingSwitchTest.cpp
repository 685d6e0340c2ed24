#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>

#include "ShellHarness.h"
#include "app/shell/GeneralSettingsTab.h"
#include "app/shell/SealKeyDialog.h"
#include "app/shell/ShellTexts.h"
#include "seal/SealKeyFile.h"

namespace veyrune::test {
namespace {

// The General tab over a real sealer in the harness's folder; the sealer's
// queue runs when the test drains it.
struct SealingSwitchTest : ::testing::Test {
    ShellHarness h;
    std::filesystem::path keyFile = h.folder.path() / "security-events.sealkey";
    std::filesystem::path sealsFile = h.folder.path() / "security-events.seals";
    ManualSerialQueue sealQueue{"Veyrune.Sealing"};
    ManualTimerScheduler sealTimer;
    Sealer sealer{h.clock, PosixFileSystem::shared(), h.events, keyFile, sealsFile};
    SealingService sealing{sealer, sealQueue, sealTimer, nullptr, h.clock, {}};
    GeneralSettingsTab tab{*h.model, *h.settings, *h.launchAtLogin, *h.updater, {}, &sealing};

    QCheckBox& box() { return *tab.findChild<QCheckBox*>(QStringLiteral("sealEventLog")); }
    SealKeyDialog* dialog() { return tab.findChild<SealKeyDialog*>(); }
    // Switches on and waits for what the sealer gave back to reach the tab.
    void switchOn() {
        box().click();
        sealQueue.drain();
        QApplication::processEvents();
        QApplication::processEvents();
    }
};

// The finder pattern's 7×7 modules at the top left, after the quiet zone.
bool hasFinderPatternTopLeft(const QImage& image, int modulePixels, int quietModules) {
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 7; ++column) {
            bool ring = row == 0 || row == 6 || column == 0 || column == 6;
            bool centre = row >= 2 && row <= 4 && column >= 2 && column <= 4;
            int x = (quietModules + column) * modulePixels + modulePixels / 2;
            int y = (quietModules + row) * modulePixels + modulePixels / 2;
            if ((qGray(image.pixel(x, y)) < 128) != (ring || centre)) {
                return false;
            }
        }
    }
    return qGray(image.pixel(1, 1)) > 128;
}

TEST_F(SealingSwitchTest, SwitchingOnShowsTheKeyThatMatchesTheKeyFileOnceInGroupsAndAsAQRCode) {
    ASSERT_EQ(dialog(), nullptr);
    switchOn();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_TRUE(h.settings->value(Settings::sealEventLog));

    auto text = dialog()->shownText();
    EXPECT_EQ(text.split(QLatin1Char('\n')).size(), 5);  // 17 groups, four to a row
    auto key =
        VerificationKey::parse(text.replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString());
    auto stored = SealKeyFile(keyFile, PosixFileSystem::shared()).load();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->key, key.seed);
    EXPECT_EQ(stored->epoch, key.firstEpoch);

    auto code = dialog()->shownCode().toImage();
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.width(), code.height());
    EXPECT_TRUE(hasFinderPatternTopLeft(code, 4, 4));

    // Neither the key's text nor its groups are written anywhere.
    for (const auto& entry : std::filesystem::directory_iterator(h.folder.path())) {
        if (entry.is_regular_file()) {
            auto contents = readFile(entry.path());
            EXPECT_EQ(contents.find(key.text()), std::string::npos) << entry.path();
            EXPECT_EQ(contents.find(key.text().substr(0, 9)), std::string::npos) << entry.path();
        }
    }
}

TEST_F(SealingSwitchTest, SwitchingOffRemovesTheKeyFileAndKeepsTheSeals) {
    switchOn();
    delete dialog();
    sealing.close([] {});
    sealQueue.drain();
    ASSERT_TRUE(std::filesystem::exists(sealsFile));
    auto seals = readFile(sealsFile);

    box().click();
    sealQueue.drain();
    EXPECT_FALSE(std::filesystem::exists(keyFile));
    EXPECT_EQ(readFile(sealsFile), seals);
    EXPECT_FALSE(h.settings->value(Settings::sealEventLog));
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(SealingSwitchTest, AKeyFileThatCannotBeWrittenTurnsTheSwitchBackOffWithTheReason) {
    std::filesystem::create_directory(keyFile);
    switchOn();
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_FALSE(box().isChecked());
    EXPECT_FALSE(h.settings->value(Settings::sealEventLog));
    bool reasonShown = false;
    for (auto* label : tab.findChildren<QLabel*>()) {
        reasonShown |= label->text().startsWith(QString::fromUtf8(ShellTexts::sealFailed));
    }
    EXPECT_TRUE(reasonShown);
}

}  // namespace
}  // namespace veyrune::test
