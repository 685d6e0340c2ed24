#pragma once

#include <cstddef>
#include <string>

#include "channels/WebhookPayloadForm.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// Discord refuses message content longer than this, in UTF-16 code units.
inline constexpr std::size_t discordContentLimit = 2000;

// The JSON body of one alert in `form`:
//   generic: {"source":"Veyrune","kind","occurredAt" (ISO 8601 UTC),"summary"[,"machine"]}
//   discord: {"content": alert text cut to discordContentLimit on a character boundary}
//   slack:   {"text": alert text}
// Throws nlohmann::json::type_error when a text is not valid UTF-8.
std::string webhookBody(const SecurityEvent& event, WebhookPayloadForm form,
                        const std::string& alertText);

}  // namespace veyrune
