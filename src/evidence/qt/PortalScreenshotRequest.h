#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace veyrune {

// How the desktop portal answered one Screenshot request.
struct PortalScreenshotAnswer {
    enum class Kind { picture, refused, failed };
    Kind kind = Kind::failed;
    QString file;  // the portal's temporary file, for `picture`; the receiver removes it
};

// One non-interactive org.freedesktop.portal.Screenshot request, from the call
// to the Response signal on its request object. Lives on the GUI thread and
// deletes itself when done. Responses 1 and 2 (the user or the desktop said
// no) are `refused`; a failed call, an answer without a local file or an
// unknown response code are `failed`.
class PortalScreenshotRequest final : public QObject {
    Q_OBJECT

  public:
    using Answer = std::function<void(PortalScreenshotAnswer)>;

    static constexpr const char* portalService = "org.freedesktop.portal.Desktop";
    static constexpr const char* portalPath = "/org/freedesktop/portal/desktop";

    // GUI thread. `answer` runs at most once, on the GUI thread.
    static QPointer<PortalScreenshotRequest> start(QDBusConnection bus, Answer answer);

    // GUI thread. The requester no longer waits: the request is closed and a
    // picture that still comes is removed unseen.
    void abandon();

  private Q_SLOTS:
    // Connected by signature: QtDBus offers no pointer-to-member form for bus signals.
    void onResponse(uint response, const QVariantMap& results);

  private:
    PortalScreenshotRequest(QDBusConnection bus, Answer answer);
    void send();
    void listenOn(const QString& handle);
    void finish(PortalScreenshotAnswer answer);

    QDBusConnection bus_;
    Answer answer_;
    QString handle_;
    bool abandoned_ = false;
};

}  // namespace veyrune
