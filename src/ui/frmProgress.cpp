#include "ui/frmProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QWindow>
#include <algorithm>

#include "forms/CommandGeometry.h"
#include "forms/ProgressLayout.h"
#include "ui/Fonts.h"
#include "ui/WindowArt.h"

namespace korvane::ui {

namespace {

// How long Show waits for the window system to put the window on screen.
constexpr qint64 kExposeWaitMs = 2000;
constexpr unsigned long kExposePollMs = 1;

QLabel* MakeLabel(QWidget* parent, const forms::ProgressLabel& designed, const QRect& where) {
  auto* label = new QLabel(QString::fromUtf8(designed.text), parent);
  label->setObjectName(designed.name);
  label->setGeometry(where);
  return label;
}

// A caption a little wider in the font in use than its box (the stand-in for
// MS Sans Serif is) takes room to its right, up to the pixel column right.
void WidenToCaption(QLabel* label, int right) {
  const int needed = label->fontMetrics().horizontalAdvance(label->text());
  if (needed > label->width()) label->resize(std::min(needed, right - label->x()), label->height());
}

}  // namespace

frmProgress::frmProgress(bool& bCancelReport, QWidget* parent)
    : QWidget(parent, Qt::Window), form_(*this, bCancelReport) {
  setObjectName("frmProgress");
  setWindowTitle(forms::kProgressCaption);
  // The captions are laid out for the dialog font: with a larger one they are cut.
  setFont(ButtonFont());
  // Lengths are kept in twips and follow the display's resolution, as the fonts do.
  const int dpi = logicalDpiY();
  auto Twips = [dpi](const forms::TwipRect& r) {
    return QRect(TwipsToPixelsAt(r.left, dpi), TwipsToPixelsAt(r.top, dpi), TwipsToPixelsAt(r.width, dpi),
                 TwipsToPixelsAt(r.height, dpi));
  };
  setFixedSize(TwipsToPixelsAt(forms::kProgressWidth, dpi), TwipsToPixelsAt(forms::kProgressHeight, dpi));

  Picture1_ = MakeLabel(this, {"Picture1", "", forms::kProgressPicture}, Twips(forms::kProgressPicture));
  Picture1_->setPixmap(TabIconPixmap(1));
  Picture1_->setScaledContents(true);  // fills its box at any resolution
  Label2_ = MakeLabel(this, forms::kProgressLabel2, Twips(forms::kProgressLabel2.place));
  Label1_ = MakeLabel(this, forms::kProgressLabel1, Twips(forms::kProgressLabel1.place));
  Label3_ = MakeLabel(this, forms::kProgressLabel3, Twips(forms::kProgressLabel3.place));
  lblFile_ = MakeLabel(this, forms::kProgressFile, Twips(forms::kProgressFile.place));
  const int margin = TwipsToPixelsAt(120, dpi);
  WidenToCaption(Label2_, width() - margin);
  WidenToCaption(Label1_, width() - margin);
  // "Current file:" may push the file name to the right, leaving a gap.
  WidenToCaption(Label3_, lblFile_->geometry().right());
  const int fileLeft = Label3_->geometry().right() + 1 + TwipsToPixelsAt(30, dpi);
  if (fileLeft > lblFile_->x()) {
    lblFile_->setGeometry(QRect(QPoint(fileLeft, lblFile_->y()), lblFile_->geometry().bottomRight()));
  }

  // The band across the bottom holding the bar and the button.
  Picture2_ = new QWidget(this);
  Picture2_->setObjectName("Picture2");
  Picture2_->setGeometry(Twips(forms::kProgressBand));
  Picture2_->setAutoFillBackground(true);
  ProgressBar1_ = new QProgressBar(Picture2_);
  ProgressBar1_->setObjectName("ProgressBar1");
  ProgressBar1_->setGeometry(Twips(forms::kProgressBar));
  ProgressBar1_->setTextVisible(false);
  cmdCancel_ = new QPushButton(forms::kProgressCancelText, Picture2_);
  cmdCancel_->setObjectName("cmdCancel");
  cmdCancel_->setGeometry(Twips(forms::kProgressCancel));
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { form_.CancelClick(); });
  form_.Load();
}

void frmProgress::closeEvent(QCloseEvent* event) { event->setAccepted(form_.MayClose()); }

void frmProgress::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Esc asks to close as well.
    event->accept();
    if (form_.MayClose()) close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void frmProgress::ShowWindow() {
  show();
  // The window system exposes a new window some time after it is shown, and
  // only then is it painted. Wait for that here, handling window messages:
  // the caller collects files next without handling any, and a window that
  // is not on screen by then stays blank until the first file.
  QElapsedTimer waited;
  waited.start();
  while (!(windowHandle() != nullptr && windowHandle()->isExposed()) &&
         waited.elapsed() < kExposeWaitMs) {
    QCoreApplication::processEvents();
    QThread::msleep(kExposePollMs);
  }
  repaint();
  // Hands the painted picture over to the window system.
  QCoreApplication::processEvents();
}

ReportOutcome CreateReportWithProgress(const std::string& sFolder, bool& bCancelReport) {
  frmProgress window(bCancelReport);
  return CreateReport(sFolder, &window.Form(), &bCancelReport);
}

}  // namespace korvane::ui
