#include "report/CreateReport.h"

#include <new>
#include <string_view>

#include "common/ErrorReport.h"
#include "common/UserPort.h"
#include "common/VbError.h"
#include "common/basTools.h"
#include "formats/TextCodec.h"
#include "inspection/clsFileInfo.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Thread.h"
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

bool IsComponentName(const std::string& path) {
  if (path.size() < 4) return false;
  const std::string tail = formats::ToUpperAscii(std::string_view(path).substr(path.size() - 4));
  return tail == ".DLL" || tail == ".OCX" || tail == ".EXE";
}

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

// Appends text with every control character written as '?': C0 controls and
// DEL, and the UTF-8 forms of the C1 controls (NEL among them) and of the line
// and paragraph separators, which viewers may also break lines at. A file name
// or a version string can then never add a line to a record.
void AppendVisible(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = [&](std::size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    if (byte < 0x20 || byte == 0x7F) {
      out += '?';
    } else if (byte == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      out += '?';
      i += 1;
    } else if (byte == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      out += '?';
      i += 2;
    } else {
      out += text[i];
    }
  }
}

void Line(std::string& out, const char* caption, const std::string& value) {
  out += caption;
  AppendVisible(out, value);
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

ReportOutcome CreateReport(const std::string& sFolder, const ReportOptions& options) {
  ReportOutcome outcome;
  ReportProgress* progress = options.progress;
  auto cancelled = [&] { return options.cancel != nullptr && *options.cancel; };
  try {
    colFiles_Tamo files;
    clsFileInfo info;
    ReportFile report;
    report.Open(options.outputFile);

    if (progress != nullptr) progress->Show();
    DoEvents();
    platform::Sleep(20);

    const std::string sep(1, platform::kPathSeparator);
    outcome.files = files.LoadFiles(EnsureSuffix(sFolder, sep) + "*.*", true);
    if (progress != nullptr) progress->SetMax(outcome.files);

    for (std::int32_t i = 1; i <= outcome.files; ++i) {
      colFiles_Tamo::FilePtr file = files.Item(i);
      if (progress != nullptr) {
        progress->SetValue(i);
        progress->SetCurrentFile(file->sNameAndExtension());
      }
      DoEvents();
      const std::string& path = file->sFileName();
      if (IsComponentName(path)) {
        // Only a regular file is read: opening a FIFO or a device may wait for
        // ever. Anything else is a file without properties.
        if (platform::GetFileKind(path) == platform::FileKind::Regular) {
          info.SelectFile(path);
        } else {
          info = clsFileInfo{};
        }
        report.WriteRecord(BuildReportRecord(path, info));
        ++outcome.records;
      }
      DoEvents();
      if (cancelled()) {
        report.Close();
        if (progress != nullptr) {
          progress->Hide();
          progress->Unload();
        }
        outcome.end = ReportEnd::Cancelled;
        return outcome;
      }
    }
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
