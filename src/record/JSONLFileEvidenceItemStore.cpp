#include "record/JSONLFileEvidenceItemStore.h"

#include <algorithm>

#include "base/DataLocation.h"
#include "base/PosixFileSystem.h"
#include "record/JSONLines.h"
#include "record/RecordCoding.h"

namespace veyrune {

JSONLFileEvidenceItemStore::JSONLFileEvidenceItemStore()
    : JSONLFileEvidenceItemStore(defaultFileURL(), PosixFileSystem::shared()) {}

JSONLFileEvidenceItemStore::JSONLFileEvidenceItemStore(std::filesystem::path fileURL,
                                                       FileSystem& files)
    : fileURL_(std::move(fileURL)), files_(&files) {}

std::filesystem::path JSONLFileEvidenceItemStore::defaultFileURL() {
    return veyruneDataDirectory() / "evidence-items.jsonl";
}

void JSONLFileEvidenceItemStore::append(const EvidenceItem& item) {
    std::string line;
    try {
        line = defaultEncodedText(toJSON(item, DateEncoding::referenceSeconds));
    } catch (const nlohmann::json::type_error&) {
        throw FileError(fileURL_, "the evidence item is not valid UTF-8 text");
    }
    appendJSONLine(*files_, fileURL_, line);
}

std::vector<EvidenceItem> JSONLFileEvidenceItemStore::allItems() const {
    std::vector<EvidenceItem> items;
    for (const auto& line : readJSONLines(*files_, fileURL_)) {
        auto value = parseJSON(line);
        if (!value) {
            continue;
        }
        if (auto item = evidenceItemFromJSON(*value, DateEncoding::referenceSeconds)) {
            items.push_back(std::move(*item));
        }
    }
    std::sort(items.begin(), items.end(), [](const EvidenceItem& a, const EvidenceItem& b) {
        if (a.createdAt != b.createdAt) {
            return a.createdAt > b.createdAt;
        }
        return a.id.uuidString() < b.id.uuidString();
    });
    return items;
}

}  // namespace veyrune
