#include "channels/WebhookBody.h"

#include "channels/GraphemeCut.h"
#include "channels/JSONBodyEncoding.h"
#include "record/SecurityEventKind.h"

namespace veyrune {

namespace {

nlohmann::ordered_json genericBody(const SecurityEvent& event) {
    nlohmann::ordered_json body;
    body["source"] = "Veyrune";
    body["kind"] = std::string(rawValue(event.kind));
    body["occurredAt"] = iso8601String(event.occurredAt);
    body["summary"] = event.summary;
    if (event.context.machineName) {
        body["machine"] = *event.context.machineName;
    }
    return body;
}

}  // namespace

std::string webhookBody(const SecurityEvent& event, WebhookPayloadForm form,
                        const std::string& alertText) {
    nlohmann::ordered_json body;
    switch (form) {
        case WebhookPayloadForm::discord:
            body["content"] = prefixWithinUTF16Units(alertText, discordContentLimit);
            break;
        case WebhookPayloadForm::slack:
            body["text"] = alertText;
            break;
        case WebhookPayloadForm::generic:
            body = genericBody(event);
            break;
    }
    return encodeJSONBody(body);
}

}  // namespace veyrune
