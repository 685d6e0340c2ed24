#include "model/CollectorSettingsCheck.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace veyrune {

namespace {

// A PEM header sits near the top; a bundle of many certificates need not be read whole.
constexpr std::size_t kHeadBytes = 64 * 1024;

bool isHostNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

bool isIPv6Character(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

bool isPort(std::string_view text) {
    unsigned port = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

// One named PEM file, as the messages name it.
struct PEMFile {
    const char* name;
    bool isKey;
};

constexpr PEMFile kCA{"The CA file", false};
constexpr PEMFile kCertificate{"The client certificate", false};
constexpr PEMFile kKey{"The client key", true};

// PKCS#8 keys ("BEGIN PRIVATE KEY", "BEGIN ENCRYPTED PRIVATE KEY") and the
// older per-algorithm forms ("BEGIN RSA PRIVATE KEY", "BEGIN EC PRIVATE KEY").
bool holdsPrivateKey(const std::string& head) {
    for (auto begin = head.find("-----BEGIN "); begin != std::string::npos;
         begin = head.find("-----BEGIN ", begin + 1)) {
        auto lineEnd = head.find('\n', begin);
        auto header = std::string_view(head).substr(begin, lineEnd - begin);
        if (header.find(" PRIVATE KEY-----") != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string fileProblem(const PEMFile& kind, const std::string& path, const FileSystem& files) {
    const std::string name = kind.name;
    if (path.front() != '/') {
        return name + " must be given as a full path, starting with /.";
    }
    std::string head;
    try {
        auto file = files.openForReading(path);
        head.resize(kHeadBytes);
        head.resize(file->readAt(0, head));
    } catch (const std::exception&) {
        return name + " cannot be read: " + path;
    }
    if (kind.isKey && !holdsPrivateKey(head)) {
        return name + " holds no private key in PEM form: " + path;
    }
    if (!kind.isKey && head.find("-----BEGIN CERTIFICATE-----") == std::string::npos) {
        return name + " holds no PEM certificate: " + path;
    }
    return {};
}

}  // namespace

std::string collectorAddressProblem(std::string_view address) {
    if (address.empty()) {
        return {};
    }
    const std::string format =
        "Enter the collector as host:port, for example logs.example.org:6514.";
    auto colon = address.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == address.size()) {
        return format;
    }
    auto host = address.substr(0, colon);
    if (!isPort(address.substr(colon + 1))) {
        return "The collector's port must be a number from 1 to 65535.";
    }
    if (host.front() == '[') {
        auto inside = host.size() >= 3 ? host.substr(1, host.size() - 2) : std::string_view();
        if (inside.empty() || host.back() != ']' ||
            !std::all_of(inside.begin(), inside.end(), isIPv6Character)) {
            return "The collector's address in brackets is not an IPv6 address.";
        }
        return {};
    }
    if (host.find(':') != std::string_view::npos &&
        std::all_of(host.begin(), host.end(), isIPv6Character)) {
        return "Write an IPv6 address in brackets, for example [2001:db8::5]:6514.";
    }
    if (!std::all_of(host.begin(), host.end(), isHostNameCharacter) || host.front() == '-' ||
        host.front() == '.') {
        return "The collector's host name can hold only letters, digits, dots and hyphens.";
    }
    return {};
}

std::vector<std::string> collectorSettingsProblems(const CollectorSettingsForm& form,
                                                   const FileSystem& files) {
    std::vector<std::string> problems;
    auto add = [&](std::string problem) {
        if (!problem.empty()) {
            problems.push_back(std::move(problem));
        }
    };
    add(collectorAddressProblem(form.address));
    const std::pair<const PEMFile*, const std::string*> named[] = {
        {&kCA, &form.caFile},
        {&kCertificate, &form.clientCertificateFile},
        {&kKey, &form.clientKeyFile},
    };
    for (const auto& [kind, path] : named) {
        if (!path->empty()) {
            add(fileProblem(*kind, *path, files));
        }
    }
    if (form.clientCertificateFile.empty() != form.clientKeyFile.empty()) {
        add("A client certificate needs its key file, and a key file its certificate.");
    }
    return problems;
}

}  // namespace veyrune
