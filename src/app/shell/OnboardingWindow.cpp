#include "app/shell/OnboardingWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/ShellTexts.h"
#include "app/shell/StatePage.h"
#include "app/shell/SymbolIcon.h"
#include "app/shell/VeyruneMark.h"

namespace veyrune {

OnboardingWindow::OnboardingWindow(SettingsBridge& settings, std::function<void()> openSettings,
                                   QWidget* parent)
    : QWidget(parent), settings_(settings), openSettings_(std::move(openSettings)) {
    setObjectName(QStringLiteral("onboarding"));
    setWindowTitle(QString::fromUtf8(ShellTexts::gettingStartedTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* header = new QHBoxLayout;
    header->addWidget(new VeyruneMark(56, this));
    auto* texts = new QVBoxLayout;
    texts->addWidget(makeTitleLabel(QString::fromUtf8(ShellTexts::welcome), 6, this));
    texts->addWidget(new QLabel(QString::fromUtf8(ShellTexts::tagline), this));
    header->addLayout(texts, 1);
    layout->addLayout(header);

    auto* steps = new QGridLayout;
    steps->setColumnMinimumWidth(1, 400);
    int row = 0;
    for (const auto& step : ShellTexts::onboardingSteps) {
        auto* icon = new QLabel(this);
        icon->setPixmap(symbolIcon(step.systemImage).pixmap(32, 32));
        steps->addWidget(icon, row, 0, 2, 1, Qt::AlignTop);
        steps->addWidget(makeTitleLabel(QString::fromUtf8(step.title), 1, this), row, 1);
        auto* message = new QLabel(QString::fromUtf8(step.message), this);
        message->setWordWrap(true);
        steps->addWidget(message, row + 1, 1);
        row += 2;
    }
    layout->addLayout(steps);

    doNotShowAgain_ = new QCheckBox(QString::fromUtf8(ShellTexts::doNotShowAgain), this);
    doNotShowAgain_->setObjectName(QStringLiteral("doNotShowAgain"));
    doNotShowAgain_->setAccessibleName(doNotShowAgain_->text());
    layout->addWidget(doNotShowAgain_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* settingsButton =
        new QPushButton(symbolIcon("gearshape"), QString::fromUtf8(ShellTexts::openSettings), this);
    settingsButton->setObjectName(QStringLiteral("openSettings"));
    settingsButton->setAccessibleName(settingsButton->text());
    connect(settingsButton, &QPushButton::clicked, this, &OnboardingWindow::openSettings);
    buttons->addWidget(settingsButton);
    auto* doneButton =
        new QPushButton(symbolIcon("checkmark"), QString::fromUtf8(ShellTexts::done), this);
    doneButton->setObjectName(QStringLiteral("done"));
    doneButton->setAccessibleName(doneButton->text());
    doneButton->setDefault(true);
    connect(doneButton, &QPushButton::clicked, this, &OnboardingWindow::done);
    buttons->addWidget(doneButton);
    layout->addLayout(buttons);
}

void OnboardingWindow::openSettings() {
    done();
    if (openSettings_) {
        openSettings_();
    }
}

void OnboardingWindow::done() {
    if (doNotShowAgain_->isChecked()) {
        settings_.set(Settings::hasCompletedOnboarding, true);
    }
    close();
}

}  // namespace veyrune
