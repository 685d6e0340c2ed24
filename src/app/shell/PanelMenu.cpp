#include "app/shell/PanelMenu.h"

#include "app/shell/RecentEventLine.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/SymbolIcon.h"
#include "model/MenuPanelSnapshot.h"

namespace veyrune {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

using Destination = MenuPanelReleaseDestination;

}  // namespace

PanelMenu::PanelMenu(AppModel& model, const UpdaterModel& updater,
                     std::function<void(const AppAction&)> perform,
                     std::function<void()> onFirstShow)
    : model_(model),
      updater_(updater),
      perform_(std::move(perform)),
      onFirstShow_(std::move(onFirstShow)) {
    setObjectName(QStringLiteral("panel"));
    observer_ = model_.addObserver([this] { rebuild(); });
    connect(this, &QMenu::aboutToShow, this, &PanelMenu::firstShow);
    rebuild();
}

PanelMenu::~PanelMenu() {
    model_.removeObserver(observer_);
}

void PanelMenu::rebuild() {
    clear();
    const bool armed = model_.isArmed();
    const auto snapshot =
        MenuPanelSnapshot::make(armed, model_.latestActivityText(), !model_.recentEvents().empty());
    setAccessibleName(QString::fromStdString(trayAccessibleName(armed)));
    addInformation(QString::fromStdString(snapshot.stateTitle), QStringLiteral("stateTitle"), true);
    addInformation(QString::fromStdString(snapshot.stateDetail), QStringLiteral("stateDetail"));
    addSeparator();
    addPerforming(QString::fromStdString(snapshot.primaryToggleTitle),
                  AppAction{AppAction::Kind::toggleArm, std::nullopt},
                  symbolIcon(armed ? "pause.circle" : "play.circle"));
    addSeparator();
    addInformation(QString::fromStdString(snapshot.recentEventsTitle),
                   QStringLiteral("recentEventsTitle"));
    for (const auto& event : model_.recentEvents()) {
        addInformation(recentEventLine(event), QStringLiteral("recentEvent"));
    }
    addSeparator();
    addDestinations();
    if (model_.isDeveloperModeEnabled()) {
        addDeveloperMenu();
    }
    addSeparator();
    addPerforming(QString::fromUtf8(ShellTexts::quit),
                  AppAction{AppAction::Kind::quit, std::nullopt});
}

void PanelMenu::addInformation(const QString& text, const QString& name, bool bold) {
    QAction* line = addAction(text);
    line->setObjectName(name);
    line->setEnabled(false);
    if (bold) {
        QFont font = line->font();
        font.setBold(true);
        line->setFont(font);
    }
}

QAction* PanelMenu::addPerforming(const QString& title, const AppAction& action,
                                  const QIcon& icon) {
    QAction* entry = addAction(icon, title);
    entry->setObjectName(qs(actionName(action)));
    connect(entry, &QAction::triggered, this, [this, action] { perform_(action); });
    return entry;
}

void PanelMenu::addDestinations() {
    auto add = [this](Destination destination) {
        addPerforming(qs(label(destination)), AppAction{AppAction::Kind::destination, destination},
                      symbolIcon(iconName(destination)));
    };
    for (auto destination : {Destination::timeline, Destination::evidence, Destination::settings}) {
        add(destination);
    }
    addSeparator();
    add(Destination::gettingStarted);
    // Builds that cannot update themselves offer no update action at all.
    if (updater_.isConfigured()) {
        add(Destination::checkForUpdates);
    }
    add(Destination::about);
}

void PanelMenu::addDeveloperMenu() {
    addSeparator();
    QMenu* developer =
        addMenu(symbolIcon("wrench.and.screwdriver"), QString::fromUtf8(ShellTexts::developerMenu));
    developer->setObjectName(QStringLiteral("developer"));
    for (const auto& entry : developerMenuEntries) {
        const AppAction action{entry.kind, std::nullopt};
        QAction* item = developer->addAction(qs(entry.label));
        item->setObjectName(qs(actionName(action)));
        connect(item, &QAction::triggered, this, [this, action] { perform_(action); });
    }
}

void PanelMenu::firstShow() {
    if (didCheckOnboarding_) {
        return;
    }
    didCheckOnboarding_ = true;
    if (onFirstShow_) {
        onFirstShow_();
    }
}

}  // namespace veyrune
