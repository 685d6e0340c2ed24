#include "base/VersionText.h"

#include "BuildSettings.h"

namespace veyrune {

std::string versionText(const std::optional<std::string>& shortVersion,
                        const std::optional<std::string>& buildNumber) {
    if (!shortVersion && !buildNumber) {
        return "Unknown version";
    }
    if (!shortVersion) {
        return *buildNumber;
    }
    if (buildNumber && *buildNumber != *shortVersion) {
        return *shortVersion + " (" + *buildNumber + ")";
    }
    return *shortVersion;
}

std::string currentVersionText() {
    return versionText(build::shortVersion, build::buildNumber);
}

}  // namespace veyrune
