// The progress window as a widget: its layout and fonts, painted before the
// files are collected, the refused close, and a real click on Cancel during a
// report. The window's behaviour is tested through its form (tests/forms).

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <QWindow>
#include <map>
#include <memory>
#include <thread>

#include "common/UnattendedPort.h"
#include "common/UserPort.h"
#include "report/CreateReport.h"
#include "support/TempDir.h"
#include "ui/QtUserPort.h"
#include "ui/frmProgress.h"

using korvane::ui::frmProgress;

namespace {

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FILE* f = std::fopen(path.c_str(), "wb");
  QVERIFY(f != nullptr);
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

// Counts the paint events of the widgets it watches.
class PaintCounter final : public QObject {
 public:
  void Watch(QWidget* widget) {
    widget->installEventFilter(this);
    paints[widget] = 0;
  }
  bool AllPainted() const {
    for (const auto& [widget, count] : paints) {
      if (count == 0) return false;
    }
    return !paints.empty();
  }
  std::map<QObject*, int> paints;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints[watched];
    return false;
  }
};

// The window as the report drives it, noting how it looks on screen when the
// report has just collected its files (SetMax comes right after).
class ScreenAtCollection final : public korvane::ReportProgress {
 public:
  ScreenAtCollection(frmProgress& window, const PaintCounter& painted)
      : window_(window), painted_(painted) {}
  void Show() override { window_.Form().Show(); }
  void SetMax(int max) override {
    exposed = window_.windowHandle() != nullptr && window_.windowHandle()->isExposed();
    allPainted = painted_.AllPainted();
    window_.Form().SetMax(max);
  }
  void SetValue(int value) override { window_.Form().SetValue(value); }
  void SetCurrentFile(const std::string& name) override { window_.Form().SetCurrentFile(name); }
  void Hide() override { window_.Form().Hide(); }
  void Unload() override { window_.Form().Unload(); }
  bool exposed = false;
  bool allPainted = false;

 private:
  frmProgress& window_;
  const PaintCounter& painted_;
};

// The window as the report drives it; when the report reaches file number
// clickAt, a click on Cancel is posted, to be delivered by the next pass of
// window messages, and the Qt port's pacing interval is waited out so that
// the next pass really happens.
class ClickCancelAt final : public korvane::ReportProgress {
 public:
  ClickCancelAt(frmProgress& window, int clickAt) : window_(window), clickAt_(clickAt) {}
  void Show() override { window_.Form().Show(); }
  void SetMax(int max) override { window_.Form().SetMax(max); }
  void SetValue(int value) override {
    window_.Form().SetValue(value);
    if (value != clickAt_) return;
    QTimer::singleShot(0, &window_, [this] { QTest::mouseClick(window_.cmdCancel(), Qt::LeftButton); });
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * korvane::ui::QtUserPort::kMinIntervalMs));
  }
  void SetCurrentFile(const std::string& name) override { window_.Form().SetCurrentFile(name); }
  void Hide() override { window_.Form().Hide(); }
  void Unload() override { window_.Form().Unload(); }

 private:
  frmProgress& window_;
  int clickAt_;
};

}  // namespace

class TestFrmProgress : public QObject {
  Q_OBJECT

 private:
  // A small tree: two components with version resources, one without, text.
  void MakeTree(const korvane::test::TempDir& dir) {
    const std::string pe = KORVANE_WINE_PE_DIR;
    const std::string tree = dir.path().string() + "/tree/";
    std::filesystem::create_directories(tree + "sub");
    std::filesystem::copy_file(pe + "/lz32.dll", tree + "a.DLL");
    std::filesystem::copy_file(pe + "/lz32.dll", tree + "sub/b.ocx");
    std::filesystem::copy_file(pe + "/icmp.dll", tree + "sub/c.exe");
    WriteFile(tree + "d.txt", "text");
    WriteFile(tree + "x.dll.bak", "backup");
  }

  korvane::ReportOptions Options(const korvane::test::TempDir& dir, korvane::ReportProgress* window,
                                 const bool* cancel, int* opened) {
    korvane::ReportOptions o;
    o.outputFile = dir.path().string() + "/output.txt";
    o.progress = window;
    o.cancel = cancel;
    o.openReport = [opened](const std::string&) { ++*opened; };
    return o;
  }

 private slots:
  void layoutInPixelsOfTheTwipPositions() {
    bool cancel = false;
    frmProgress w(cancel);
    QCOMPARE(w.windowTitle(), QString("Creating ActiveX Report"));
    QCOMPARE(w.size(), QSize(341, 115));
    QCOMPARE(w.Label1()->text(), QString("Please wait..."));
    QCOMPARE(w.Label2()->text(), QString("Creating ActiveX Report"));
    QCOMPARE(w.Label3()->text(), QString("Current file:"));
    QCOMPARE(w.lblFile()->text(), QString());
    QCOMPARE(w.cmdCancel()->text(), QString("Cancel"));
    QCOMPARE(w.Picture1()->geometry(), QRect(8, 4, 47, 44));
    QCOMPARE(w.Picture1()->pixmap().size(), QSize(47, 44));
    QCOMPARE(w.Label2()->geometry(), QRect(68, 10, 114, 13));
    QCOMPARE(w.Label1()->geometry(), QRect(68, 30, 93, 15));
    QCOMPARE(w.Label3()->geometry(), QRect(8, 54, 53, 13));
    QCOMPARE(w.lblFile()->geometry(), QRect(68, 54, 261, 15));
    QCOMPARE(w.Picture2()->geometry(), QRect(0, 72, 341, 43));
    QCOMPARE(w.ProgressBar1()->parentWidget(), w.Picture2());
    QCOMPARE(w.ProgressBar1()->geometry(), QRect(10, 14, 213, 17));
    QCOMPARE(w.cmdCancel()->parentWidget(), w.Picture2());
    QCOMPARE(w.cmdCancel()->geometry(), QRect(264, 10, 69, 25));
  }

  // Each caption fits its label in the font the label is drawn with (run at
  // the standard resolution and at 150 %).
  void captionsFitTheirLabels() {
    bool cancel = false;
    frmProgress w(cancel);
    w.Form().Show();
    for (QLabel* label : {w.Label1(), w.Label2(), w.Label3()}) {
      const QFontMetrics metrics = label->fontMetrics();
      const QRect room = label->contentsRect();
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= room.width(), qPrintable(label->text()));
      QVERIFY2(metrics.height() <= room.height(), qPrintable(label->text()));
      QVERIFY2(w.rect().contains(label->geometry()), qPrintable(label->text()));
    }
    // Nor does a caption run into the file name beside it.
    QVERIFY(w.Label3()->geometry().right() < w.lblFile()->x());
    QVERIFY(w.rect().contains(w.lblFile()->geometry()));
    QCOMPARE(w.Label2()->font().family(), w.cmdCancel()->font().family());
    // Away from 96 dpi the font must scale: a bitmap font's glyphs would stay
    // small at positions that grow.
    const bool standard = qRound(w.logicalDpiY() * w.devicePixelRatioF()) == 96;
    const QString used = QFontInfo(w.Label2()->font()).family();
    QVERIFY2(standard || QFontDatabase::isSmoothlyScalable(used), qPrintable(used));
    const QFontMetrics button = w.cmdCancel()->fontMetrics();
    QVERIFY(button.horizontalAdvance(w.cmdCancel()->text()) < w.cmdCancel()->width());
  }

  // The report collects its files without handling window messages: the
  // window must be on screen and painted before that, with no help from the
  // port (the silent default port here handles nothing).
  void windowIsPaintedBeforeTheFilesAreCollected() {
    korvane::test::TempDir dir;
    MakeTree(dir);
    korvane::SetUserPort(nullptr);
    bool cancel = false;
    frmProgress w(cancel);
    PaintCounter painted;
    for (QWidget* widget : std::initializer_list<QWidget*>{&w, w.Label1(), w.Label2(), w.Label3(),
                                                           w.ProgressBar1(), w.cmdCancel()}) {
      painted.Watch(widget);
    }
    ScreenAtCollection progress(w, painted);
    int opened = 0;
    korvane::ReportOutcome r =
        korvane::CreateReport(dir.path().string() + "/tree", Options(dir, &progress, &cancel, &opened));
    QCOMPARE(int(r.end), int(korvane::ReportEnd::Finished));
    QVERIFY(progress.exposed);
    QVERIFY(progress.allPainted);
  }

  void everyCloseRequestIsRefused() {
    bool cancel = false;
    frmProgress w(cancel);
    w.Form().Show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    w.Form().Unload();
    QVERIFY(w.isVisible());
    QVERIFY(!cancel);  // refusing to close is not a cancel request
    w.Form().Hide();
    QVERIFY(!w.isVisible());
  }

  // Unattended mode replaces the message boxes only: the program's port still
  // processes window messages, so Cancel stops the report.
  void cancelIsHonouredInUnattendedMode() {
    korvane::test::TempDir dir;
    MakeTree(dir);
    korvane::test::ScopedEnv unattended("KORVANE_UNATTENDED", "1");
    korvane::ui::QtUserPort windows;
    std::unique_ptr<korvane::UserPort> port = korvane::UnattendedPortFromEnvironment(windows);
    QVERIFY(port != nullptr);
    korvane::SetUserPort(port.get());
    bool cancel = false;
    frmProgress w(cancel);
    ClickCancelAt progress(w, 2);
    int opened = 0;
    korvane::ReportOutcome r =
        korvane::CreateReport(dir.path().string() + "/tree", Options(dir, &progress, &cancel, &opened));
    korvane::SetUserPort(nullptr);
    QVERIFY(cancel);
    QCOMPARE(int(r.end), int(korvane::ReportEnd::Cancelled));
    QCOMPARE(w.ProgressBar1()->value(), 2);
    QCOMPARE(opened, 0);
  }

};

QTEST_MAIN(TestFrmProgress)
#include "tst_frmprogress.moc"
