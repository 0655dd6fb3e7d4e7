// A program that starts the way VELDRUN does, for the single-copy test: it
// takes the program's single-copy lock under the name given and, when it is
// the first copy, shows a window for a moment and prints "window"; a second
// copy prints "second". A first copy asked to come forward prints "asked".

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "app/SingleInstance.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (!instance.acquire()) {
        std::puts("second");
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, [] {
        std::puts("asked");
        std::fflush(stdout);
    });
    QWidget window;
    window.show();
    std::puts("window");
    std::fflush(stdout);
    QTimer::singleShot(QString::fromLocal8Bit(argv[2]).toInt(), &app, &QApplication::quit);
    return QApplication::exec();
}
