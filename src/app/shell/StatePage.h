#pragma once

#include <QLabel>
#include <QWidget>

namespace veyrune {

// A centred symbol, title and message: the empty and unavailable states of
// the timeline and the evidence library. `message` receives the message label.
QWidget* makeStatePage(const char* symbol, const char* title, QLabel*& message, QWidget* parent);

// A bold label, `pointDelta` points larger than the default font.
QLabel* makeTitleLabel(const QString& text, int pointDelta, QWidget* parent);

}  // namespace veyrune
