#include "model/XDGAutostartService.h"

#include <cstdlib>
#include <sstream>

#include "BuildSettings.h"
#include "base/DataLocation.h"

namespace veyrune {

namespace {

// "Hidden=true" in the entry's own group switches it off, as desktops do.
bool isHidden(const std::string& entry) {
    std::istringstream lines(entry);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "Hidden=true" || line == "Hidden = true") {
            return true;
        }
    }
    return false;
}

// Quotes an Exec argument as the desktop entry format asks.
std::string execArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

XDGAutostartService::XDGAutostartService(FileSystem& fileSystem, std::filesystem::path executable,
                                         std::filesystem::path entryPath)
    : fileSystem_(fileSystem),
      executable_(std::move(executable)),
      entryPath_(std::move(entryPath)) {}

std::filesystem::path XDGAutostartService::defaultEntryPath() {
    return userConfigDirectory() / "autostart" / (std::string(build::applicationID) + ".desktop");
}

LaunchAtLoginService::Status XDGAutostartService::status() const {
    try {
        if (fileSystem_.exists(entryPath_) && !isHidden(fileSystem_.readFile(entryPath_))) {
            return Status::enabled;
        }
    } catch (const FileError&) {
        // An unreadable entry does not start anything either.
    }
    return Status::notRegistered;
}

void XDGAutostartService::setEnabled(bool enabled) {
    if (!enabled) {
        if (fileSystem_.exists(entryPath_)) {
            fileSystem_.removeAll(entryPath_);
        }
        return;
    }
    fileSystem_.createDirectories(entryPath_.parent_path());
    fileSystem_.writeAtomically(entryPath_,
                                "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Veyrune\n"
                                "Comment=Flight recorder for this computer\n"
                                "Exec=" +
                                    execArgument(executable_.string()) +
                                    "\n"
                                    "Icon=" +
                                    std::string(build::applicationID) +
                                    "\n"
                                    "X-GNOME-Autostart-enabled=true\n");
}

}  // namespace veyrune
