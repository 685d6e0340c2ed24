#include "credentials/WebhookConfigurationStore.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "channels/ParsedURL.h"
#include "credentials/WebhookConfigurationError.h"

namespace veyrune {

namespace {

using Code = WebhookConfigurationError::Code;

bool isWhiteSpace(UChar32 c) {
    return c >= 0 && u_isUWhiteSpace(c);
}

}  // namespace

std::string trimmedWhiteSpace(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto length = static_cast<int32_t>(text.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

WebhookConfigurationStore::WebhookConfigurationStore(KeychainStore& keychain)
    : keychain_(keychain) {}

std::optional<WebhookCredentials> WebhookConfigurationStore::loadCredentials() const {
    auto endpoint = keychain_.string(KeychainKey::webhookEndpointURL);
    if (!endpoint || endpoint->empty() || !ParsedURL::parse(*endpoint)) {
        return std::nullopt;
    }
    auto authorization = keychain_.string(KeychainKey::webhookAuthorizationHeader);
    if (authorization && authorization->empty()) {
        authorization.reset();
    }
    return WebhookCredentials{*endpoint, authorization};
}

std::optional<WebhookCredentials> WebhookConfigurationStore::credentialsIfReadable()
    const noexcept {
    try {
        return loadCredentials();
    } catch (...) {
        return std::nullopt;
    }
}

void WebhookConfigurationStore::save(const std::string& endpoint,
                                     const std::optional<std::string>& authorizationHeader) {
    std::string trimmed = trimmedWhiteSpace(endpoint);
    if (trimmed.empty()) {
        throw WebhookConfigurationError(Code::emptyEndpoint);
    }
    auto url = ParsedURL::parse(trimmed);
    if (!url || url->scheme.empty() || url->host.empty()) {
        throw WebhookConfigurationError(Code::invalidEndpoint);
    }
    if (url->scheme != "https") {
        throw WebhookConfigurationError(Code::insecureEndpoint);
    }
    keychain_.set(trimmed, KeychainKey::webhookEndpointURL);
    if (authorizationHeader && !authorizationHeader->empty()) {
        keychain_.set(*authorizationHeader, KeychainKey::webhookAuthorizationHeader);
    } else {
        keychain_.removeValue(KeychainKey::webhookAuthorizationHeader);
    }
}

ChannelSetupState WebhookConfigurationStore::status(bool isEnabled) const {
    return channelSetupState(isEnabled, [this] { return loadCredentials().has_value(); });
}

void WebhookConfigurationStore::removeCredentials() {
    keychain_.removeValue(KeychainKey::webhookEndpointURL);
    keychain_.removeValue(KeychainKey::webhookAuthorizationHeader);
}

}  // namespace veyrune
