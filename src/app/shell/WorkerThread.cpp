#include "app/shell/WorkerThread.h"

namespace veyrune {

WorkerThread::WorkerThread(const QString& name) : context_(new QObject) {
    thread_.setObjectName(name);
    context_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
    thread_.start(QThread::LowPriority);
}

WorkerThread::~WorkerThread() {
    thread_.quit();
    thread_.wait();
}

void WorkerThread::post(std::function<void()> work) {
    QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
}

}  // namespace veyrune
