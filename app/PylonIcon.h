#pragma once

#include <QIcon>

namespace stela {

// The window's icon: a roadside price pylon with its price panels, drawn at
// the sizes window managers ask for.
QIcon pylonIcon();

}  // namespace stela
