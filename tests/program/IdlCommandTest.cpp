// korvane-cli idl as scripts run it: the paths --list gives name libraries
// that idl reads, the three kinds of output agree, and the exit codes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "ProcessRunner.h"
#include "common/Json.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using test::ProcessResult;
using test::RunProcess;

ProcessResult Cli(const std::vector<std::string>& args) { return RunProcess(KORVANE_CLI_EXE, args, {}, 60); }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(IdlCommand, ListedPathsReadAsTheirLibraries) {
  const std::string multi = KORVANE_FIXTURE_MULTI_DLL;
  ProcessResult list = Cli({"idl", "--list", multi});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, multi + "/1\tKorvaneAlpha\t{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}\t1.10\n" + multi +
                          "/2\tKorvaneAlpha\t{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}\t2.0\n" + multi +
                          "/5\tKorvaneBeta\t{0F3C2A10-9B8E-4D7C-A6B5-C4D3E2F1A0B9}\t3.2\n");

  ProcessResult idl = Cli({"idl", multi + "/5"});
  ASSERT_EQ(idl.exitCode, 0) << idl.err;
  EXPECT_NE(idl.out.find("// typelib filename: multi.dll\n"), std::string::npos) << idl.out;
  EXPECT_NE(idl.out.find("version(3.2)"), std::string::npos) << idl.out;
  EXPECT_NE(idl.out.find("library KorvaneBeta\n{"), std::string::npos) << idl.out;

  ProcessResult json = Cli({"idl", "--json", multi + "/5"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json doc = Json::parse(json.out);
  EXPECT_EQ(doc["library"]["attributes"]["name"], "KorvaneBeta");
  EXPECT_EQ(doc["library"]["attributes"]["minorVersion"], 2);

  test::TempDir dir;
  ProcessResult written = Cli({"idl", multi + "/5", "--output", dir.File("beta.idl")});
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(Slurp(dir.File("beta.idl")), idl.out);
}

TEST(IdlCommand, ExitCodes) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const Case cases[] = {
      {{"idl"}, 2},
      {{"idl", KORVANE_FIXTURE_ALPHA64_TLB, KORVANE_FIXTURE_BETA64_TLB}, 2},
      {{"idl", "/nonexistent/x.tlb"}, 2},
      {{"idl", KORVANE_FIXTURE_ALPHA64_TLB, "--output"}, 2},
      {{"idl", KORVANE_FIXTURE_PLAIN_DLL}, 1},                            // no type library in it
      {{"idl", std::string(KORVANE_FIXTURE_MULTI_DLL) + "/3"}, 1},        // no resource 3
      {{"idl", KORVANE_FIXTURE_ALPHA64_TLB, "--output", "/nonexistent/dir/x.idl"}, 1},
      {{"idl", "--list", KORVANE_FIXTURE_PLAIN_DLL}, 1},
      {{"idl", "--list", KORVANE_FIXTURE_ALPHA64_TLB}, 0},
  };
  for (const Case& c : cases) {
    ProcessResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << testing::PrintToString(c.args) << r.err;
    if (c.exitCode != 0) {
      EXPECT_NE(r.err.find("korvane-cli: "), std::string::npos) << r.err;
    }
  }
}

// A library name with a TAB and a line break (patched into a copy of a
// fixture, same length) stays inside its field in every text output, and
// exact in JSON.
TEST(IdlCommand, NamesFromTheFileStayInTheirFields) {
  test::TempDir dir;
  std::string bytes = Slurp(KORVANE_FIXTURE_ALPHA64_TLB);
  const std::string name = "KorvaneAlpha";
  const std::string forged = "Kor\tva\nforge";
  ASSERT_EQ(forged.size(), name.size());
  const std::size_t at = bytes.find(name);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, name.size(), forged);
  const std::string file = dir.Write("forged.tlb", bytes);
  const std::string other = dir.Write("other.tlb", bytes);
  const std::map<std::string, std::string> env{{"KORVANE_REGISTRY", dir.File("registry.db")}};
  const auto run = [&](const std::vector<std::string>& args) { return RunProcess(KORVANE_CLI_EXE, args, env, 60); };

  const ProcessResult list = run({"idl", "--list", file});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, file + "\tKor?va?forge\t{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}\t1.10\n");
  const ProcessResult json = run({"idl", "--list", "--json", file});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(Json::parse(json.out)["libraries"][0]["name"], forged);

  // info and compare: no line starts with what followed the line break; the
  // TAB stays, as a row's text is its line's last field.
  for (const auto& args : {std::vector<std::string>{"info", file}, std::vector<std::string>{"compare", file, other}}) {
    const ProcessResult rows = run(args);
    ASSERT_EQ(rows.exitCode, 0) << rows.err;
    EXPECT_NE(rows.out.find("Kor\tva?forge"), std::string::npos) << rows.out;
    EXPECT_EQ(rows.out.find("\nforge"), std::string::npos) << rows.out;
  }
}

}  // namespace
}  // namespace korvane
