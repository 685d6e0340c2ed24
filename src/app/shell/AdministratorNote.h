#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "base/Preferences.h"

class QLabel;
class QPushButton;

namespace veyrune {

// The line under a control whose value an administrator may set for every
// user: "Set by your administrator" while theirs applies; their value and a
// button back to it while the user's own value hides it; nothing otherwise.
// Main thread.
class AdministratorNote : public QWidget {
  public:
    // `useAdministratorValue` runs when the button is pressed.
    explicit AdministratorNote(std::function<void()> useAdministratorValue,
                               QWidget* parent = nullptr);

    // `administratorText`: their value as the user reads it, nothing when
    // they set none.
    void present(PreferenceOrigin origin, const std::optional<QString>& administratorText);

    QLabel& label() { return *label_; }
    QPushButton& button() { return *button_; }

  private:
    QLabel* label_;
    QPushButton* button_;
};

}  // namespace veyrune
