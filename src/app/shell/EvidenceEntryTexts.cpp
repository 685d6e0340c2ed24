#include "app/shell/EvidenceEntryTexts.h"

#include "app/shell/ShellTexts.h"

namespace veyrune {

namespace {

// The file's kind first, else the index item's; nothing when neither says.
std::optional<bool> isCameraPhoto(const EvidenceLibraryEntry& entry) {
    if (entry.file) {
        return entry.file->kind == EvidenceFileKind::cameraPhoto;
    }
    if (entry.item) {
        return entry.item->kind == EvidenceKind::cameraPhoto;
    }
    return std::nullopt;
}

}  // namespace

EvidenceEntryTexts EvidenceEntryTexts::make(const EvidenceLibraryEntry& entry) {
    EvidenceEntryTexts texts;
    const auto camera = isCameraPhoto(entry);
    if (!camera) {
        texts.kindTitle = ShellTexts::evidenceKindUnknown;
        texts.placeholderSymbol = "exclamationmark.triangle";
    } else if (*camera) {
        texts.kindTitle = ShellTexts::cameraSnapshot;
        texts.placeholderSymbol = "camera.viewfinder";
    } else {
        texts.kindTitle = ShellTexts::screenshot;
        texts.placeholderSymbol = "display";
    }
    switch (entry.status) {
        case EvidenceLibraryEntryStatus::linked:
            texts.status = entry.event ? entry.event->summary : ShellTexts::eventLinked;
            texts.statusSymbol = "link";
            break;
        case EvidenceLibraryEntryStatus::unlinked:
            texts.status = ShellTexts::manualCapture;
            texts.statusSymbol = "camera";
            break;
        case EvidenceLibraryEntryStatus::fileUnavailable:
            texts.status = ShellTexts::fileUnavailable;
            texts.statusSymbol = "exclamationmark.triangle";
            break;
        case EvidenceLibraryEntryStatus::eventUnavailable:
            texts.status = ShellTexts::eventUnavailable;
            texts.statusSymbol = "exclamationmark.triangle";
            break;
    }
    return texts;
}

}  // namespace veyrune
