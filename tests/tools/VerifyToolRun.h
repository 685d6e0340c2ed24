#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace veyrune::test {

struct ToolRun {
    int status;
    std::string out;
};

// Runs the built veyrune-verify with `args`; stdout is captured, stderr dropped.
inline ToolRun verifyTool(const std::string& args) {
    const char* dir = std::getenv("VEYRUNE_BINARY_DIR");
    std::string command =
        std::string(dir ? dir : ".") + "/tools/veyrune-verify " + args + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 256> buffer{};
    while (pipe && fgets(buffer.data(), buffer.size(), pipe)) {
        out += buffer.data();
    }
    int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace veyrune::test
