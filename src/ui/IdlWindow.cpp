#include "ui/IdlWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/CommonDialog.h"

namespace korvane::ui {

namespace {

constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 560;

}  // namespace

IdlWindow::IdlWindow(forms::IdlDocument document, QWidget* parent)
    : QMainWindow(parent, Qt::Window), document_(std::move(document)) {
  setObjectName(QStringLiteral("IdlWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromStdString(document_.title));
  resize(kInitialWidth, kInitialHeight);

  text_ = new QPlainTextEdit;
  text_->setObjectName(QStringLiteral("txtIdl"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Keeps the selection visible while the find field has the focus.
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setPlainText(QString::fromStdString(document_.text));

  findBar_ = new QWidget;
  findBar_->setObjectName(QStringLiteral("findBar"));
  findField_ = new QLineEdit;
  findField_->setObjectName(QStringLiteral("txtFind"));
  auto* next = new QPushButton(tr("Next"));
  auto* previous = new QPushButton(tr("Previous"));
  auto* close = new QToolButton;
  close->setText(QStringLiteral("x"));
  findStatus_ = new QLabel;
  findStatus_->setObjectName(QStringLiteral("lblFindStatus"));
  auto* bar = new QHBoxLayout(findBar_);
  bar->setContentsMargins(4, 2, 4, 2);
  bar->addWidget(new QLabel(tr("Find:")));
  bar->addWidget(findField_, 1);
  bar->addWidget(next);
  bar->addWidget(previous);
  bar->addWidget(findStatus_);
  bar->addWidget(close);
  findBar_->hide();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(text_, 1);
  layout->addWidget(findBar_);
  setCentralWidget(central);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  saveAs_ = file->addAction(tr("Save &As..."), this, [this] { SaveAs(); });
  saveAs_->setShortcut(QKeySequence::SaveAs);
  file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(tr("&Find..."), QKeySequence::Find, this, [this] { OpenFindBar(); });
  edit->addAction(tr("Find &Next"), QKeySequence::FindNext, this, [this] { FindNext(false); });
  edit->addAction(tr("Find &Previous"), QKeySequence::FindPrevious, this, [this] { FindNext(true); });

  connect(findField_, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
  connect(next, &QPushButton::clicked, this, [this] { FindNext(false); });
  connect(previous, &QPushButton::clicked, this, [this] { FindNext(true); });
  connect(close, &QToolButton::clicked, findBar_, &QWidget::hide);
  auto* backwards = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), findField_);
  backwards->setContext(Qt::WidgetShortcut);
  connect(backwards, &QShortcut::activated, this, [this] { FindNext(true); });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), findBar_);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    findBar_->hide();
    text_->setFocus();
  });
}

void IdlWindow::OpenFindBar() {
  findBar_->show();
  // A selection of one line is what the user most likely looks for.
  const QString selected = text_->textCursor().selectedText();
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) findField_->setText(selected);
  findField_->selectAll();
  findField_->setFocus();
}

bool IdlWindow::FindNext(bool backwards) {
  const QString needle = findField_->text();
  if (needle.isEmpty()) {
    OpenFindBar();
    return false;
  }
  const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  findStatus_->clear();
  if (text_->find(needle, flags)) return true;
  // Wraps around: once more from the other end, keeping the selection when
  // nothing matches there either.
  const QTextCursor before = text_->textCursor();
  QTextCursor from(text_->document());
  from.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
  text_->setTextCursor(from);
  if (text_->find(needle, flags)) {
    findStatus_->setText(backwards ? tr("Continued from the end") : tr("Continued from the top"));
    return true;
  }
  text_->setTextCursor(before);
  findStatus_->setText(tr("Not found"));
  return false;
}

std::optional<std::string> IdlWindow::ChooseSaveFile() {
  if (chooser_) return chooser_(document_.suggestedFile);
  QFileDialog dialog(this, tr("Save As"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(QtNameFilters(forms::kIdlFileFilter));
  dialog.setDefaultSuffix(QStringLiteral("idl"));
  dialog.selectFile(QString::fromStdString(document_.suggestedFile));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

bool IdlWindow::SaveAs() {
  const std::optional<std::string> path = ChooseSaveFile();
  return path && forms::SaveIdl(document_, *path);
}

}  // namespace korvane::ui
