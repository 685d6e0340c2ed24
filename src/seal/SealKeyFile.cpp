#include "seal/SealKeyFile.h"

#include <nlohmann/json.hpp>

namespace veyrune {

SealKeyFile::SealKeyFile(std::filesystem::path path, FileSystem& files)
    : path_(std::move(path)), files_(&files) {}

std::optional<SealKeyFile::State> SealKeyFile::load() const {
    auto status = files_->status(path_);
    if (!status || status->size == 0) {
        return std::nullopt;
    }
    auto object = nlohmann::json::parse(files_->readFile(path_), nullptr, false);
    try {
        State state;
        state.epoch = object.at("epoch").get<std::int64_t>();
        state.epochSeconds = object.at("epochSeconds").get<std::int64_t>();
        auto key = SealKey::fromHex(object.at("key").get<std::string>());
        if (key && state.epochSeconds > 0) {
            state.key = *key;
            return state;
        }
    } catch (const nlohmann::json::exception&) {
    }
    throw Error("The sealing key file " + path_.string() + " cannot be read.");
}

void SealKeyFile::remove() {
    if (files_->status(path_)) {
        // Emptied first, and synced with its folder: a removal that a power
        // cut undoes still leaves no key.
        files_->writeAtomically(path_, "");
        files_->removeRegularFile(path_);
    }
    removeLeftovers();
}

void SealKeyFile::store(const State& state) {
    files_->writeAtomically(path_, "{\"epoch\":" + std::to_string(state.epoch) +
                                       ",\"epochSeconds\":" + std::to_string(state.epochSeconds) +
                                       ",\"key\":\"" + SealKey::hex(state.key) + "\"}\n");
    removeLeftovers();
}

void SealKeyFile::removeLeftovers() {
    // An atomic write cut short by a crash leaves ".<name>.XXXXXX" beside the
    // file. The key in it would rebuild every key from its epoch on.
    auto prefix = "." + path_.filename().string() + ".";
    for (const auto& entry : files_->listWithoutFollowing(path_.parent_path())) {
        auto name = entry.path.filename().string();
        if (entry.isRegularFile && name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
            files_->removeRegularFile(entry.path);
        }
    }
}

}  // namespace veyrune
