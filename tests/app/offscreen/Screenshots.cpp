// The screenshot mode of the shell's test program: fills a shell with sample
// data and saves every window in its main states as PNG files.
#include <filesystem>

#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>

#include "ShellHarness.h"
#include "app/shell/EvidenceWindow.h"
#include "app/shell/PanelMenu.h"
#include "app/shell/SettingsWindow.h"
#include "support/EventFactory.h"

namespace veyrune::test {

namespace {

void save(QWidget* widget, const QString& folder, const char* name) {
    settle(400);
    widget->grab().save(folder + "/" + QString::fromLatin1(name) + ".png");
}

void fill(ShellHarness& h) {
    const Instant now = std::chrono::system_clock::now();
    h.clock.set(now);
    struct Sample {
        SecurityEventKind kind;
        const char* summary;
        int minutesAgo;
    };
    const Sample samples[] = {
        {SecurityEventKind::screenUnlocked, "Screen unlocked", 3},
        {SecurityEventKind::usbAttached, "USB device attached: SanDisk Ultra", 9},
        {SecurityEventKind::didWake, "Woke from sleep (lid opened)", 12},
        {SecurityEventKind::willSleep, "Going to sleep", 95},
        {SecurityEventKind::screenLocked, "Screen locked", 97},
    };
    for (const auto& sample : samples) {
        auto event =
            makeEvent(sample.kind, now - std::chrono::minutes(sample.minutesAgo), sample.summary);
        event.context.machineName = "studio-laptop";
        event.context.userName = "alex";
        event.context.batteryPercent = 87;
        h.record(event);
        DeliveryAttempt attempt;
        attempt.eventID = event.id;
        attempt.channel = DeliveryChannelKind::telegram;
        attempt.status =
            sample.minutesAgo == 9 ? DeliveryAttemptStatus::failed : DeliveryAttemptStatus::sent;
        h.deliveries.set(event.id, {attempt});
    }
}

// A drawn picture standing in for a capture: a sky-to-desk gradient with a
// window outline, so thumbnails show something recognisable.
void saveSamplePicture(const std::filesystem::path& file, QColor tint) {
    QImage image(640, 400, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 400);
    gradient.setColorAt(0, tint.lighter(150));
    gradient.setColorAt(1, tint.darker(180));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(Qt::white, 6));
    painter.drawRoundedRect(QRect(120, 80, 400, 240), 16, 16);
    painter.end();
    image.save(QString::fromStdString(file.string()));
}

void fillEvidence(ShellHarness& h) {
    const auto folder = h.folder.path() / "Evidence" / "2026-12-06";
    std::filesystem::create_directories(folder);
    const std::pair<EvidenceKind, QColor> samples[] = {
        {EvidenceKind::cameraPhoto, QColor(0x4a, 0x6f, 0x8a)},
        {EvidenceKind::screenshot, QColor(0x3d, 0x7a, 0x55)},
        {EvidenceKind::screenshot, QColor(0x7a, 0x55, 0x3d)},
    };
    auto events = h.events.recentEvents(1);
    int n = 0;
    for (const auto& [kind, tint] : samples) {
        // The library tells photos from screenshots by the file's extension.
        const auto file = folder / ("capture-" + std::to_string(++n) +
                                    (kind == EvidenceKind::cameraPhoto ? ".jpg" : ".png"));
        saveSamplePicture(file, tint);
        h.evidenceItems.append(EvidenceItem{Uuid::random(), events.at(0).id, kind,
                                            "file://" + file.string(),
                                            h.clock.now() - std::chrono::minutes(n),
                                            std::int64_t(std::filesystem::file_size(file))});
    }
}

}  // namespace

int takeScreenshots(const char* folderName) {
    const QString folder = QString::fromLocal8Bit(folderName);
    QDir().mkpath(folder);
    ShellHarness h([](InMemoryPreferences& p) {
        p.set("hasCompletedOnboarding", true);
        // A laptop of a fleet: the collector comes from the administrator,
        // the journal switch was turned off by the user.
        p.setByAdministrator("collectorAddress", "logs.example.org:6514");
        p.setByAdministrator("collectorCAFile", "/etc/veyrune/collector-ca.pem");
        p.setByAdministrator("recordInSystemJournal", "true");
        p.set("recordInSystemJournal", false);
    });
    h.diagnostics.sealEventLog = true;
    h.diagnostics.collector = {ForwardingStatus::State::connected, 12, "", std::nullopt};
    h.diagnostics.collectorAddress = "logs.example.org:6514";
    fill(h);
    h.model->setArmed(true);
    h.model->handle(
        RawSystemEvent{Uuid::random(), h.clock.now(), SecurityEventKind::screenUnlocked, {}});
    h.queue.drain();

    QMenu& panel = h.shell->panel();
    panel.popup(QPoint(40, 40));
    save(&panel, folder, "panel-armed");
    panel.hide();

    h.shell->open(MenuPanelReleaseDestination::timeline);
    QWidget* timeline = h.shell->window(MenuPanelReleaseDestination::timeline);
    auto* list = timeline->findChild<QListView*>("events");
    waitUntil([&] { return list->model()->rowCount() > 0; });
    list->setCurrentIndex(list->model()->index(1, 0));
    save(timeline, folder, "timeline-events");
    timeline->findChild<QTabWidget*>()->setCurrentIndex(1);
    save(timeline, folder, "timeline-diagnostics");
    timeline->close();

    h.shell->open(MenuPanelReleaseDestination::evidence);
    save(h.shell->window(MenuPanelReleaseDestination::evidence), folder, "evidence-empty");
    h.shell->window(MenuPanelReleaseDestination::evidence)->close();
    // The closed window goes away before a new one, with the entries, opens.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fillEvidence(h);
    h.shell->open(MenuPanelReleaseDestination::evidence);
    auto* evidence =
        static_cast<EvidenceWindow*>(h.shell->window(MenuPanelReleaseDestination::evidence));
    waitUntil([&] { return evidence->entries().size() == 3; });
    evidence->findChild<QListWidget*>("entries")->setCurrentRow(0);
    save(evidence, folder, "evidence");
    evidence->close();

    h.shell->openSettings();
    auto* settings =
        static_cast<SettingsWindow*>(h.shell->window(MenuPanelReleaseDestination::settings));
    const char* tabs[] = {"settings-general", "settings-triggers",    "settings-evidence",
                          "settings-alerts",  "settings-log-engines", "settings-about"};
    for (int i = 0; i < 6; ++i) {
        settings->tabs().setCurrentIndex(i);
        save(settings, folder, tabs[i]);
    }
    settings->close();

    h.shell->open(MenuPanelReleaseDestination::gettingStarted);
    save(h.shell->window(MenuPanelReleaseDestination::gettingStarted), folder, "onboarding");
    h.shell->open(MenuPanelReleaseDestination::about);
    save(h.shell->window(MenuPanelReleaseDestination::about), folder, "about");
    h.shell->openPrivacyPolicy();
    save(h.shell->privacyPolicyWindow(), folder, "privacy-policy");

    h.model->setArmed(false);
    panel.popup(QPoint(40, 40));
    save(&panel, folder, "panel-disarmed");
    return 0;
}

}  // namespace veyrune::test
