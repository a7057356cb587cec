#pragma once

#include <QFont>
#include <QStringList>

namespace stela {

// The program's windows are drawn in the Windows faces "MS Sans Serif" and
// "Arial"; where they are missing, Liberation Sans has Arial's metrics and
// DejaVu Sans is everywhere.
inline const QStringList kMsSansSerifFamilies{"MS Sans Serif", "Liberation Sans", "DejaVu Sans"};
inline const QStringList kArialFamilies{"Arial", "Liberation Sans", "DejaVu Sans"};

// Windows gives font heights in pixels (-11 is 11 pixels high).
inline QFont pixelFont(const QStringList& families, int pixelSize) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace stela
