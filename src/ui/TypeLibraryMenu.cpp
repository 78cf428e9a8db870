#include "ui/TypeLibraryMenu.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>

#include "ui/IdlWindow.h"

namespace korvane::ui {

namespace {

// The hourglass while a large library is read and laid out (about a second
// for the largest ones).
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

forms::IdlSource Waiting(forms::IdlSource source) {
  if (!source) return source;
  return [source = std::move(source)](const std::string& path) {
    WaitCursor wait;
    return source(path);
  };
}

}  // namespace

TypeLibraryMenu::TypeLibraryMenu(QAbstractScrollArea* grid, std::function<std::string()> inspectedFile,
                                 forms::IdlSource source, QWidget* windowParent)
    : QObject(grid),
      grid_(grid),
      inspectedFile_(std::move(inspectedFile)),
      windowParent_(windowParent),
      viewer_(std::make_unique<forms::TypeLibraryViewer>(View(), Waiting(std::move(source)))) {
  setObjectName(QStringLiteral("typeLibraryMenu"));
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, &TypeLibraryMenu::Popup);
}

void TypeLibraryMenu::SetIdlSource(forms::IdlSource source) {
  viewer_ = std::make_unique<forms::TypeLibraryViewer>(View(), Waiting(std::move(source)));
}

void TypeLibraryMenu::Popup(const QPoint& pos) {
  const std::string file = inspectedFile_();
  const forms::MenuItemState state = viewer_->MenuItem(file);
  QMenu menu(grid_);
  menu.setObjectName(QStringLiteral("gridinfoMenu"));
  QAction* show = menu.addAction(QString::fromStdString(state.caption));
  show->setObjectName(QStringLiteral("mnuShowTypeLibrary"));
  show->setEnabled(state.enabled);
  // Runs after the menu has closed, so that the choice and the window are
  // not opened from inside the menu's own event loop.
  if (menu.exec(grid_->viewport()->mapToGlobal(pos)) == show) viewer_->Show(file);
}

std::optional<std::size_t> TypeLibraryMenu::ChooseTypeLibrary(const std::vector<std::string>& captions) {
  QStringList items;
  for (const std::string& caption : captions) items << QString::fromStdString(caption);
  QInputDialog dialog(windowParent_);
  dialog.setObjectName(QStringLiteral("dlgChooseTypeLibrary"));
  dialog.setWindowTitle(QString::fromUtf8(forms::kShowTypeLibraryItem).remove(QStringLiteral("...")));
  dialog.setLabelText(tr("The file holds several type libraries. Show:"));
  dialog.setComboBoxItems(items);
  dialog.setComboBoxEditable(false);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const qsizetype index = items.indexOf(dialog.textValue());
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void TypeLibraryMenu::ShowIdl(const forms::IdlDocument& document) {
  IdlWindow* window = nullptr;
  {
    WaitCursor wait;
    window = new IdlWindow(document, windowParent_);
    window->show();
  }
  emit WindowOpened(window);
}

}  // namespace korvane::ui
