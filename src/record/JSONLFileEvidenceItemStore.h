#pragma once

#include <filesystem>

#include "base/FileSystem.h"
#include "record/EvidenceItemStore.h"

namespace veyrune {

// The evidence index, "evidence-items.jsonl" (numeric dates, escaped "/").
// Holds no lock; `files` must outlive the store.
class JSONLFileEvidenceItemStore final : public EvidenceItemStore {
  public:
    JSONLFileEvidenceItemStore();
    explicit JSONLFileEvidenceItemStore(std::filesystem::path fileURL, FileSystem& files);

    static std::filesystem::path defaultFileURL();
    const std::filesystem::path& fileURL() const { return fileURL_; }

    void append(const EvidenceItem& item) override;
    std::vector<EvidenceItem> allItems() const override;

  private:
    std::filesystem::path fileURL_;
    FileSystem* files_;
};

}  // namespace veyrune
