// Webhook endpoints as a user types them: the URL parser never fails loudly,
// an endpoint the settings accept is HTTPS with a host and loads back as
// saved, and only a parsed Discord or Slack host changes the body's form.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "channels/CurlHTTPClient.h"
#include "channels/ParsedURL.h"
#include "channels/WebhookPayloadForm.h"
#include "credentials/WebhookConfigurationError.h"
#include "credentials/WebhookConfigurationStore.h"
#include "support/InMemoryKeychainStore.h"

using namespace veyrune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto url = ParsedURL::parse(text);
    if (url) {
        fuzz::require(!url->scheme.empty(), "a URL has a scheme");
        for (char c : url->scheme) {
            fuzz::require(!(c >= 'A' && c <= 'Z'), "the scheme is lower case");
        }
    }
    if (payloadFormForEndpoint(text) != WebhookPayloadForm::generic) {
        fuzz::require(url && !url->host.empty(), "a native form needs a parsed host");
    }

    test::InMemoryKeychainStore keychain;
    WebhookConfigurationStore store(keychain);
    try {
        store.save(text, std::nullopt);
    } catch (const WebhookConfigurationError&) {
        return 0;
    }
    auto saved = store.loadCredentials();
    fuzz::require(saved.has_value(), "a saved endpoint loads");
    auto parsed = ParsedURL::parse(saved->endpoint);
    fuzz::require(parsed && parsed->scheme == "https" && !parsed->host.empty(),
                  "a saved endpoint is HTTPS with a host");
    auto curlParts = CurlHTTPClient::splitURL(saved->endpoint);
    fuzz::require(curlParts && curlParts->scheme == "https" && curlParts->host,
                  "libcurl reads the saved endpoint the same way");
    return 0;
}
