#include "helpers/MainWindowFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace korvane::test {

MainWindowFixture::MainWindowFixture() {
  registryStore_ = std::make_unique<ScopedEnv>("KORVANE_REGISTRY", dir_.File("registry.db"));
  userFolders_ = std::make_unique<ScopedUserFolders>(dir_.path().string());
  inspector_ = std::make_unique<clsActiveX>();
  window_ = std::make_unique<ui::frmMain>();
  gridInfo_.Init(&window_->GridInfoModel());
  gridComparison_.Init(&window_->GridComparisonModel());
  inspector_->Init(&gridInfo_, &gridComparison_);
  window_->SetSharedObjects(&registrator_, inspector_.get());
  window_->SetAppPath(appPath());
  window_->comDlg().SetChooser([this](const ui::CommonDialog& dialog) -> std::optional<std::string> {
    ++dialogsShown_;
    // The dialog is always set up the same way before it shows.
    if (dialog.Filter != "All files(*.*)|*.*" || dialog.Flags != 4 || !dialog.FileName.empty()) {
      return std::nullopt;
    }
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
  window_->Form_Load();
}

MainWindowFixture::~MainWindowFixture() {
  window_.reset();
  inspector_.reset();
}

std::string MainWindowFixture::appPath() const { return dir_.path().string() + "/"; }

void MainWindowFixture::AnswerDialog(std::optional<std::string> path) {
  answers_.push_back(std::move(path));
}

namespace {
QObject& Answerers() {
  static QObject* holder = new QObject(qApp);
  return *holder;
}
}  // namespace

void StopAnswering() {
  for (QTimer* timer : Answerers().findChildren<QTimer*>()) {
    timer->stop();
    timer->deleteLater();
  }
}

void AnswerNextModal(const std::function<void(QWidget*)>& check, int timeoutMs) {
  auto answered = std::make_shared<bool>(false);
  auto timer = new QTimer(&Answerers());
  QElapsedTimer clock;
  clock.start();
  QObject::connect(timer, &QTimer::timeout, [timer, answered, check, clock, timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr) {
      *answered = true;
      check(modal);
      modal->close();
    }
    if (*answered || clock.elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

QStringList ColumnTexts(const FlexGrid& grid, int col) {
  QStringList texts;
  for (int row = 0; row < grid.Rows(); ++row) texts << QString::fromStdString(grid.Cell(row, col).text);
  return texts;
}

}  // namespace korvane::test
