#include "app/shell/AboutView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/PrivacyPolicyDocument.h"
#include "app/shell/ShellTexts.h"
#include "app/shell/StatePage.h"
#include "app/shell/VeyruneMark.h"
#include "base/VersionText.h"

namespace veyrune {

AboutView::AboutView(std::function<void()> openPrivacyPolicy, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(new VeyruneMark(128, this), 0, Qt::AlignHCenter);
    auto* name = makeTitleLabel(QString::fromUtf8(ShellTexts::appName), 8, this);
    name->setObjectName(QStringLiteral("appName"));
    layout->addWidget(name, 0, Qt::AlignHCenter);
    auto* tagline = new QLabel(QString::fromUtf8(ShellTexts::tagline), this);
    tagline->setObjectName(QStringLiteral("tagline"));
    layout->addWidget(tagline, 0, Qt::AlignHCenter);
    auto* version = new QLabel(QString::fromStdString(currentVersionText()), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    auto* privacy = new QPushButton(QString::fromUtf8(PrivacyPolicyDocument::windowTitle), this);
    privacy->setObjectName(QStringLiteral("privacyPolicy"));
    privacy->setAccessibleName(privacy->text());
    privacy->setFlat(true);
    connect(privacy, &QPushButton::clicked, this, [open = std::move(openPrivacyPolicy)] {
        if (open) {
            open();
        }
    });
    layout->addWidget(privacy, 0, Qt::AlignHCenter);
    layout->addStretch();
}

}  // namespace veyrune
