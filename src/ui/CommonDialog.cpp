#include "ui/CommonDialog.h"

#include <QFileDialog>

namespace korvane::ui {

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    result << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
  }
  if (result.isEmpty()) result << QStringLiteral("* (*)");
  return result;
}

bool CommonDialog::ShowOpen(QWidget* parent) {
  std::optional<std::string> chosen;
  if (chooser_) {
    chosen = chooser_(*this);
  } else {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(Filter));
    if (!FileName.empty()) dialog.selectFile(QString::fromStdString(FileName));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().first().toStdString();
    }
  }
  if (!chosen) return false;
  FileName = *chosen;
  return true;
}

}  // namespace korvane::ui
