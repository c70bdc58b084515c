// The least a Qt Widgets program does to show a window: an application object and one empty
// window of the same size. Prints the monotonic clock at its first painted frame and ends.
#include "MonotonicNow.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (painted_)
            return;
        painted_ = true;
        QTimer::singleShot(0, [] {
            std::printf("%lld\n", monotonicNowNs());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }

private:
    bool painted_ = false;
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Window window;
    window.resize(1180, 800);
    window.show();
    return QApplication::exec();
}
