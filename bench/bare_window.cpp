// The baseline of the memory measurement: a bare Qt window of the program's size with one label of Japanese text,
// nothing else. scripts/measure-memory.sh compares the program at its title screen against it.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(800, 600);
    QLabel label(QStringLiteral("馬連専用馬券予想プログラム"), &window);
    label.move(128, 24);
    window.show();
    return application.exec();
}
