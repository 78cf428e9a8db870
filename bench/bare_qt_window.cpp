// The baseline of the start-up benchmark: a Qt program that shows one empty
// window of the main window's size and quits as soon as it has been shown,
// the way korvane does under KORVANE_EXIT_AFTER_SHOW=1.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.resize(433, 361);
  window.show();
  QTimer::singleShot(0, &application, [] { QApplication::exit(0); });
  return application.exec();
}
