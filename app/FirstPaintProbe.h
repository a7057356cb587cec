#pragma once

class QWidget;

namespace stela {

// For the start-up figure. Installed before the start-up search: every notice
// is confirmed as soon as it is shown, as an operator's Enter would, and the
// time it stood open is summed; once `window` has painted for the first time,
// prints the wall-clock time in microseconds since the epoch and that sum
// ("first-paint-us <n> notices-us <m>"), then the window's title on a line of its
// own ("window-title <title>"), and quits the application.
void quitAfterFirstPaint(QWidget& window);

}  // namespace stela
