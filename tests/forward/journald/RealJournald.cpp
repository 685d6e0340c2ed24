#include "forward/journald/RealJournald.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "support/WaitUntil.h"

extern char** environ;

namespace veyrune::test {

namespace {

namespace fs = std::filesystem;

const fs::path kJournald = "/lib/systemd/systemd-journald";
const fs::path kSocketFolder = "/run/systemd/journal";
const fs::path kSocket = kSocketFolder / "socket";
const fs::path kSynced = kSocketFolder / "synced";
const fs::path kJournalFolder = "/run/log/journal";

bool present(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

void removeOurFolders() {
    std::error_code error;
    fs::remove_all(kSocketFolder, error);
    fs::remove_all(kJournalFolder, error);
}

// journalctl writes a value that is not printable UTF-8 as an array of bytes.
std::string bytesOf(const nlohmann::json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (!value.is_array()) {
        throw std::runtime_error("unexpected journal value " + value.dump().substr(0, 200));
    }
    std::string bytes;
    for (const auto& byte : value) {
        if (!byte.is_number_unsigned()) {
            throw std::runtime_error("a field given more than once: " + value.dump());
        }
        bytes.push_back(static_cast<char>(byte.get<unsigned>()));
    }
    return bytes;
}

}  // namespace

RealJournald::RealJournald() {
    if (::geteuid() != 0) {
        throw std::runtime_error("the journald tests start systemd-journald and must run as root");
    }
    if (present(kSocket)) {
        throw std::runtime_error(
            "a journal socket exists already at " + kSocket.string() +
            " (a systemd-journald this test did not start?); the test runs its own journald "
            "and removes " +
            kSocketFolder.string() + " and " + kJournalFolder.string() +
            " afterwards, so it will not run beside another one");
    }
    removeOurFolders();  // left by a test run that was killed
    start();
}

RealJournald::~RealJournald() {
    stop();
    removeOurFolders();
}

void RealJournald::start() {
    // journald's own words go to a file, so a start that fails can say why.
    auto diary = fs::temp_directory_path() / ("veyrune-journald-" + std::to_string(::getpid()));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    for (int fd : {1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, diary.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
    }
    std::string program = kJournald.string();
    char* argv[] = {program.data(), nullptr};
    int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program);
    }
    int status = 0;
    bool exited = false;
    bool listening = waitUntil([&] {
        exited = exited || ::waitpid(pid_, &status, WNOHANG) == pid_;
        return exited || present(kSocket);
    });
    std::error_code removal;
    if (exited || !listening) {
        std::string said;
        if (std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(diary.c_str(), "r"), std::fclose);
            file) {
            char buffer[4096];
            said.assign(buffer, std::fread(buffer, 1, sizeof buffer, file.get()));
        }
        fs::remove(diary, removal);
        if (exited) {
            pid_ = -1;
        }
        throw std::runtime_error(program +
                                 (exited ? " exited with status " + std::to_string(status)
                                         : " did not create " + kSocket.string()) +
                                 "; it said: " + said);
    }
    fs::remove(diary, removal);
}

void RealJournald::stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGCONT);
    ::kill(pid_, SIGTERM);
    int status = 0;
    if (!waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
}

void RealJournald::pause() {
    ::kill(pid_, SIGSTOP);
}

void RealJournald::resume() {
    ::kill(pid_, SIGCONT);
}

void RealJournald::sync() {
    std::error_code error;
    fs::remove(kSynced, error);
    ::kill(pid_, SIGRTMIN + 1);
    if (!waitUntil([] { return present(kSynced); })) {
        throw std::runtime_error("journald did not answer SIGRTMIN+1");
    }
}

std::string RealJournald::journalctl(const std::string& output) const {
    // --all: without it journalctl writes fields over 4 KiB as null.
    std::string command = "journalctl --directory=" + kJournalFolder.string() +
                          " --all --quiet --no-pager " + output +
                          " SYSLOG_IDENTIFIER=veyrune _PID=" + std::to_string(::getpid());
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string text;
    char buffer[65536];
    while (auto count = std::fread(buffer, 1, sizeof(buffer), pipe.get())) {
        text.append(buffer, count);
    }
    return text;
}

std::string RealJournald::fieldLines(const std::string& field) const {
    return journalctl("-o cat --output-fields=" + field);
}

std::vector<RealJournald::Entry> RealJournald::entries() const {
    auto text = journalctl("-o json");
    std::vector<Entry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        if (end > start) {
            Entry entry;
            auto object = nlohmann::json::parse(text.substr(start, end - start));
            for (auto field = object.begin(); field != object.end(); ++field) {
                try {
                    entry[field.key()] = bytesOf(field.value());
                } catch (const std::runtime_error& error) {
                    throw std::runtime_error(field.key() + ": " + error.what());
                }
            }
            entries.push_back(std::move(entry));
        }
        start = end + 1;
    }
    return entries;
}

}  // namespace veyrune::test
