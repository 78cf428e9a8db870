#pragma once
// The folder report: for every .dll, .ocx and .exe below a folder, one record
// of its version information in a text file, in the order the file collection
// gives, with progress, a cancel flag and the finished file opened for reading.

#include <functional>
#include <string>

#include "report/ReportProgress.h"

namespace korvane {

class clsFileInfo;

struct ReportOptions {
  // Where the report goes; a relative name is taken in the current directory.
  std::string outputFile = "output.txt";
  // Progress window; none shows nothing.
  ReportProgress* progress = nullptr;
  // The cancel request, polled after each file (the program keeps it in
  // basMain::bCancelReport, which the progress window's Cancel sets). Null:
  // the report cannot be cancelled.
  const bool* cancel = nullptr;
  // Opens the finished report; the window program passes ShellOpen, an empty
  // function leaves the file unopened.
  std::function<void(const std::string&)> openReport;
  // Show a failure through the error report (label "CreateReport").
  bool showError = true;
  // Components read at once, ahead of the writer: 0 picks DefaultReportJobs(),
  // 1 reads each one on the writer's thread just before its record. More
  // only once the walk or a read has had to wait for the disk; until then
  // the report reads as with 1.
  int jobs = 0;
  // Called on the reading thread just before a component is read; a test
  // hook that can slow chosen reads down. Cancel during the call still keeps
  // the component from being read.
  std::function<void(const std::string& path)> beforeRead;
};

// The parallel reads the report uses by default: a few per processor, as
// many as a disk or a share serves at once without the requests queueing.
int DefaultReportJobs();

enum class ReportEnd { Finished, Cancelled, Failed };

struct ReportOutcome {
  ReportEnd end = ReportEnd::Finished;
  int files = 0;    // files collected
  int records = 0;  // records written
  int componentsRead = 0;  // components whose properties were read
  long errorNumber = 0;
  std::string errorDescription;
};

// The record of one file: always 24 lines, each ending in CR LF, the three
// blank lines that close it included. Control characters in the name and the
// values, but for TAB, are written as '?'.
std::string BuildReportRecord(const std::string& sFileName, const clsFileInfo& info);

// Writes the report for sFolder (with or without a trailing separator).
// Every record is on disk before the next file is looked at; when writing
// fails, the file is cut back to its last complete record and closed.
ReportOutcome CreateReport(const std::string& sFolder, const ReportOptions& options);

// The window program's report: output.txt in the current directory, opened
// through the shell when finished.
ReportOutcome CreateReport(const std::string& sFolder, ReportProgress* progress,
                           const bool* cancel);

}  // namespace korvane
