// The first-paint benchmark's baseline: a plain Qt Widgets window of the
// settings window's size with one line of text, shown at once.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(390, 780);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel("Hushgate"));
  window.show();
  return app.exec();
}
