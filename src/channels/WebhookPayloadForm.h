#pragma once

#include <string_view>

namespace veyrune {

// The body a webhook endpoint gets: Discord's and Slack's native messages, or
// Veyrune's generic JSON document for anything else.
enum class WebhookPayloadForm { generic, discord, slack };

// Decided by the host alone, case-insensitively and on whole labels:
// discord.com, discordapp.com, slack.com and their subdomains.
WebhookPayloadForm payloadFormForHost(std::string_view host);
// The form for an endpoint URL; generic when it has no host or does not parse.
WebhookPayloadForm payloadFormForEndpoint(std::string_view endpoint);

}  // namespace veyrune
