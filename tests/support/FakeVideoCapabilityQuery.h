#pragma once

#include <atomic>
#include <map>
#include <string>

#include "evidence/VideoCapabilityQuery.h"

namespace veyrune::test {

// Answers for video nodes by file name; a node it has no answer for cannot
// be opened (ENOENT). Counts the queries.
class FakeVideoCapabilityQuery final : public VideoCapabilityQuery {
  public:
    std::map<std::string, VideoNodeQuery> answers;
    mutable std::atomic<int> queries = 0;

    VideoNodeQuery query(const std::filesystem::path& node) const override {
        ++queries;
        auto found = answers.find(node.filename().string());
        return found != answers.end() ? found->second : VideoNodeQuery{ENOENT, {}, false};
    }
};

}  // namespace veyrune::test
