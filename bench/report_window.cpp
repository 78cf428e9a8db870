// The folder report as the window program writes it: the real progress
// window (offscreen), window messages processed twice per file, the report
// written to a named file instead of being opened. For bench/report.sh.
//
// usage: report_window FOLDER OUTPUT

#include <QApplication>
#include <cstdio>

#include "report/CreateReport.h"
#include "ui/QtUserPort.h"
#include "ui/frmProgress.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: report_window FOLDER OUTPUT\n");
    return 2;
  }
  QApplication app(argc, argv);
  korvane::ui::QtUserPort port;
  korvane::SetUserPort(&port);
  bool bCancelReport = false;
  korvane::ui::frmProgress window(bCancelReport);
  korvane::ReportOptions options;
  options.outputFile = argv[2];
  options.progress = &window.Form();
  options.cancel = &bCancelReport;
  korvane::ReportOutcome r = korvane::CreateReport(argv[1], options);
  korvane::SetUserPort(nullptr);
  return r.end == korvane::ReportEnd::Finished ? 0 : 1;
}
