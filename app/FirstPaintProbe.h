#pragma once

class QWidget;

namespace stela {

// For the start-up figure: once the window has painted for the first time,
// prints the wall-clock time in microseconds since the epoch
// ("first-paint-us <n>") and quits the application.
void quitAfterFirstPaint(QWidget& window);

}  // namespace stela
