// The folder report on real trees with real PE files: its exact bytes, the
// progress it shows, cancelling, and failures to write.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "TreeHelpers.h"
#include "common/UserPort.h"
#include "inspection/clsFileInfo.h"
#include "report/CreateReport.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

const std::string kPeDir = KORVANE_WINE_PE_DIR;

// The record as a reader of the report expects it, line by line.
std::string ExpectedRecord(const std::string& path) {
  clsFileInfo v;
  v.SelectFile(path);
  const char* nl = "\r\n";
  std::string r;
  r += "File: " + path + nl + nl;
  r += "Company Name: " + v.CompanyName + nl;
  r += "File Description: " + v.FileDescription + nl;
  r += "Internal Name: " + v.InternalName + nl;
  r += "Legal Copyright: " + v.LegalCopyright + nl;
  r += "Legal Trademarks: " + v.LegalTrademarks + nl;
  r += "Original Filename: " + v.OriginalFileName + nl;
  r += "Product Name: " + v.ProductName + nl;
  r += "Product Version: " + v.ProductVersion + nl;
  r += "Comments: " + v.Comments + nl + nl;
  r += std::string("Extended File Info ") + nl + nl;
  r += "Type: " + v.FileTypeEx + nl;
  r += "SubType: " + v.FileSubTypeEx + nl;
  r += "Version: " + v.FileVerEx + nl;
  r += "Product Version: " + v.ProdVerEx + nl;
  r += "OS: " + v.FileOSEx + nl;
  r += "Structure Version: " + v.StrucVerEx + nl;
  r += "Flags: " + v.FileFlagsEx + nl + nl + nl + nl;
  return r;
}

bool IsComponent(const std::string& path) {
  std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == ".DLL" || tail == ".OCX" || tail == ".EXE";
}

// Progress calls, in order, as text.
class RecordingProgress : public ReportProgress {
 public:
  void Show() override { calls.push_back("show"); }
  void SetMax(int max) override { calls.push_back("max " + std::to_string(max)); }
  void SetValue(int value) override { calls.push_back("value " + std::to_string(value)); }
  void SetCurrentFile(const std::string& name) override { calls.push_back("file " + name); }
  void Hide() override { calls.push_back("hide"); }
  void Unload() override { calls.push_back("unload"); }
  std::vector<std::string> calls;
};

// A user port that requests cancelling at its n-th DoEvents, after running
// beforeCancel there.
class CancellingPort : public UserPort {
 public:
  CancellingPort(bool& flag, int at, std::function<void()> beforeCancel = {})
      : flag_(flag), at_(at), beforeCancel_(std::move(beforeCancel)) {
    SetUserPort(this);
  }
  ~CancellingPort() override { SetUserPort(nullptr); }
  int MsgBox(const std::string&, int flags, const std::string&) override {
    ++boxes;
    return DefaultAnswer(flags);
  }
  void DoEvents() override {
    if (++calls_ != at_) return;
    if (beforeCancel_) beforeCancel_();
    flag_ = true;
  }
  int boxes = 0;

 private:
  bool& flag_;
  int at_;
  std::function<void()> beforeCancel_;
  int calls_ = 0;
};

class Report : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string tree = dir.path().string() + "/tree/";
  std::string output = dir.path().string() + "/report.txt";
  std::vector<std::string> opened;

  ReportOptions Options(ReportProgress* progress = nullptr, const bool* cancel = nullptr) {
    ReportOptions o;
    o.outputFile = output;
    o.progress = progress;
    o.cancel = cancel;
    o.openReport = [this](const std::string& doc) { opened.push_back(doc); };
    return o;
  }

  void Copy(const std::string& peName, const std::string& to) {
    std::filesystem::copy_file(kPeDir + "/" + peName, tree + to);
  }

  // Components with and without a version resource, and files that are none.
  void MakeComponentTree() {
    test::MakeFolder(tree + "sub/deeper");
    test::MakeFolder(tree + "leer");
    Copy("lz32.dll", "lz32.dll");
    Copy("icmp.dll", "icmp.dll");       // a PE file without a version resource
    Copy("lz32.dll", "sub/X.Dll");
    Copy("lz32.dll", "x.dll.bak");       // not reported
    Copy("lz32.dll", "sub/deeper/Mit Leerzeichen ä.EXE");
    test::MakeFile(tree + "text.ocx", "not a PE file");
    test::MakeFile(tree + "notes.txt", "plain text");
    test::MakeFile(tree + "sub/.hidden.dll", "hidden, still reported");
  }

  // The records of a report written without interruption, one by one (each
  // is 24 lines).
  std::vector<std::string> WholeRunRecords() {
    ReportOptions o;
    o.outputFile = dir.path().string() + "/whole.txt";
    CreateReport(tree, o);
    const std::string text = test::ReadFile(o.outputFile);
    std::vector<std::string> records;
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
      if (++lines % 24 == 0) {
        records.push_back(text.substr(start, at + 2 - start));
        start = at + 2;
      }
    }
    return records;
  }

  std::string ExpectedReport() {
    std::string all;
    for (const auto& p : test::ReaddirOrder(tree, true)) {
      if (IsComponent(p)) all += ExpectedRecord(p);
    }
    return all;
  }
};

// The one test of the record's bytes; the other tests compare with a report
// written by CreateReport itself.
TEST_F(Report, ExactBytesForComponentsWithAndWithoutVersions) {
  MakeComponentTree();
  ReportOutcome r = CreateReport(tree, Options());
  EXPECT_EQ(r.end, ReportEnd::Finished);
  EXPECT_EQ(r.files, 8);
  EXPECT_EQ(r.records, 6);
  const std::string text = test::ReadFile(output);
  EXPECT_EQ(text, ExpectedReport());
  EXPECT_EQ(text.find("x.dll.bak"), std::string::npos);
  EXPECT_EQ(opened, std::vector<std::string>{output});

  // Known values of a real file, and the empty record of a file without any.
  EXPECT_NE(text.find("File: " + tree + "lz32.dll\r\n\r\nCompany Name: Microsoft Corporation\r\n"
                      "File Description: Wine lz32\r\n"),
            std::string::npos);
  const std::string empty = "File: " + tree + "text.ocx\r\n\r\n"
      "Company Name: \r\nFile Description: \r\nInternal Name: \r\nLegal Copyright: \r\n"
      "Legal Trademarks: \r\nOriginal Filename: \r\nProduct Name: \r\nProduct Version: \r\n"
      "Comments: \r\n\r\nExtended File Info \r\n\r\nType: \r\nSubType: \r\nVersion: \r\n"
      "Product Version: \r\nOS: \r\nStructure Version: \r\nFlags: \r\n\r\n\r\n\r\n";
  EXPECT_NE(text.find(empty), std::string::npos);

  // The same bytes for the folder without its trailing separator...
  CreateReport(tree.substr(0, tree.size() - 1), Options());
  EXPECT_EQ(test::ReadFile(output), text);
  // ...and in output.txt of the current directory by default.
  test::TempDir work;
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(work.path());
  r = CreateReport(tree, ReportOptions{});  // output.txt, not opened
  std::filesystem::current_path(before);
  EXPECT_EQ(r.end, ReportEnd::Finished);
  EXPECT_EQ(test::ReadFile(work.File("output.txt")), text);
}

TEST_F(Report, ProgressFollowsEveryCollectedFile) {
  test::MakeFolder(tree);
  Copy("lz32.dll", "a.DLL");
  test::MakeFile(tree + "b.ocx", "x");
  test::MakeFile(tree + "c.txt", "x");
  RecordingProgress progress;
  test::RecordingUserPort port;
  CreateReport(tree, Options(&progress));

  std::vector<std::string> expected = {"show", "max 3"};
  int i = 0;
  for (const auto& p : test::ReaddirOrder(tree, false)) {
    expected.push_back("value " + std::to_string(++i));
    expected.push_back("file " + p.substr(tree.size()));
  }
  expected.push_back("hide");
  expected.push_back("unload");
  EXPECT_EQ(progress.calls, expected);
  EXPECT_EQ(port.doEventsCalls, 1 + 2 * 3);  // once before collecting, twice per file
  EXPECT_TRUE(port.boxes.empty());
}

TEST_F(Report, FolderWithoutComponentsGivesAnEmptyReportThatIsOpened) {
  test::MakeFolder(tree + "sub");
  test::MakeFile(tree + "sub/readme.txt");
  test::MakeFile(output, "an earlier report");
  ReportOutcome r = CreateReport(tree, Options());
  EXPECT_EQ(r.end, ReportEnd::Finished);
  EXPECT_TRUE(std::filesystem::exists(output));
  EXPECT_EQ(test::ReadFile(output), "");
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(Report, CancelKeepsTheRecordsWrittenSoFar) {
  MakeComponentTree();
  const std::vector<std::string> order = test::ReaddirOrder(tree, true);
  const std::vector<std::string> records = WholeRunRecords();
  // Cancel is requested during the fourth file: its record is still written.
  std::string kept;
  std::size_t next = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (IsComponent(order[i])) kept += records.at(next++);
  }
  bool cancel = false;
  CancellingPort port(cancel, 1 + 2 * 3 + 1);
  RecordingProgress progress;
  ReportOutcome r = CreateReport(tree, Options(&progress, &cancel));
  EXPECT_EQ(r.end, ReportEnd::Cancelled);
  EXPECT_EQ(test::ReadFile(output), kept);
  EXPECT_TRUE(opened.empty());
  ASSERT_GE(progress.calls.size(), 2u);
  EXPECT_EQ(progress.calls[progress.calls.size() - 2], "hide");
  EXPECT_EQ(progress.calls.back(), "unload");
  EXPECT_EQ(progress.calls[progress.calls.size() - 3],
            "file " + order[3].substr(order[3].rfind('/') + 1));
  EXPECT_EQ(port.boxes, 0);
}

// Readers finish out of order when some reads are slow; the records still
// come in collection order, the same bytes for any number of readers.
TEST_F(Report, SameBytesWithAnyNumberOfReadersWhenReadsAreSlow) {
  MakeComponentTree();
  for (const char* folder : {"a", "a/b", "c"}) {
    test::MakeFolder(tree + folder);
    for (int i = 0; i < 5; ++i) {
      Copy(i % 2 == 0 ? "lz32.dll" : "icmp.dll", std::string(folder) + "/m" + std::to_string(i) + ".ocx");
    }
  }
  const std::string expected = ExpectedReport();
  const std::vector<std::string> order = test::ReaddirOrder(tree, true);
  const auto components = std::count_if(order.begin(), order.end(), IsComponent);
  for (int jobs : {1, 2, 16}) {
    ReportOptions o = Options();
    o.jobs = jobs;
    int seen = 0;
    std::mutex m;
    // Every third component read is slow, the first one slowest.
    o.beforeRead = [&](const std::string&) {
      int n = 0;
      {
        std::lock_guard lock(m);
        n = seen++;
      }
      if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(60));
      if (n % 3 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(15));
    };
    ReportOutcome r = CreateReport(tree, o);
    EXPECT_EQ(r.end, ReportEnd::Finished) << jobs;
    EXPECT_EQ(r.componentsRead, components) << jobs;
    EXPECT_EQ(test::ReadFile(output), expected) << jobs << " readers";
  }
}

// The window as the report drives it; Hide tells readers held up in a read
// that the report has honoured Cancel.
class HidingProgress : public ReportProgress {
 public:
  void Show() override {}
  void SetMax(int) override {}
  void SetValue(int) override {}
  void SetCurrentFile(const std::string&) override {}
  void Hide() override {
    std::lock_guard lock(mutex);
    hidden = true;
    changed.notify_all();
  }
  void Unload() override {}
  std::mutex mutex;
  std::condition_variable changed;
  bool hidden = false;
};

TEST_F(Report, CancelStopsTheReadersAtOnce) {
  test::MakeFolder(tree);
  for (int i = 0; i < 12; ++i) Copy("lz32.dll", "c" + std::to_string(i) + ".dll");
  std::map<std::string, int> position;
  for (const auto& p : test::ReaddirOrder(tree, false)) position.emplace(p, static_cast<int>(position.size()));
  const std::vector<std::string> records = WholeRunRecords();
  constexpr int kCancelAfter = 3;  // records

  // The first read waits for the disk, so the readers start. Reads of the
  // components after the last record wait until the report hides its
  // window; Cancel comes once both readers are held there.
  HidingProgress progress;
  bool timedOut = false;
  int held = 0;
  std::vector<std::string> startedAfterCancel;
  ReportOptions o = Options(&progress);
  o.jobs = 2;
  o.beforeRead = [&](const std::string& path) {
    if (position.at(path) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::unique_lock lock(progress.mutex);
    if (progress.hidden) {
      startedAfterCancel.push_back(path);
    } else if (position.at(path) >= kCancelAfter) {
      ++held;
      progress.changed.notify_all();
      timedOut = !progress.changed.wait_for(lock, std::chrono::seconds(5), [&] { return progress.hidden; });
    }
  };
  bool cancel = false;
  o.cancel = &cancel;
  bool bothHeld = false;
  CancellingPort port(cancel, 1 + 2 * kCancelAfter, [&] {
    std::unique_lock lock(progress.mutex);
    bothHeld = progress.changed.wait_for(lock, std::chrono::seconds(5), [&] { return held == 2; });
  });
  ReportOutcome r = CreateReport(tree, o);

  EXPECT_EQ(r.end, ReportEnd::Cancelled);
  EXPECT_EQ(r.records, kCancelAfter);
  EXPECT_EQ(test::ReadFile(output), records[0] + records[1] + records[2]);
  // The held readers were let go by Cancel, not by the time-out, and read
  // nothing then; no other read started.
  EXPECT_TRUE(bothHeld);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(r.componentsRead, kCancelAfter);
  std::lock_guard lock(progress.mutex);
  EXPECT_TRUE(startedAfterCancel.empty()) << startedAfterCancel.front();
}

TEST_F(Report, OutputThatCannotBeCreatedGivesTheErrorReport) {
  MakeComponentTree();
  test::RecordingUserPort port;
  RecordingProgress progress;
  ReportOptions o = Options(&progress);
  o.outputFile = dir.path().string() + "/no such folder/output.txt";
  ReportOutcome r = CreateReport(tree, o);
  EXPECT_EQ(r.end, ReportEnd::Failed);
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "CreateReport: error 76: Path not found");
  EXPECT_EQ(port.boxes[0].title, "Korvane");
  EXPECT_EQ(port.boxes[0].flags, kMbOkOnly);
  EXPECT_TRUE(progress.calls.empty());  // failed before the window was shown
  EXPECT_TRUE(opened.empty());

  o.outputFile = dir.path().string();  // a folder
  CreateReport(tree, o);
  ASSERT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(port.boxes[1].text, "CreateReport: error 75: Path/File access error");

  o.showError = false;
  r = CreateReport(tree, o);
  EXPECT_EQ(port.boxes.size(), 2u);
  EXPECT_EQ(r.errorNumber, 75);
}

// Splits a report into its lines, each of which must end in CR LF; a CR or
// LF anywhere else fails the test.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(ReportRecord, ControlCharactersAreWrittenVisibly) {
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"/t/x\r\nCompany Name: Forged.dll", "/t/x??Company Name: Forged.dll"},
      {"/t/cr\ronly.dll", "/t/cr?only.dll"},
      {"/t/tab\tbell\a.dll", "/t/tab\tbell?.dll"},              // a TAB splits no line
      {std::string("/t/nul\0x.dll", 12), "/t/nul?x.dll"},
      {"/t/del\x7f.dll", "/t/del?.dll"},
      {"/t/next line\u0085.dll", "/t/next line?.dll"},             // C1 NEL
      {"/t/line\u2028par\u2029.dll", "/t/line?par?.dll"},          // Unicode separators
      {"/t/Grüße \u00a0€.dll", "/t/Grüße \u00a0€.dll"},             // letters stay
      {"/t/raw\x85\xc2.dll", "/t/raw\x85\xc2.dll"},               // bytes that are not UTF-8 stay
  };
  for (const auto& c : cases) {
    clsFileInfo forged;
    forged.CompanyName = "Evil\r\n\r\nFile: /etc/passwd";
    forged.ProductVersion = "6.1\t(build\v7601)";
    const std::vector<std::string> lines = CrLfLines(BuildReportRecord(c.name, forged));
    ASSERT_EQ(lines.size(), 24u) << c.shown;
    EXPECT_EQ(lines[0], "File: " + c.shown);
    EXPECT_EQ(lines[2], "Company Name: Evil????File: /etc/passwd");
    EXPECT_EQ(lines[9], "Product Version: 6.1\t(build?7601)");
  }
}

// A tree anybody may write into: a FIFO and a link to it named like
// components, and a name that carries a line break.
TEST_F(Report, HostileTreeNeitherBlocksNorForgesRecords) {
  test::MakeFolder(tree);
  Copy("lz32.dll", "a.dll");
  ASSERT_EQ(::mkfifo((tree + "pipe.dll").c_str(), 0600), 0);  // nobody ever writes to it
  ASSERT_EQ(::symlink("pipe.dll", (tree + "link.ocx").c_str()), 0);
  test::MakeFile(tree + "x\r\nCompany Name: Forged.exe", "no PE file");
  const int records = test::RunBounded(std::chrono::seconds(10), [&] {
    ReportOutcome r = CreateReport(tree, Options());
    return r.end == ReportEnd::Finished ? r.records : 200;
  });
  ASSERT_EQ(records, 4);
  const std::string text = test::ReadFile(output);
  // A FIFO is a file without properties: its record has empty values.
  EXPECT_NE(text.find(BuildReportRecord(tree + "pipe.dll", clsFileInfo{})), std::string::npos);
  EXPECT_NE(text.find(BuildReportRecord(tree + "link.ocx", clsFileInfo{})), std::string::npos);
  const std::vector<std::string> lines = CrLfLines(text);
  ASSERT_EQ(lines.size(), 4u * 24u);
  std::vector<std::string> named;
  for (std::size_t i = 0; i < lines.size(); i += 24) named.push_back(lines[i]);
  EXPECT_NE(std::find(named.begin(), named.end(), "File: " + tree + "x??Company Name: Forged.exe"),
            named.end());
}

// Limits the size of files this process writes, for one scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit now = old_;
    now.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &now);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_{};
};

TEST_F(Report, FailedWriteKeepsEveryCompleteRecord) {
  MakeComponentTree();
  const std::vector<std::string> records = WholeRunRecords();
  ASSERT_GE(records.size(), 3u);
  // Room for two records and part of the third.
  const std::size_t room = records[0].size() + records[1].size() + records[2].size() / 2;
  test::RecordingUserPort port;
  RecordingProgress progress;
  ReportOutcome r;
  {
    FileSizeLimit limit(room);
    r = CreateReport(tree, Options(&progress));
  }
  EXPECT_EQ(r.end, ReportEnd::Failed);
  EXPECT_EQ(r.records, 2);
  EXPECT_EQ(test::ReadFile(output), records[0] + records[1]);
  ASSERT_EQ(port.boxes.size(), 1u);
  EXPECT_EQ(port.boxes[0].text, "CreateReport: error 61: Disk full");
  EXPECT_TRUE(opened.empty());
  // The window stays as it was: the caller ends the program.
  EXPECT_NE(progress.calls.back(), "unload");
}

}  // namespace
}  // namespace korvane
