#include "app/shell/EvidenceSettingsTab.h"

#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

#include "app/shell/SettingsForm.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/SymbolIcon.h"

namespace veyrune {

using namespace SettingsForm;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QSpinBox* boundSpinBox(SettingsBridge& settings, IntSetting setting, int minimum, int maximum,
                       int step, const char* suffix) {
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(setting.key));
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setSuffix(QString::fromUtf8(suffix));
    box->setValue(static_cast<int>(settings.value(setting)));
    QObject::connect(box, &QSpinBox::valueChanged, box,
                     [&settings, setting](int value) { settings.set(setting, value); });
    return box;
}

}  // namespace

EvidenceSettingsTab::EvidenceSettingsTab(
    SettingsBridge& settings, ScreenCaptureMethod method,
    std::function<void(const EvidencePermissionPreflight&)> reviewPermission,
    std::function<void()> openLibrary, QWidget* parent)
    : QWidget(parent) {
    auto* page = makePage(this, ShellTexts::evidence, ShellTexts::evidenceSettingsSubtitle);

    auto* capture = addSection(page, ShellTexts::capture);
    addBoundCheckBox(capture, ShellTexts::cameraSnapshots, settings, Settings::captureCamera);
    addBoundCheckBox(capture, ShellTexts::screenshots, settings, Settings::captureScreenshots);
    auto* mode = new QComboBox;
    mode->setObjectName(QString::fromLatin1(Settings::screenshotModeRaw.key));
    mode->setAccessibleName(QString::fromUtf8(ShellTexts::screenshotMode));
    mode->addItem(QString::fromUtf8(ShellTexts::primaryDisplayOnly), 0);
    mode->addItem(QString::fromUtf8(ShellTexts::allDisplaysStitched), 1);
    mode->setCurrentIndex(settings.value(Settings::screenshotModeRaw) == 0 ? 0 : 1);
    connect(mode, &QComboBox::currentIndexChanged, this, [&settings, mode](int index) {
        settings.set(Settings::screenshotModeRaw, mode->itemData(index).toLongLong());
    });
    auto* modeForm = new QFormLayout;
    modeForm->addRow(QString::fromUtf8(ShellTexts::screenshotMode), mode);
    capture->addLayout(modeForm);

    auto* permissions = addSection(page, ShellTexts::permissions);
    for (const auto* preflight : {&EvidencePermissionPreflight::camera(),
                                  &EvidencePermissionPreflight::screenshots(method)}) {
        auto* title = new QLabel(qs(preflight->title + " \u00b7 " + preflight->permissionName));
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        permissions->addWidget(title);
        addHelp(permissions, qs(preflight->message));
        auto* review =
            new QPushButton(symbolIcon(preflight->systemImage), qs(preflight->primaryActionTitle));
        review->setAccessibleName(review->text());
        connect(review, &QPushButton::clicked, this,
                [reviewPermission, preflight] { reviewPermission(*preflight); });
        permissions->addWidget(review, 0, Qt::AlignLeft);
    }

    auto* retention = addSection(page, ShellTexts::retention);
    auto* form = new QFormLayout;
    keepDays_ = boundSpinBox(
        settings, Settings::evidenceKeepDays, static_cast<int>(Settings::keepDaysMinimum),
        static_cast<int>(Settings::keepDaysMaximum), 1, ShellTexts::daysSuffix);
    keepDays_->setAccessibleName(QString::fromUtf8(ShellTexts::keepEvidence));
    form->addRow(QString::fromUtf8(ShellTexts::keepEvidence), keepDays_);
    storageCap_ =
        boundSpinBox(settings, Settings::evidenceMaxMB, 0, static_cast<int>(Settings::maxMBMaximum),
                     static_cast<int>(Settings::maxMBStep), ShellTexts::megabytesSuffix);
    storageCap_->setSpecialValueText(QString::fromUtf8(ShellTexts::noCap));
    storageCap_->setAccessibleName(QString::fromUtf8(ShellTexts::storageCap));
    form->addRow(QString::fromUtf8(ShellTexts::storageCap), storageCap_);
    retention->addLayout(form);

    auto* library = addSection(page, ShellTexts::library);
    auto* open = new QPushButton(QString::fromUtf8(ShellTexts::openEvidenceLibrary));
    open->setAccessibleName(open->text());
    connect(open, &QPushButton::clicked, this, [openLibrary] { openLibrary(); });
    library->addWidget(open, 0, Qt::AlignLeft);
    addHelp(library, QString::fromUtf8(ShellTexts::libraryHelp));
    page->addStretch();
}

}  // namespace veyrune
