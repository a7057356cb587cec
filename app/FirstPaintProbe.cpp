#include "app/FirstPaintProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace stela {
namespace {

class FirstPaintProbe : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs after this paint has been flushed to the screen.
            QTimer::singleShot(0, [] {
                using namespace std::chrono;
                const auto now =
                    duration_cast<microseconds>(system_clock::now().time_since_epoch());
                std::printf("first-paint-us %lld\n", static_cast<long long>(now.count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

}  // namespace

void quitAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new FirstPaintProbe(&window));
}

}  // namespace stela
