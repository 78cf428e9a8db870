#include "ui/QtUserPort.h"

#include <QApplication>
#include <QMessageBox>

namespace korvane::ui {

int QtUserPort::MsgBox(const std::string& text, int flags, const std::string& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (IconOf(flags)) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
  }
  if (HasYesNo(flags)) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(DefaultAnswer(flags) == kIdNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  int result = box.exec();
  if (result == QMessageBox::Yes) return kIdYes;
  if (result == QMessageBox::No) return kIdNo;
  return kIdOk;
}

void QtUserPort::DoEvents() {
  // Long work calls this a few times per file; handling what is pending at
  // most every 10 ms keeps the window just as responsive (a click waits no
  // longer than that) without spending most of the time polling for events.
  if (sinceLastRun_.isValid() && sinceLastRun_.elapsed() < kMinIntervalMs) return;
  QApplication::processEvents();
  sinceLastRun_.start();
}

}  // namespace korvane::ui
