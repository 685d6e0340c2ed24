#pragma once

#include <array>

// The in-application privacy policy: its title, publisher and sections, in order.
namespace veyrune::PrivacyPolicyDocument {

struct Section {
    const char* id;
    const char* title;
    const char* body;
};

inline constexpr const char* windowTitle = "Privacy Policy";
inline constexpr const char* title = "Veyrune Privacy Policy";
inline constexpr const char* intro = "How Veyrune handles information in this release.";
inline constexpr const char* publisherPrefix = "Publisher: ";
inline constexpr const char* publisher = "The Veyrune Project";

inline constexpr std::array<Section, 8> sections = {{
    {"publisher-and-contact", "Publisher and contact",
     "Veyrune is published by The Veyrune Project. Send questions about this policy and requests "
     "about your data to privacy@veyrune.org."},
    {"data-we-process", "Data Veyrune processes",
     "Veyrune records local security events. It captures camera snapshots or screenshots only "
     "when Evidence Mode and the corresponding capture setting are enabled."},
    {"local-storage-and-retention", "Local storage and retention",
     "Events are stored in Veyrune's data folder on this computer unless you export them. Exports "
     "are written where you choose and are never transmitted. Optional evidence stays in the data "
     "folder. Retention and storage limits follow the controls you choose in Settings."},
    {"optional-alerts", "Optional alerts",
     "Alerts are off until you turn them on and supply your own credentials, which are stored in "
     "the keyring. Telegram alerts send an event kind, local timestamp, summary, and this "
     "computer's name to Telegram. Webhook alerts POST those same fields to an HTTPS endpoint you "
     "choose \u2014 Veyrune does not operate that endpoint and cannot control what the receiving "
     "service does with what it is sent. Evidence files are never sent by either channel."},
    {"software-updates", "Software updates",
     "This build of Veyrune never checks for updates itself and contacts no update server. New "
     "versions reach you through your distribution's package manager, which verifies the "
     "signature of every package and refuses one whose signature does not verify."},
    {"security-and-no-tracking", "Security and no tracking",
     "This release has no analytics, advertising, tracking, account or cloud evidence sync. Apart "
     "from the alert channels you configure, Veyrune sends information to nobody, the publisher "
     "included."},
    {"your-controls", "Your controls",
     "You can disarm Veyrune, turn Evidence Mode on or off, adjust retention, remove evidence "
     "files through the folder revealed by Evidence Library, and disable Telegram or Webhook "
     "alerts at any time."},
    {"policy-changes", "Policy changes",
     "Material changes will be reflected in the published privacy policy and this in-app policy "
     "before they apply."},
}};

}  // namespace veyrune::PrivacyPolicyDocument
