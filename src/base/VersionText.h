#pragma once

#include <optional>
#include <string>

namespace veyrune {

// The program's version as shown to people: short version and build number
// combined as "1.2 (45)", either alone, or "Unknown version".
std::string versionText(const std::optional<std::string>& shortVersion,
                        const std::optional<std::string>& buildNumber);

// The version text of this build.
std::string currentVersionText();

}  // namespace veyrune
