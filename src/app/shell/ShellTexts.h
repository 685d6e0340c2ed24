#pragma once

#include <array>

// Every text the shell's windows show that the models do not already give,
// in one place, with the Linux words for the desktop's facilities.
namespace veyrune::ShellTexts {

using Text = const char*;

// The tray panel.
inline constexpr Text developerMenu = "Developer";
inline constexpr Text quit = "Quit Veyrune";
inline constexpr Text trayToolTip = "Veyrune";

// The event timeline window.
inline constexpr Text timelineTitle = "Event Timeline";
inline constexpr Text timelineSubtitle = "Normalized security events and app health.";
inline constexpr Text refresh = "Refresh";
inline constexpr Text exportMenu = "Export";
inline constexpr Text timelineUnavailable = "Timeline Unavailable";
inline constexpr Text noEventsYet = "No Events Yet";
inline constexpr Text noEventsMessage =
    "Arm Veyrune and trigger a watched system event to populate the timeline.";
inline constexpr Text retryTelegramAlert = "Retry Telegram Alert";
inline constexpr Text exportFailed = "Export Failed";
inline constexpr Text ok = "OK";
inline constexpr Text stateReady = "Ready";
inline constexpr Text stateAttention = "Needs Attention";
inline constexpr Text stateOff = "Off";
inline constexpr Text eventList = "Events";
inline constexpr Text diagnosticsList = "Diagnostics";
inline constexpr Text chainStatus = "Chain status";
inline constexpr Text filterFrom = "From";
inline constexpr Text filterTo = "To";
inline constexpr Text filterClear = "Clear";

// The evidence library window.
inline constexpr Text evidenceTitle = "Evidence";
inline constexpr Text evidenceSubtitle =
    "Local camera snapshots and screenshots captured by Veyrune.";
inline constexpr Text revealFolder = "Reveal Folder";
inline constexpr Text noEvidenceYet = "No Evidence Yet";
inline constexpr Text noEvidenceMessage =
    "Camera snapshots and screenshots appear here after Evidence Mode is enabled and a protected "
    "event occurs.";
inline constexpr Text evidenceUnavailable = "Evidence Unavailable";
inline constexpr Text cameraSnapshot = "Camera Snapshot";
inline constexpr Text screenshot = "Screenshot";
inline constexpr Text evidenceKindUnknown = "Evidence";
inline constexpr Text eventLinked = "Event linked";
inline constexpr Text manualCapture = "Manual capture";
inline constexpr Text fileUnavailable = "File unavailable";
inline constexpr Text eventUnavailable = "Event unavailable";
inline constexpr Text evidenceActions = "Evidence actions";
inline constexpr Text open = "Open";
inline constexpr Text revealInFileManager = "Reveal in File Manager";
inline constexpr Text showEvent = "Show Event";

// The settings window: tab labels, titles and subtitles.
inline constexpr Text settingsWindowTitle = "Veyrune Settings";
inline constexpr Text general = "General";
inline constexpr Text generalSubtitle = "Core app behavior and quick status.";
inline constexpr Text triggers = "Triggers";
inline constexpr Text triggersSubtitle =
    "Choose which hardware and session changes Veyrune records.";
inline constexpr Text evidence = "Evidence";
inline constexpr Text evidenceSettingsSubtitle =
    "Capture and retention settings for local evidence.";
inline constexpr Text alerts = "Alerts";
inline constexpr Text alertsSubtitle = "Delivery settings for off-device notifications.";
inline constexpr Text logEngines = "Log Engines";
inline constexpr Text logEnginesSubtitle =
    "Also keep every event in the log engines your organisation already runs.";
inline constexpr Text about = "About";
inline constexpr Text aboutSubtitle = "Product information and support links.";

// General.
inline constexpr Text protection = "Protection";
inline constexpr Text armedToggle = "Veyrune is armed";
inline constexpr Text disarmedToggle = "Veyrune is disarmed";
inline constexpr Text lastEvent = "Last event";
inline constexpr Text noEventsYetShort = "No events yet";
inline constexpr Text startup = "Startup";
inline constexpr Text startAtLogin = "Start at login";
inline constexpr Text launchEnabled = "Veyrune launches when you sign in.";
inline constexpr Text launchNeedsApproval =
    "Your desktop needs approval to enable Veyrune at login.";
inline constexpr Text openLoginItems = "Open Autostart Settings";
inline constexpr Text launchFailed =
    "Veyrune could not update Start at Login. Try again or review the autostart applications in "
    "your desktop's settings.";
inline constexpr Text autoArm = "Auto-arm before sleep";
inline constexpr Text autoArmHelp =
    "Veyrune arms before your computer sleeps so the next wake and session activity are protected.";
inline constexpr Text taskbar = "Taskbar";
inline constexpr Text showInTaskbar = "Show in taskbar";
inline constexpr Text taskbarHelp =
    "Veyrune always stays in the system tray. With its windows left out of the taskbar you can "
    "still open Settings by launching Veyrune from the application launcher.";
inline constexpr Text sealing = "Sealing";
inline constexpr Text sealEventLog = "Seal the event log";
inline constexpr Text sealHelp =
    "Every 15 minutes Veyrune seals the event log with a key it then replaces, so entries "
    "recorded before an intruder got in cannot be changed unnoticed. Check the log with "
    "veyrune-verify --key and the verification key shown when you switch this on. Switching it "
    "off keeps the seals.";
inline constexpr Text sealFailed = "Sealing could not start: ";
inline constexpr Text sealKeyTitle = "Verification Key";
inline constexpr Text sealKeyAdvice =
    "This is the only time Veyrune shows this key, and it does not keep it. Keep it off this "
    "computer: take a photo of the code with your phone, or write the key on paper. Anyone who "
    "gets into this computer later cannot use it to rewrite what was sealed before.";
inline constexpr Text sealKeyDone = "I Have Kept the Key";
// Updates: shown only by builds that can update themselves.
inline constexpr Text updates = "Updates";
inline constexpr Text checkAutomatically = "Check for updates automatically";
inline constexpr Text checkFrequency = "Check";
inline constexpr Text checkNow = "Check Now";
inline constexpr Text updatesSigned =
    "Every update is signed, and Veyrune refuses one whose signature does not verify.";

// Triggers.
inline constexpr Text deviceActivity = "Device Activity";
inline constexpr Text usbTrigger = "USB attach and detach";
inline constexpr Text volumesTrigger = "Volumes mount and unmount";
inline constexpr Text displayTrigger = "Display add and remove";
inline constexpr Text audioTrigger = "Audio output changes";
inline constexpr Text alwaysRecorded = "Always Recorded";
inline constexpr Text power = "Power";
inline constexpr Text powerKinds = "Wake and sleep";
inline constexpr Text session = "Session";
inline constexpr Text sessionKinds = "Screen lock and unlock";
inline constexpr Text wakeAlerts = "Wake Alerts";
inline constexpr Text backgroundWakes = "Alert on background wakes";
inline constexpr Text backgroundWakesHelp =
    "The system wakes your computer on its own for its timers and maintenance. Veyrune always "
    "records these, but only alerts you about wakes a person caused.";

// Evidence.
inline constexpr Text capture = "Capture";
inline constexpr Text cameraSnapshots = "Camera snapshots";
inline constexpr Text screenshots = "Screenshots";
inline constexpr Text screenshotMode = "Screenshot mode";
inline constexpr Text primaryDisplayOnly = "Primary display only";
inline constexpr Text allDisplaysStitched = "All displays stitched";
inline constexpr Text permissions = "Permissions";
inline constexpr Text retention = "Retention";
inline constexpr Text keepEvidence = "Keep evidence";
inline constexpr Text daysSuffix = " days";
inline constexpr Text storageCap = "Storage cap";
inline constexpr Text megabytesSuffix = " MB";
inline constexpr Text noCap = "No cap";
inline constexpr Text library = "Library";
inline constexpr Text openEvidenceLibrary = "Open Evidence Library";
inline constexpr Text libraryHelp =
    "Evidence remains local to this computer unless you explicitly export or send it through an "
    "alert channel.";

// Alerts.
inline constexpr Text telegram = "Telegram";
inline constexpr Text enableTelegram = "Enable Telegram";
inline constexpr Text botToken = "Bot token";
inline constexpr Text chatID = "Chat ID";
inline constexpr Text saveTelegram = "Save Telegram Configuration";
inline constexpr Text telegramConfigured = "Telegram alerts are configured.";
inline constexpr Text sendingToChat = "Sending to chat ";
inline constexpr Text savingReplaces = "Saving replaces the stored credentials.";
inline constexpr Text removeTelegram = "Remove Telegram Credentials";
inline constexpr Text telegramKeyring = "Telegram credentials are stored in the keyring.";
inline constexpr Text webhook = "Webhook";
inline constexpr Text enableWebhook = "Enable webhook";
inline constexpr Text httpsEndpoint = "HTTPS endpoint";
inline constexpr Text authorizationHeader = "Authorization header (optional)";
inline constexpr Text saveWebhook = "Save Webhook Configuration";
inline constexpr Text webhookConfigured = "Webhook alerts are configured.";
inline constexpr Text removeWebhook = "Remove Webhook Credentials";
inline constexpr Text webhookHelp =
    "The webhook works with a public push-notification relay service, with an automation tool or "
    "with your own endpoint. Discord and Slack URLs are formatted automatically. The URL and the "
    "header are stored in the keyring, never in the preferences.";

// Log engines.
inline constexpr Text systemJournal = "System journal";
inline constexpr Text recordInSystemJournal = "Also record events in the system journal";
inline constexpr Text systemJournalHelp =
    "Each event goes to the journal with its exact log line, so the chain can be checked there "
    "too (journalctl -t veyrune). Tools such as systemd-journal-upload carry it on from there.";
inline constexpr Text centralCollector = "Central collector";
inline constexpr Text collectorAddress = "Address";
inline constexpr Text collectorAddressPlaceholder = "host:port, for example logs.example.org:6514";
inline constexpr Text collectorCAFile = "CA file";
inline constexpr Text collectorCAPlaceholder = "Empty: the system's CA certificates";
inline constexpr Text clientCertificateFile = "Client certificate";
inline constexpr Text clientKeyFile = "Client key";
inline constexpr Text optionalPlaceholder = "Optional";
inline constexpr Text chooseFile = "Choose…";
inline constexpr Text choosePEMFile = "Choose a PEM File";
inline constexpr Text pemFileFilter = "PEM files (*.pem *.crt *.cer *.key);;All files (*)";
inline constexpr Text saveCollector = "Save Collector Settings";
inline constexpr Text collectorSaved = "Collector settings saved.";
inline constexpr Text collectorHelp =
    "Veyrune sends every event to the collector over RELP with TLS, in order, and sends again "
    "whatever the collector has not acknowledged, also after a restart or a long time away. The "
    "collector's certificate is always verified; a client certificate is optional. Leave the "
    "address empty to send nothing.";
inline constexpr Text setByAdministrator = "Set by your administrator";
inline constexpr Text administratorValuePrefix = "Your administrator's value: ";
inline constexpr Text administratorOn = "on";
inline constexpr Text administratorOff = "off";
inline constexpr Text administratorEmpty = "none";
inline constexpr Text useAdministratorValue = "Use Administrator's Value";

// Onboarding.
inline constexpr Text gettingStartedTitle = "Getting Started";
inline constexpr Text welcome = "Welcome to Veyrune";
inline constexpr Text tagline = "A flight recorder for your computer.";
inline constexpr Text doNotShowAgain = "Do not show this again";
inline constexpr Text openSettings = "Open Settings";
inline constexpr Text done = "Done";

struct OnboardingStep {
    Text title;
    Text message;
    Text systemImage;
};

inline constexpr std::array<OnboardingStep, 3> onboardingSteps = {{
    {"Arm Veyrune",
     "Use the tray icon when your computer should watch for suspicious wake, unlock, and device "
     "activity.",
     "waveform.path.ecg.rectangle"},
    {"Choose evidence",
     "Turn on camera snapshots or screenshots only when you want Veyrune to collect local "
     "evidence.",
     "camera.viewfinder"},
    {"Review alerts",
     "Configure delivery channels when you are ready to receive evidence away from your computer.",
     "bell.badge.fill"},
}};

// About.
inline constexpr Text aboutTitle = "About Veyrune";
inline constexpr Text appName = "Veyrune";

}  // namespace veyrune::ShellTexts
