#pragma once
// The file-open dialog of the main window's choose buttons: a file name, a
// filter in the "description|pattern|..." form, flags, and cancelling told
// apart from choosing. Tests replace the Qt dialog with a chooser of their own.

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace korvane::ui {

// "All files(*.*)|*.*" to Qt name filters. A "*.*" pattern becomes "*" so that
// files without a dot are listed as well.
QStringList QtNameFilters(const std::string& filter);

class CommonDialog {
 public:
  // Hides the read-only check box (which the Qt dialog does not have anyway).
  static constexpr int kHideReadOnly = 4;

  std::string FileName;
  std::string Filter;
  int Flags = 0;

  // Shows the file-open dialog. True with FileName set to the chosen full
  // path; false when the user cancelled (FileName unchanged).
  bool ShowOpen(QWidget* parent);

  // Stands in for the Qt dialog: gets the dialog's settings, returns the chosen
  // path or nullopt for a cancel.
  using Chooser = std::function<std::optional<std::string>(const CommonDialog&)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }

 private:
  Chooser chooser_;
};

}  // namespace korvane::ui
