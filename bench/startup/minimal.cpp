// The yardstick of the start-up benchmark: the smallest Qt Widgets program
// that shows one window with one line of text.
#include "app/startupprobe.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

namespace {

class Window : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override { StartupProbe::firstPaint(); }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Window window;
    window.resize(440, 329);
    auto *label = new QLabel(QStringLiteral("Hello"), &window);
    label->move(16, 16);
    window.show();
    return QApplication::exec();
}
