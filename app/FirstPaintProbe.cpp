#include "app/FirstPaintProbe.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace stela {
namespace {

long long nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            if (event->type() == QEvent::Show) {
                noticeShownAt_ = nowMicros();
                QTimer::singleShot(0, box, &QMessageBox::accept);
            } else if (event->type() == QEvent::Hide && noticeShownAt_ != 0) {
                noticesMicros_ += nowMicros() - noticeShownAt_;
                noticeShownAt_ = 0;
            }
        } else if (watched == &window_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs after this paint has been flushed to the screen.
            QTimer::singleShot(0, this, [this] {
                std::printf("first-paint-us %lld notices-us %lld\n", nowMicros(), noticesMicros_);
                std::printf("window-title %s\n", window_.windowTitle().toUtf8().constData());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    bool seen_ = false;
    long long noticeShownAt_ = 0;
    long long noticesMicros_ = 0;
};

}  // namespace

void quitAfterFirstPaint(QWidget& window) {
    qApp->installEventFilter(new FirstPaintProbe(window));
}

}  // namespace stela
