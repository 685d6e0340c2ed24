#include "evidence/qt/PortalScreenshotRequest.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <atomic>

namespace veyrune {

namespace {

constexpr const char* requestInterface = "org.freedesktop.portal.Request";

// How long an abandoned request still listens, to remove a picture the
// portal delivers after all.
constexpr int lateAnswerMilliseconds = 60'000;

QString nextToken() {
    static std::atomic<unsigned> counter = 0;
    return QStringLiteral("veyrune%1").arg(++counter);
}

// The request object path portals derive from the caller's bus name and token.
QString predictedHandle(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void removeLater(const QString& file) {
    QThreadPool::globalInstance()->start([file] { QFile::remove(file); });
}

}  // namespace

QPointer<PortalScreenshotRequest> PortalScreenshotRequest::start(QDBusConnection bus,
                                                                 Answer answer) {
    auto* request = new PortalScreenshotRequest(std::move(bus), std::move(answer));
    request->send();
    return request;
}

PortalScreenshotRequest::PortalScreenshotRequest(QDBusConnection bus, Answer answer)
    : bus_(std::move(bus)), answer_(std::move(answer)) {}

void PortalScreenshotRequest::send() {
    const QString token = nextToken();
    // Listen before asking, so an answer cannot slip past.
    listenOn(predictedHandle(bus_, token));
    auto call = QDBusMessage::createMethodCall(portalService, portalPath,
                                               "org.freedesktop.portal.Screenshot", "Screenshot");
    call << QString() << QVariantMap{{"handle_token", token}, {"interactive", false}};
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError()) {
                    finish({PortalScreenshotAnswer::Kind::failed, {}});
                    return;
                }
                // Portals older than the handle token choose their own path.
                if (reply.value().path() != handle_) {
                    listenOn(reply.value().path());
                }
            });
}

void PortalScreenshotRequest::listenOn(const QString& handle) {
    if (!handle_.isEmpty()) {
        bus_.disconnect(portalService, handle_, requestInterface, "Response", this,
                        SLOT(onResponse(uint, QVariantMap)));
    }
    handle_ = handle;
    bus_.connect(portalService, handle_, requestInterface, "Response", this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalScreenshotRequest::onResponse(uint response, const QVariantMap& results) {
    QUrl uri(results.value("uri").toString());
    if (response == 0 && uri.isLocalFile()) {
        if (abandoned_) {
            removeLater(uri.toLocalFile());
            finish({});
            return;
        }
        finish({PortalScreenshotAnswer::Kind::picture, uri.toLocalFile()});
        return;
    }
    bool refused = response == 1 || response == 2;
    finish({refused ? PortalScreenshotAnswer::Kind::refused : PortalScreenshotAnswer::Kind::failed,
            {}});
}

void PortalScreenshotRequest::abandon() {
    if (abandoned_ || !answer_) {
        return;
    }
    abandoned_ = true;
    answer_ = nullptr;
    bus_.asyncCall(
        QDBusMessage::createMethodCall(portalService, handle_, requestInterface, "Close"));
    QTimer::singleShot(lateAnswerMilliseconds, this, &QObject::deleteLater);
}

void PortalScreenshotRequest::finish(PortalScreenshotAnswer answer) {
    if (answer_) {
        auto done = std::move(answer_);
        answer_ = nullptr;
        done(std::move(answer));
    }
    bus_.disconnect(portalService, handle_, requestInterface, "Response", this,
                    SLOT(onResponse(uint, QVariantMap)));
    deleteLater();
}

}  // namespace veyrune
