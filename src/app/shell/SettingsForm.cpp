#include "app/shell/SettingsForm.h"

#include "app/shell/StatePage.h"

namespace veyrune::SettingsForm {

QVBoxLayout* makePage(QWidget* page, const char* title, const char* subtitle) {
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeTitleLabel(QString::fromUtf8(title), 3, page));
    auto* sub = new QLabel(QString::fromUtf8(subtitle), page);
    sub->setWordWrap(true);
    layout->addWidget(sub);
    return layout;
}

QVBoxLayout* addSection(QVBoxLayout* column, const char* title) {
    auto* box = new QGroupBox(QString::fromUtf8(title));
    box->setAccessibleName(box->title());
    column->addWidget(box);
    return new QVBoxLayout(box);
}

QLabel* addHelp(QVBoxLayout* column, const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(label);
    return label;
}

QCheckBox* addBoundCheckBox(QVBoxLayout* column, const char* text, SettingsBridge& settings,
                            BoolSetting setting, std::function<void(bool)> after) {
    auto* box = new QCheckBox(QString::fromUtf8(text));
    box->setObjectName(QString::fromLatin1(setting.key));
    box->setAccessibleName(box->text());
    box->setChecked(settings.value(setting));
    QObject::connect(box, &QCheckBox::toggled, box,
                     [&settings, setting, after = std::move(after)](bool on) {
                         settings.set(setting, on);
                         if (after) {
                             after(on);
                         }
                     });
    column->addWidget(box);
    return box;
}

}  // namespace veyrune::SettingsForm
