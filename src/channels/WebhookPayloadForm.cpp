#include "channels/WebhookPayloadForm.h"

#include <array>
#include <string>

#include "channels/ParsedURL.h"

namespace veyrune {

namespace {

constexpr std::array<std::string_view, 2> kDiscordDomains = {"discord.com", "discordapp.com"};
constexpr std::string_view kSlackDomain = "slack.com";

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The domain itself or a subdomain of it: "x.slack.com", never "evilslack.com".
bool isWithin(std::string_view host, std::string_view domain) {
    if (host == domain) {
        return true;
    }
    return host.size() > domain.size() && host.ends_with(domain) &&
           host[host.size() - domain.size() - 1] == '.';
}

}  // namespace

WebhookPayloadForm payloadFormForHost(std::string_view host) {
    std::string lower = lowerCased(host);
    for (auto domain : kDiscordDomains) {
        if (isWithin(lower, domain)) {
            return WebhookPayloadForm::discord;
        }
    }
    if (isWithin(lower, kSlackDomain)) {
        return WebhookPayloadForm::slack;
    }
    return WebhookPayloadForm::generic;
}

WebhookPayloadForm payloadFormForEndpoint(std::string_view endpoint) {
    auto url = ParsedURL::parse(endpoint);
    if (!url || url->host.empty()) {
        return WebhookPayloadForm::generic;
    }
    return payloadFormForHost(url->host);
}

}  // namespace veyrune
