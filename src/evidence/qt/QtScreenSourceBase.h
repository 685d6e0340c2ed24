#pragma once

#include <QString>
#include <map>
#include <mutex>

#include "evidence/ScreenSource.h"

namespace veyrune {

// What every Qt screen source shares: the display list from QScreen (each
// screen keeps its number for the life of the source), stitching with
// QPainter on a transparent ARGB canvas, PNG through QImage. Any thread; the
// screen work hops to the GUI thread.
class QtScreenSourceBase : public ScreenSource {
  public:
    void loadDisplays(std::function<void(std::optional<DisplayList>)> done) override;
    std::optional<ScreenFrame> compose(const StitchLayout& layout,
                                       const std::vector<ScreenFrame>& frames) override;
    std::optional<std::string> encodePNG(const ScreenFrame& frame) override;

  protected:
    // GUI thread.
    DisplayList currentDisplays();
    std::uint32_t displayID(const QString& screenName);
    QString screenName(std::uint32_t displayID);

  private:
    std::mutex mutex_;
    std::map<QString, std::uint32_t> idsByName_;  // guarded by mutex_
};

}  // namespace veyrune
