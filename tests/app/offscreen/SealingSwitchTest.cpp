#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>

#include "ShellHarness.h"
#include "app/shell/GeneralSettingsTab.h"
#include "app/shell/SealKeyDialog.h"
#include "app/shell/ShellTexts.h"
#include "seal/SealKeyFile.h"
#include "support/ChildProcess.h"

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
    SealingService sealing{sealer, sealQueue, sealTimer, nullptr, h.clock, {}, h.settings.get()};
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

// What a phone's camera reads off the code: zbar's decoder on the picture
// saved as a PNG file.
std::optional<std::string> decodedQRCode(const QImage& image, const std::filesystem::path& folder) {
    auto file = folder / "code.png";
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
        return std::nullopt;
    }
    ChildProcess zbar({"zbarimg", "--raw", "-q", file.string()});
    auto text = zbar.readLine();
    std::filesystem::remove(file);
    return text;
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

    test::TempDirectory scratch;
    EXPECT_EQ(decodedQRCode(dialog()->shownCode().toImage(), scratch.path()), key.text());

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

TEST_F(SealingSwitchTest, AKeyFileDeletedBehindItsBackTurnsTheSwitchOffAndSaysWhy) {
    switchOn();
    delete dialog();
    std::filesystem::remove(keyFile);
    h.clock.advance(SealEpochs::defaultSeconds);
    sealTimer.fire();
    sealQueue.drain();
    QApplication::processEvents();

    EXPECT_FALSE(box().isChecked());
    EXPECT_FALSE(h.settings->value(Settings::sealEventLog));
    auto* reason = tab.findChild<QLabel*>(QStringLiteral("sealError"));
    ASSERT_NE(reason, nullptr);
    EXPECT_TRUE(reason->isVisibleTo(&tab));
    EXPECT_TRUE(reason->text().contains(QString::fromStdString(keyFile.string())))
        << reason->text().toStdString();
}

}  // namespace
}  // namespace veyrune::test
