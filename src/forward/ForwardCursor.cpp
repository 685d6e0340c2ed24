#include "forward/ForwardCursor.h"

#include <nlohmann/json.hpp>

#include "base/Hex.h"

namespace veyrune {

namespace {

nlohmann::json encode(const LogPosition& position) {
    nlohmann::json json = {
        {"offset", position.offset},
        {"end", hexText(reinterpret_cast<const unsigned char*>(position.endBytes.data()),
                        position.endBytes.size())}};
    if (position.file) {
        json["inode"] = position.file->inode;
        json["device"] = position.file->device;
    }
    return json;
}

std::string unhex(const std::string& text) {
    std::string bytes;
    if (text.size() % 2 != 0) {
        throw std::invalid_argument("odd hex");
    }
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = hexDigitValue(text[i]);
        int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            throw std::invalid_argument("not hex");
        }
        bytes += char(high * 16 + low);
    }
    return bytes;
}

LogPosition decode(const nlohmann::json& json) {
    LogPosition position;
    position.offset = json.at("offset").get<std::uint64_t>();
    position.endBytes = unhex(json.at("end").get<std::string>());
    if (json.contains("inode")) {
        // Only the file's identity counts for a cursor; the rest is read afresh.
        position.file = FileStatus{};
        position.file->inode = json.at("inode").get<std::uint64_t>();
        position.file->device = json.at("device").get<std::uint64_t>();
    }
    return position;
}

}  // namespace

ForwardCursor ForwardCursor::load(const FileSystem& files, const std::filesystem::path& path) {
    if (!files.exists(path)) {
        return {};
    }
    try {
        auto json = nlohmann::json::parse(files.readFile(path));
        return {json.at("destination").get<std::string>(), decode(json.at("events")),
                decode(json.at("seals"))};
    } catch (const FileError&) {
        throw;
    } catch (const std::exception&) {
        // A damaged cursor sends the logs again from the start: repeats, no loss.
        return {};
    }
}

void ForwardCursor::save(FileSystem& files, const std::filesystem::path& path) const {
    nlohmann::json json = {
        {"destination", destination}, {"events", encode(events)}, {"seals", encode(seals)}};
    files.createDirectories(path.parent_path());
    files.writeAtomically(path, json.dump() + "\n");
}

}  // namespace veyrune
