// report FOLDER [--output FILE] [--jobs N]: the folder report, byte for byte
// the one the window writes, without opening it. On a terminal the progress is
// one line on standard error, redrawn at most ten times a second.

#include <chrono>
#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "report/CreateReport.h"

namespace korvane::cli {

namespace {

constexpr int kExitWriteFailed = 1;
// More parallel reads than this only queue up in the disk's own queue.
constexpr int kMaxJobs = 64;

// A whole decimal number 1..kMaxJobs; 0 when the text is anything else.
int ParseJobs(const std::string& text) {
  if (text.empty() || text.size() > 2) return 0;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= kMaxJobs ? n : 0;
}

class TerminalProgress final : public ReportProgress {
 public:
  void Show() override { Draw("collecting files...", true); }
  void SetMax(int max) override { max_ = max; }
  void SetValue(int value) override { value_ = value; }
  void SetCurrentFile(const std::string& name) override {
    Draw(std::to_string(value_) + "/" + std::to_string(max_) + " " + name, value_ == max_);
  }
  void Hide() override {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }
  void Unload() override {}

 private:
  void Draw(const std::string& text, bool force) {
    auto now = std::chrono::steady_clock::now();
    if (!force && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    drawn_ = true;
    // Kept to one terminal line so that the carriage return redraws it.
    std::string line = "report: " + text;
    if (line.size() > 79) line = line.substr(0, 76) + "...";
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
  }

  int max_ = 0;
  int value_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

int RunReport(CliArgs& args) {
  std::string folder;
  std::string output = "output.txt";
  bool haveFolder = false;
  int jobs = 0;  // automatic
  auto setJobs = [&](const std::string& text) {
    jobs = ParseJobs(text);
    return jobs != 0;
  };
  for (std::size_t i = 0; i < args.operands.size(); ++i) {
    const std::string& a = args.operands[i];
    if (a == "--jobs") {
      if (i + 1 >= args.operands.size() || !setJobs(args.operands[++i])) {
        return UsageError("--jobs needs a number from 1 to " + std::to_string(kMaxJobs));
      }
    } else if (a.rfind("--jobs=", 0) == 0) {
      if (!setJobs(a.substr(7))) {
        return UsageError("--jobs needs a number from 1 to " + std::to_string(kMaxJobs));
      }
    } else if (a == "--output") {
      if (i + 1 >= args.operands.size()) return UsageError("--output needs a file name");
      output = args.operands[++i];
    } else if (a.rfind("--output=", 0) == 0) {
      output = a.substr(9);
    } else if (!haveFolder) {
      folder = a;
      haveFolder = true;
    } else {
      return UsageError("report takes one FOLDER");
    }
  }
  if (!haveFolder || folder.empty()) return UsageError("report needs a FOLDER");
  if (output.empty()) return UsageError("--output needs a file name");
  if (platform::GetFileKind(folder) != platform::FileKind::Folder) {
    return UsageError("no such folder: " + folder);
  }
  // The report refuses such a name too; this says why.
  if (platform::GetFileKind(output) == platform::FileKind::Other) {
    return Fail(kExitWriteFailed, "cannot write the report to " + output + ": not a regular file");
  }

  TerminalProgress terminal;
  ReportOptions options;
  options.outputFile = output;
  options.progress = platform::StandardErrorIsTerminal() ? &terminal : nullptr;
  options.showError = false;  // reported below as one line
  options.jobs = jobs;
  ReportOutcome outcome = CreateReport(folder, options);
  if (outcome.end == ReportEnd::Failed) {
    terminal.Hide();
    return Fail(kExitWriteFailed, "cannot write the report to " + output + ": error " +
                                      std::to_string(outcome.errorNumber) + ": " +
                                      outcome.errorDescription);
  }
  return kExitOk;
}

const CliCommand kReport("report",
                         "report FOLDER [--output FILE] [--jobs N]\n"
                         "      --jobs N  components read at once (1 to 64) once a listing or a\n"
                         "                read has had to wait for the disk (from the page cache\n"
                         "                they are read one after another); default: 4 per\n"
                         "                processor, 4 to 16; 1 never reads ahead, for media\n"
                         "                where parallel reads are slow",
                         &RunReport, RegistryUse::None);

}  // namespace

}  // namespace korvane::cli
