#pragma once
// A type library's IDL in a read-only window: a find bar (Ctrl+F; Enter or F3
// finds the next match, Shift with them the previous one; the search wraps
// around and says when nothing matches) and Save As.

#include <QMainWindow>
#include <functional>
#include <optional>
#include <string>

#include "forms/TypeLibraryViewer.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace korvane::ui {

class IdlWindow : public QMainWindow {
  Q_OBJECT
 public:
  IdlWindow(forms::IdlDocument document, QWidget* parent);

  QPlainTextEdit* Text() const { return text_; }
  QLineEdit* FindField() const { return findField_; }
  QLabel* FindStatus() const { return findStatus_; }
  QWidget* FindBar() const { return findBar_; }
  QAction* SaveAsAction() const { return saveAs_; }

  // Finds the find field's text after (or before) the selection; false when
  // it is nowhere in the text.
  bool FindNext(bool backwards);
  // Asks for a file and writes the text to it; false when cancelled or failed.
  bool SaveAs();

  // Stands in for the save dialog: gets the suggested name, returns the
  // chosen path or nothing for a cancel.
  using SaveChooser = std::function<std::optional<std::string>(const std::string& suggested)>;
  void SetSaveChooser(SaveChooser chooser) { chooser_ = std::move(chooser); }

 private:
  void OpenFindBar();
  std::optional<std::string> ChooseSaveFile();

  forms::IdlDocument document_;
  QPlainTextEdit* text_ = nullptr;
  QWidget* findBar_ = nullptr;
  QLineEdit* findField_ = nullptr;
  QLabel* findStatus_ = nullptr;
  QAction* saveAs_ = nullptr;
  SaveChooser chooser_;
};

}  // namespace korvane::ui
