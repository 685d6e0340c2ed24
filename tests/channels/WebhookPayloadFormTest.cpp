#include "channels/WebhookPayloadForm.h"

#include <gtest/gtest.h>

using namespace veyrune;

namespace {

using Form = WebhookPayloadForm;

TEST(WebhookPayloadForm, HostRuleTable) {
    const std::vector<std::pair<std::string, Form>> rows = {
        {"https://discord.com/api/webhooks/1/a", Form::discord},
        {"https://canary.discord.com/api/webhooks/1/a", Form::discord},
        {"https://discordapp.com/api/webhooks/1/a", Form::discord},
        {"https://Canary.DiscordApp.Com/api", Form::discord},
        {"https://discord.com:8443/api", Form::discord},
        {"https://slack.com/api", Form::slack},
        {"https://hooks.slack.com/services/T/B/x", Form::slack},
        {"https://HOOKS.SLACK.COM/services/T/B/x", Form::slack},
        // Look-alikes: another registered domain that ends with the same letters.
        {"https://notdiscord.com/api/webhooks", Form::generic},
        {"https://evildiscordapp.com/api", Form::generic},
        {"https://myslack.com/services", Form::generic},
        {"https://discord.com.evil.net/api", Form::generic},
        {"https://slack.community.example/x", Form::generic},
        // Only the host decides.
        {"https://example.com/discord.com/api", Form::generic},
        {"https://example.com/x?to=hooks.slack.com", Form::generic},
        {"https://user@example.com/#discord.com", Form::generic},
        {"not a url", Form::generic},
    };
    for (const auto& [endpoint, form] : rows) {
        EXPECT_EQ(payloadFormForEndpoint(endpoint), form) << endpoint;
    }
}

}  // namespace
