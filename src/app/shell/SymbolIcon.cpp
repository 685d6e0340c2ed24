#include "app/shell/SymbolIcon.h"

#include <QApplication>
#include <QStyle>

namespace veyrune {

namespace {

struct SymbolRow {
    std::string_view symbol;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

constexpr SymbolRow kSymbols[] = {
    {"clock.arrow.circlepath", "document-open-recent", QStyle::SP_FileDialogDetailedView},
    {"tray.full", "folder-pictures", QStyle::SP_DirIcon},
    {"tray", "folder-pictures", QStyle::SP_DirIcon},
    {"gearshape", "preferences-system", QStyle::SP_FileDialogContentsView},
    {"questionmark.circle", "help-contents", QStyle::SP_DialogHelpButton},
    {"arrow.down.circle", "system-software-update", QStyle::SP_ArrowDown},
    {"info.circle", "help-about", QStyle::SP_MessageBoxInformation},
    {"pause.circle", "media-playback-pause", QStyle::SP_MediaPause},
    {"play.circle", "media-playback-start", QStyle::SP_MediaPlay},
    {"wrench.and.screwdriver", "applications-development", QStyle::SP_ComputerIcon},
    {"arrow.clockwise", "view-refresh", QStyle::SP_BrowserReload},
    {"arrow.clockwise.circle.fill", "view-refresh", QStyle::SP_BrowserReload},
    {"square.and.arrow.up", "document-save-as", QStyle::SP_DialogSaveButton},
    {"shield", "security-low", QStyle::SP_VistaShield},
    {"shield.lefthalf.filled", "security-medium", QStyle::SP_VistaShield},
    {"checkmark.shield.fill", "security-high", QStyle::SP_DialogApplyButton},
    {"exclamationmark.shield.fill", "security-low", QStyle::SP_MessageBoxWarning},
    {"exclamationmark.triangle", "dialog-warning", QStyle::SP_MessageBoxWarning},
    {"exclamationmark.triangle.fill", "dialog-warning", QStyle::SP_MessageBoxWarning},
    {"checkmark.circle.fill", "emblem-ok", QStyle::SP_DialogApplyButton},
    {"checkmark", "dialog-ok", QStyle::SP_DialogOkButton},
    {"circle", "media-record", QStyle::SP_DialogNoButton},
    {"paperclip", "mail-attachment", QStyle::SP_FileIcon},
    {"desktopcomputer", "computer", QStyle::SP_ComputerIcon},
    {"list.bullet.rectangle", "view-list-details", QStyle::SP_FileDialogListView},
    {"stethoscope", "utilities-system-monitor", QStyle::SP_FileDialogInfoView},
    {"folder", "folder-open", QStyle::SP_DirOpenIcon},
    {"camera.viewfinder", "camera-photo", QStyle::SP_DesktopIcon},
    {"camera", "camera-photo", QStyle::SP_DesktopIcon},
    {"display", "video-display", QStyle::SP_ComputerIcon},
    {"link", "insert-link", QStyle::SP_FileLinkIcon},
    {"ellipsis.circle", "open-menu", QStyle::SP_ToolBarHorizontalExtensionButton},
    {"bell.badge", "preferences-desktop-notification", QStyle::SP_MessageBoxInformation},
    {"bell.badge.fill", "preferences-desktop-notification", QStyle::SP_MessageBoxInformation},
    {"bolt.shield", "security-medium", QStyle::SP_VistaShield},
    {"waveform.path.ecg.rectangle", "utilities-system-monitor", QStyle::SP_MediaPlay},
};

}  // namespace

QIcon symbolIcon(std::string_view symbol) {
    for (const auto& row : kSymbols) {
        if (row.symbol == symbol) {
            return QIcon::fromTheme(QString::fromLatin1(row.themeName),
                                    QApplication::style()->standardIcon(row.fallback));
        }
    }
    return {};
}

QColor tintColor(DeliveryTimelineTintIntent intent) {
    switch (intent) {
        case DeliveryTimelineTintIntent::ready:
            return QColor(0x1e, 0x8e, 0x3e);
        case DeliveryTimelineTintIntent::attention:
            return QColor(0xd9, 0x6c, 0x00);
        case DeliveryTimelineTintIntent::inactive:
            break;
    }
    return QColor(0x80, 0x80, 0x80);
}

}  // namespace veyrune
