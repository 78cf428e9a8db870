#pragma once
// Runs a program with arguments and environment, collecting its standard
// output and exit code; kills it after a time limit.

#include <map>
#include <string>
#include <vector>

namespace korvane::test {

struct ProcessResult {
  int exitCode = -1;      // -1 when it did not end by itself in time
  bool timedOut = false;
  std::string out;
  std::string err;
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, int timeoutSeconds);

}  // namespace korvane::test
