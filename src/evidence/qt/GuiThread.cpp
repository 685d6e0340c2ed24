#include "evidence/qt/GuiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace veyrune {

void runOnGuiThread(const std::function<void()>& work) {
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

void postToGuiThread(std::function<void()> work) {
    if (auto* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
    }
}

}  // namespace veyrune
