#include "evidence/qt/QtScreenSourceBase.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "evidence/qt/GuiThread.h"
#include "evidence/qt/QtScreenImage.h"

namespace veyrune {

DisplayList QtScreenSourceBase::currentDisplays() {
    DisplayList list;
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect frame = screen->geometry();
        list.displays.push_back(
            {displayID(screen->name()), frame.x(), frame.y(), frame.width(), frame.height()});
    }
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        list.mainDisplayID = displayID(primary->name());
    }
    return list;
}

void QtScreenSourceBase::loadDisplays(std::function<void(std::optional<DisplayList>)> done) {
    postToGuiThread([this, done = std::move(done)] { done(currentDisplays()); });
}

std::optional<ScreenFrame> QtScreenSourceBase::compose(const StitchLayout& layout,
                                                       const std::vector<ScreenFrame>& frames) {
    QImage canvas(layout.width, layout.height, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull() || frames.size() != layout.placements.size()) {
        return std::nullopt;
    }
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto& image = static_cast<const QtScreenImage&>(*frames[i]).image();
        painter.drawImage(QPoint(layout.placements[i].x, layout.placements[i].y), image);
    }
    painter.end();
    return std::make_shared<QtScreenImage>(canvas);
}

std::optional<std::string> QtScreenSourceBase::encodePNG(const ScreenFrame& frame) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!static_cast<const QtScreenImage&>(*frame).image().save(&buffer, "PNG")) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

std::uint32_t QtScreenSourceBase::displayID(const QString& name) {
    std::lock_guard lock(mutex_);
    auto [it, added] = idsByName_.try_emplace(name, std::uint32_t(idsByName_.size() + 1));
    return it->second;
}

QString QtScreenSourceBase::screenName(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    for (const auto& [name, known] : idsByName_) {
        if (known == id) {
            return name;
        }
    }
    return {};
}

}  // namespace veyrune
