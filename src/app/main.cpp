#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vinta");
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8("Vinta - 新規"));
    window.setGeometry(394, 123, 757, 454);
    window.show();
    return app.exec();
}
