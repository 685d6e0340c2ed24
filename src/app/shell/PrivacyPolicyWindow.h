#pragma once

#include <QWidget>

namespace veyrune {

// "Privacy Policy": the document's title, its introduction, the publisher and
// every section in order, scrolling.
class PrivacyPolicyWindow : public QWidget {
  public:
    explicit PrivacyPolicyWindow(QWidget* parent = nullptr);
};

}  // namespace veyrune
