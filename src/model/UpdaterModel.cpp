#include "model/UpdaterModel.h"

#include <cmath>

namespace veyrune {

const char* title(UpdateCheckFrequency frequency) {
    return frequency == UpdateCheckFrequency::weekly ? "Weekly" : "Daily";
}

double interval(UpdateCheckFrequency frequency) {
    return frequency == UpdateCheckFrequency::weekly ? 604800.0 : 86400.0;
}

std::shared_ptr<UpdaterModel> UpdaterModel::make(const std::string& signingKey,
                                                 FrameworkFactory makeFramework) {
    std::shared_ptr<UpdaterModel> model(new UpdaterModel());
    if (!signingKey.empty() && makeFramework) {
        if (auto framework = makeFramework()) {
            model->attach(std::move(framework));
        }
    }
    return model;
}

void UpdaterModel::attach(std::unique_ptr<UpdateFramework> framework) {
    framework_ = std::move(framework);
    automaticallyChecks_ = framework_->automaticallyChecksForUpdates();
    double current = framework_->updateCheckInterval();
    bool closerToWeekly = std::abs(current - interval(UpdateCheckFrequency::weekly)) <
                          std::abs(current - interval(UpdateCheckFrequency::daily));
    checkFrequency_ = closerToWeekly ? UpdateCheckFrequency::weekly : UpdateCheckFrequency::daily;
    lastCheckDate_ = framework_->lastUpdateCheckDate();
    std::weak_ptr<UpdaterModel> weak = weak_from_this();
    framework_->onUpdateCycleFinished([weak] {
        if (auto model = weak.lock()) {
            model->refreshLastCheckDate();
        }
    });
    // Any other stored interval becomes one of the two.
    framework_->setUpdateCheckInterval(interval(checkFrequency_));
}

void UpdaterModel::setAutomaticallyChecksForUpdates(bool on) {
    automaticallyChecks_ = on;
    if (framework_) {
        framework_->setAutomaticallyChecksForUpdates(on);
    }
}

void UpdaterModel::setCheckFrequency(UpdateCheckFrequency frequency) {
    checkFrequency_ = frequency;
    if (framework_) {
        framework_->setUpdateCheckInterval(interval(frequency));
    }
}

void UpdaterModel::refreshLastCheckDate() {
    lastCheckDate_ = framework_ ? framework_->lastUpdateCheckDate() : std::nullopt;
}

void UpdaterModel::checkForUpdates() {
    if (framework_) {
        framework_->checkForUpdates();
    }
}

}  // namespace veyrune
