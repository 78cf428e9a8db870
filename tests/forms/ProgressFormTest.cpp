// The report's progress window through its form, with a recording view: whole
// report runs, Cancel during a run, the empty folder, the refused close, and
// the pace at which progress reaches the screen.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/UserPort.h"
#include "forms/ProgressForm.h"
#include "report/CreateReport.h"
#include "report/colFiles_Tamo.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using forms::ProgressForm;

class RecordingProgressView final : public forms::ProgressView {
 public:
  void ShowWindow() override {
    ++shows;
    visible = true;
  }
  void HideWindow() override { visible = false; }
  void SetBarRange(int to) override { max = to; }
  void SetBarValue(int to) override { value = to; }
  void SetFileLabel(const std::string& text) override { label = text; }

  int shows = 0;
  bool visible = false;
  int max = -1;
  int value = -1;
  std::string label = "unset";
};

// Handles "window messages" by running a chosen action at the chosen call.
class ActingPort final : public UserPort {
 public:
  ActingPort() { SetUserPort(this); }
  ~ActingPort() override { SetUserPort(nullptr); }
  int MsgBox(const std::string& text, int flags, const std::string&) override {
    boxes.push_back(text);
    return DefaultAnswer(flags);
  }
  void DoEvents() override {
    if (++calls == actAt && act) act();
  }
  int calls = 0;
  int actAt = -1;
  std::function<void()> act;
  std::vector<std::string> boxes;
};

class ProgressFormTest : public ::testing::Test {
 protected:
  ProgressFormTest() {
    // Components without a version resource still get their records.
    dir.Write("tree/a.DLL", "MZ not really");
    dir.Write("tree/sub/b.ocx", "MZ");
    dir.Write("tree/sub/c.exe", "MZ");
    dir.Write("tree/d.txt", "text");
    dir.Write("tree/x.dll.bak", "backup");
    form.Load();
  }
  std::string Tree() const { return dir.File("tree"); }
  // The same report without a window, for its bytes.
  std::string PlainReport() {
    ReportOptions plain;
    plain.outputFile = dir.File("plain.txt");
    CreateReport(Tree(), plain);
    port.calls = 0;
    return test::ReadFile(plain.outputFile);
  }
  ReportOutcome Run(const std::string& folder) {
    ReportOptions o;
    o.outputFile = dir.File("output.txt");
    o.progress = &form;
    o.cancel = &cancel;
    o.openReport = [this](const std::string&) { ++opened; };
    return CreateReport(folder, o);
  }

  test::TempDir dir;
  RecordingProgressView view;
  bool cancel = false;
  ProgressForm form{view, cancel};
  ActingPort port;
  int opened = 0;
};

TEST_F(ProgressFormTest, WholeReportRunsThroughTheFormAndNoRequestClosesIt) {
  const std::string full = PlainReport();
  bool mayClose = true;
  // Halfway through, the window is asked to close: the report goes on.
  port.actAt = 4;
  port.act = [&] {
    mayClose = form.MayClose();
    form.Unload();
  };
  const ReportOutcome r = Run(Tree());
  EXPECT_EQ(r.end, ReportEnd::Finished);
  EXPECT_EQ(r.files, 5);
  EXPECT_EQ(r.records, 3);
  EXPECT_EQ(test::ReadFile(dir.File("output.txt")), full);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(mayClose);
  EXPECT_FALSE(cancel);  // refusing to close is no cancel request
  EXPECT_EQ(view.shows, 1);
  EXPECT_EQ(view.max, 5);
  EXPECT_EQ(view.value, 5);
  colFiles_Tamo files;
  files.LoadFiles(Tree() + "/*.*", true);
  EXPECT_EQ(view.label, files.Item(5)->sNameAndExtension());
  EXPECT_FALSE(view.visible);  // hidden at the end...
  EXPECT_TRUE(form.Loaded());  // ...and still loaded
  EXPECT_TRUE(port.boxes.empty());
}

TEST_F(ProgressFormTest, CancelDuringTheRunKeepsCompleteRecordsAndOpensNothing) {
  const std::string full = PlainReport();
  // Once when shown, then twice per file: while the second file is handled.
  port.actAt = 1 + 2 + 1;
  port.act = [&] { form.CancelClick(); };
  const ReportOutcome r = Run(Tree());
  EXPECT_EQ(r.end, ReportEnd::Cancelled);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(opened, 0);
  EXPECT_FALSE(view.visible);
  EXPECT_EQ(view.value, 2);
  const std::string partial = test::ReadFile(dir.File("output.txt"));
  EXPECT_EQ(full.rfind(partial, 0), 0u);  // a prefix of the whole report...
  // ...holding the records of the two files handled, whole.
  colFiles_Tamo files;
  files.LoadFiles(Tree() + "/*.*", true);
  std::size_t components = 0;
  for (int i = 1; i <= 2; ++i) {
    const std::string name = files.Item(i)->sNameAndExtension();
    if (name != "d.txt" && name != "x.dll.bak") ++components;
  }
  std::size_t records = 0;
  for (std::size_t at = 0; (at = partial.find("File: ", at)) != std::string::npos; ++at) ++records;
  EXPECT_EQ(records, components);
  EXPECT_TRUE(partial.empty() || partial.ends_with("Flags: \r\n\r\n\r\n\r\n"));
  EXPECT_LT(partial.size(), full.size());
}

TEST_F(ProgressFormTest, EmptyFolderLeavesTheBarEmptyAndOpensTheReport) {
  std::filesystem::create_directories(dir.File("empty"));
  const ReportOutcome r = Run(dir.File("empty"));
  EXPECT_EQ(r.end, ReportEnd::Finished);
  EXPECT_EQ(view.value, 0);
  EXPECT_EQ(view.max, 1);  // a range the bar can show
  EXPECT_EQ(opened, 1);
}

TEST_F(ProgressFormTest, ProgressReachesTheScreenOncePerFrameAndAlwaysAtTheEnd) {
  std::int64_t now = 1000;
  form.SetClock([&now] { return now; });
  form.Show();
  form.SetMax(10);
  EXPECT_EQ(view.value, 0);
  struct Step {
    std::int64_t at;
    int value;
    int shownValue;  // what the bar shows afterwards
  };
  const Step steps[] = {
      {1010, 1, 0},   // within the frame of the show
      {1039, 2, 0},
      {1040, 3, 3},   // a frame later
      {1041, 4, 3},
      {1042, 10, 10},  // the last file always shows
  };
  for (const Step& step : steps) {
    now = step.at;
    form.SetValue(step.value);
    form.SetCurrentFile("f" + std::to_string(step.value));
    EXPECT_EQ(view.value, step.shownValue) << step.at;
    EXPECT_EQ(view.label, step.shownValue == 0 ? "" : "f" + std::to_string(step.shownValue)) << step.at;
  }
  // Hiding shows what was set last, whatever the time.
  form.SetValue(9);
  form.SetCurrentFile("late");
  form.Hide();
  EXPECT_EQ(view.value, 9);
  EXPECT_EQ(view.label, "late");
}

}  // namespace
}  // namespace korvane
