#pragma once

#include <functional>

#include <QWidget>

namespace veyrune {

// The mark, "Veyrune", the tagline and this build's version text: the about
// window's content and the settings' About tab, with a link to the privacy policy.
class AboutView : public QWidget {
  public:
    explicit AboutView(std::function<void()> openPrivacyPolicy, QWidget* parent = nullptr);
};

}  // namespace veyrune
