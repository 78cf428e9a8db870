#include "report/CreateReport.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "common/ErrorReport.h"
#include "common/UserPort.h"
#include "common/VbError.h"
#include "common/basTools.h"
#include "formats/TextCodec.h"
#include "formats/VisibleText.h"
#include "inspection/clsFileInfo.h"
#include "platform/FileSystem.h"
#include "platform/JoinableThread.h"
#include "platform/Process.h"
#include "platform/Thread.h"
#include "report/ReportReaders.h"
#include "report/colFiles_Tamo.h"

namespace korvane {

namespace {

constexpr const char* kErrorLabel = "CreateReport";
constexpr const char* kNewLine = "\r\n";

VbError FileFailure(platform::FileError error) {
  switch (error) {
    case platform::FileError::PathNotFound:
      return VbError(76, kErrorLabel, "Path not found");
    case platform::FileError::AccessDenied:
    case platform::FileError::NotAFile:
      return VbError(75, kErrorLabel, "Path/File access error");
    case platform::FileError::DiskFull:
      return VbError(61, kErrorLabel, "Disk full");
    default:
      return VbError(57, kErrorLabel, "Device I/O error");
  }
}

// Components read ahead of the writer at most; bounds the memory that read
// but not yet written properties take (about 1 KB each).
constexpr std::size_t kMaxReadAhead = 4096;
constexpr unsigned kMinDefaultJobs = 4;
constexpr unsigned kMaxDefaultJobs = 16;

bool IsComponentName(const std::string& path) {
  if (path.size() < 4) return false;
  const std::string tail = formats::ToUpperAscii(std::string_view(path).substr(path.size() - 4));
  return tail == ".DLL" || tail == ".OCX" || tail == ".EXE";
}

// A component's properties for its record, with one open of the file. The
// version reader opens regular files only and never waits on anything else
// (a FIFO or a device named like a component is a file without properties),
// so no status call comes first. Runs on the reader threads.
void ReadComponent(const std::string& path, clsFileInfo& info) { info.SelectFile(path); }

// The report file: each record goes out whole, and a failed write is cut back
// to the end of the last complete record before the file is closed.
class ReportFile {
 public:
  void Open(const std::string& path) {
    platform::FileError e = file_.Open(path);
    if (e != platform::FileError::None) throw FileFailure(e);
  }
  void WriteRecord(const std::string& record) {
    platform::FileError e = file_.Write(record);
    if (e != platform::FileError::None) {
      file_.Truncate(written_);
      file_.Close();
      throw FileFailure(e);
    }
    written_ += record.size();
  }
  void Close() { file_.Close(); }

 private:
  platform::OutputFile file_;
  std::uint64_t written_ = 0;
};

// A file name or a version string can never add a line to a record nor hide
// part of one: control characters are written as '?'. A TAB stays: a record's
// fields are whole lines, never split at a TAB, and version strings do hold TABs.
void Line(std::string& out, const char* caption, const std::string& value) {
  out += caption;
  formats::AppendVisible(out, value, formats::Tabs::kKeep);
  out += kNewLine;
}

}  // namespace

std::string BuildReportRecord(const std::string& sFileName, const clsFileInfo& info) {
  std::string r;
  r.reserve(512 + sFileName.size());
  Line(r, "File: ", sFileName);
  r += kNewLine;
  Line(r, "Company Name: ", info.CompanyName);
  Line(r, "File Description: ", info.FileDescription);
  Line(r, "Internal Name: ", info.InternalName);
  Line(r, "Legal Copyright: ", info.LegalCopyright);
  Line(r, "Legal Trademarks: ", info.LegalTrademarks);
  Line(r, "Original Filename: ", info.OriginalFileName);
  Line(r, "Product Name: ", info.ProductName);
  Line(r, "Product Version: ", info.ProductVersion);
  Line(r, "Comments: ", info.Comments);
  r += kNewLine;
  Line(r, "Extended File Info ", "");
  r += kNewLine;
  Line(r, "Type: ", info.FileTypeEx);
  Line(r, "SubType: ", info.FileSubTypeEx);
  Line(r, "Version: ", info.FileVerEx);
  Line(r, "Product Version: ", info.ProdVerEx);
  Line(r, "OS: ", info.FileOSEx);
  Line(r, "Structure Version: ", info.StrucVerEx);
  Line(r, "Flags: ", info.FileFlagsEx);
  r += kNewLine;
  r += kNewLine;
  r += kNewLine;
  return r;
}

int DefaultReportJobs() {
  const unsigned perProcessor = 4 * platform::ProcessorCount();
  return static_cast<int>(std::clamp(perProcessor, kMinDefaultJobs, kMaxDefaultJobs));
}

ReportOutcome CreateReport(const std::string& sFolder, const ReportOptions& options) {
  ReportOutcome outcome;
  ReportProgress* progress = options.progress;
  auto cancelled = [&] { return options.cancel != nullptr && *options.cancel; };
  // Declared outside the try so that a failure stops the readers before the
  // error is shown; they never outlive this call.
  std::optional<ReportReaders> readers;
  auto endReads = [&] {
    if (!readers) return;
    readers->Stop();
    outcome.componentsRead = static_cast<int>(readers->ComponentsRead());
    readers.reset();
  };
  try {
    std::vector<bool> isComponent;  // per collected file, decided once
    colFiles_Tamo files;
    files.OnAdd([&](std::int32_t, const std::string& path) {
      const bool component = IsComponentName(path);
      isComponent.push_back(component);
      if (component) readers->Add(path);
    });
    clsFileInfo info;
    ReportFile report;
    report.Open(options.outputFile);

    const std::string sep(1, platform::kPathSeparator);
    const std::string folder = EnsureSuffix(sFolder, sep);
    if (progress != nullptr) {
      progress->Show();
      DoEvents();
      platform::Sleep(20);  // lets the window paint before the walk
    } else {
      DoEvents();
    }
    // Made after the pause, on the thread that walks and writes: the readers
    // start once this thread has had to wait for the disk, and the pause is
    // no such wait.
    const int jobs = options.jobs > 0 ? options.jobs : DefaultReportJobs();
    readers.emplace(jobs, kMaxReadAhead, &ReadComponent, &IsComponentName, options.beforeRead);
    files.UseListings(&*readers);

    outcome.files = files.LoadFiles(folder + "*.*", true);
    if (progress != nullptr) progress->SetMax(outcome.files);

    for (std::int32_t i = 1; i <= outcome.files; ++i) {
      const colFiles_Tamo::FilePtr& file = *(files.begin() + (i - 1));
      if (progress != nullptr) {
        progress->SetValue(i);
        progress->SetCurrentFile(file->sNameAndExtension());
      }
      DoEvents();
      if (isComponent[static_cast<std::size_t>(i - 1)]) {
        readers->Next(info);
        report.WriteRecord(BuildReportRecord(file->sFileName(), info));
        ++outcome.records;
      }
      DoEvents();
      if (cancelled()) {
        // No read starts from here on; the window goes without waiting for
        // reads still under way (a slow share), which are joined below.
        readers->Stop();
        report.Close();
        if (progress != nullptr) {
          progress->Hide();
          progress->Unload();
        }
        endReads();
        outcome.end = ReportEnd::Cancelled;
        return outcome;
      }
    }
    endReads();
    report.Close();
    if (progress != nullptr) {
      progress->Hide();
      progress->Unload();
    }
    if (options.openReport) options.openReport(options.outputFile);
    outcome.end = ReportEnd::Finished;
    return outcome;
  } catch (const VbError& e) {
    outcome.errorNumber = e.Number();
    outcome.errorDescription = e.Description();
  } catch (const std::bad_alloc&) {
    outcome.errorNumber = 7;
    outcome.errorDescription = "Out of memory";
  } catch (const std::exception& e) {
    outcome.errorNumber = 51;
    outcome.errorDescription = e.what();
  }
  endReads();
  // The progress window stays as it is; the caller ends the program.
  outcome.end = ReportEnd::Failed;
  if (options.showError) ShowError(kErrorLabel, outcome.errorNumber, outcome.errorDescription);
  return outcome;
}

ReportOutcome CreateReport(const std::string& sFolder, ReportProgress* progress,
                           const bool* cancel) {
  ReportOptions options;
  options.progress = progress;
  options.cancel = cancel;
  options.openReport = [](const std::string& document) { ShellOpen(document); };
  return CreateReport(sFolder, options);
}

}  // namespace korvane
