#pragma once
// The info grid's context menu: "Show type library..." for the file the grid
// shows, enabled when that file holds a type library. The behaviour is the
// form's (forms::TypeLibraryViewer); this is the Qt side: the menu, the
// choice among several libraries, the IDL windows.

#include <QObject>
#include <QPoint>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/TypeLibraryViewer.h"

class QAbstractScrollArea;

namespace korvane::ui {

class IdlWindow;

class TypeLibraryMenu : public QObject, private forms::TypeLibraryViewerView {
  Q_OBJECT
 public:
  // inspectedFile gives the file the grid shows at the time of the click.
  TypeLibraryMenu(QAbstractScrollArea* grid, std::function<std::string()> inspectedFile, forms::IdlSource source,
                  QWidget* windowParent);

  // The source of the IDL text (tests give their own).
  void SetIdlSource(forms::IdlSource source);

 signals:
  // An IDL window has just opened.
  void WindowOpened(korvane::ui::IdlWindow* window);

 private:
  forms::TypeLibraryViewerView& View() { return *this; }
  void Popup(const QPoint& pos);
  std::optional<std::size_t> ChooseTypeLibrary(const std::vector<std::string>& captions) override;
  void ShowIdl(const forms::IdlDocument& document) override;

  QAbstractScrollArea* grid_;
  std::function<std::string()> inspectedFile_;
  QWidget* windowParent_;
  std::unique_ptr<forms::TypeLibraryViewer> viewer_;
};

}  // namespace korvane::ui
