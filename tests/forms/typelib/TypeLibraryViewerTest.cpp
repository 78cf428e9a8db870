// The "Show type library..." item through the form, over the type-library
// fixtures: the libraries each kind of file offers and the item's state, the
// choice among several, what reaches the window, and Save As whole or nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "forms/TypeLibraryIdl.h"
#include "forms/TypeLibraryViewer.h"
#include "forms/WholeTextFile.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using forms::TypeLibraryEntry;
using platform::FileError;

const std::string kMulti = KORVANE_FIXTURE_MULTI_DLL;
const std::string kAlphaDll = KORVANE_FIXTURE_ALPHA64_DLL;

TypeLibraryEntry Entry(std::string path, std::optional<std::uint16_t> id, std::string name, std::uint16_t major,
                       std::uint16_t minor) {
  return {std::move(path), id.has_value(), id.value_or(0), std::move(name), major, minor};
}

TEST(TypeLibraryChoices, WhatEachKindOfFileOffers) {
  const TypeLibraryEntry alpha1 = Entry(kMulti + "/1", 1, "KorvaneAlpha", 1, 10);
  const TypeLibraryEntry alpha2 = Entry(kMulti + "/2", 2, "KorvaneAlpha", 2, 0);
  const TypeLibraryEntry beta = Entry(kMulti + "/5", 5, "KorvaneBeta", 3, 2);
  const struct {
    std::string path;
    std::vector<TypeLibraryEntry> expected;
  } cases[] = {
      {kMulti, {alpha1, alpha2, beta}},
      {kMulti + "/2", {alpha2}},
      {kMulti + "/3", {}},  // no such resource
      {kAlphaDll, {Entry(kAlphaDll + "/1", 1, "KorvaneAlpha", 1, 10)}},
      {KORVANE_FIXTURE_ALPHA64_TLB, {Entry(KORVANE_FIXTURE_ALPHA64_TLB, std::nullopt, "KorvaneAlpha", 1, 10)}},
      {KORVANE_FIXTURE_SLTG_TLB, {Entry(KORVANE_FIXTURE_SLTG_TLB, std::nullopt, "KorvaneOld", 1, 2)}},
      {KORVANE_FIXTURE_PLAIN_DLL, {}},  // a PE without a library
      {"/nonexistent/x.dll", {}},
      {"", {}},  // nothing inspected yet
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(forms::TypeLibrariesOf(c.path), c.expected);
  }
}

TEST(TypeLibraryIdl, ReadsTheLibraryThePathNames) {
  const struct {
    std::string path;
    const char* library;  // nullptr: an error
  } cases[] = {
      {kMulti + "/2", "library KorvaneAlpha"},
      {kMulti + "/5", "library KorvaneBeta"},
      {KORVANE_FIXTURE_ALPHA64_TLB, "library KorvaneAlpha"},
      {kMulti + "/3", nullptr},
      {KORVANE_FIXTURE_PLAIN_DLL, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const formats::Expected<std::string> idl = forms::TypeLibraryIdl(c.path);
    ASSERT_EQ(idl.has_value(), c.library != nullptr);
    if (c.library != nullptr) {
      EXPECT_NE(idl->find(c.library), std::string::npos) << *idl;
    }
  }
}

// The types a library takes from stdole2 keep their names in the window's
// IDL, also with no copy of stdole2 beside the file.
TEST(TypeLibraryIdl, NamesTheTypesTakenFromTheStandardOleLibrary) {
  const test::TempDir folder;
  const std::string path = folder.File("rich64.tlb");
  std::filesystem::copy_file(KORVANE_FIXTURE_RICH64_TLB, path);
  const formats::Expected<std::string> idl = forms::TypeLibraryIdl(path);
  ASSERT_TRUE(idl.has_value());
  EXPECT_NE(idl->find("[in] GUID* id"), std::string::npos) << *idl;
  EXPECT_EQ(idl->find("UnresolvedImport"), std::string::npos) << *idl;
}

class FakeViewerView final : public forms::TypeLibraryViewerView {
 public:
  std::optional<std::size_t> ChooseTypeLibrary(const std::vector<std::string>& captions) override {
    offered.push_back(captions);
    return answer;
  }
  void ShowIdl(const forms::IdlDocument& document) override { shown.push_back(document); }

  std::optional<std::size_t> answer;
  std::vector<std::vector<std::string>> offered;
  std::vector<forms::IdlDocument> shown;
};

// The IDL source of the tests: the path it was asked for, or a failure.
struct FakeSource {
  std::vector<std::string>* asked;
  bool fails = false;
  formats::Expected<std::string> operator()(const std::string& path) const {
    asked->push_back(path);
    if (fails) return formats::MakeError(formats::ErrorKind::kBadTypeLib, "at offset 0x40");
    return "library of " + path;
  }
};

TEST(TypeLibraryViewer, ItemStateFollowsTheInspectedFile) {
  FakeViewerView view;
  std::vector<std::string> asked;
  forms::TypeLibraryViewer viewer(view, FakeSource{&asked});
  const struct {
    std::string file;
    bool enabled;
  } cases[] = {{kMulti, true}, {KORVANE_FIXTURE_ALPHA64_TLB, true}, {KORVANE_FIXTURE_PLAIN_DLL, false}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const forms::MenuItemState item = viewer.MenuItem(c.file);
    EXPECT_EQ(item.caption, "Show type library...");
    EXPECT_EQ(item.enabled, c.enabled);
  }
  EXPECT_TRUE(asked.empty()) << "the state is decided without reading a whole library";
  // Nothing to show with: disabled, and the handler does nothing.
  forms::TypeLibraryViewer unwired(view, {});
  EXPECT_FALSE(unwired.MenuItem(kMulti).enabled);
  unwired.Show(kAlphaDll);
  EXPECT_TRUE(view.offered.empty());
  EXPECT_TRUE(view.shown.empty());
}

TEST(TypeLibraryViewer, ShowsTheLibraryTheUserChooses) {
  const struct {
    std::string file;
    std::optional<std::size_t> answer;
    bool sourceFails;
    std::vector<std::string> offered;  // empty: no choice asked
    std::vector<std::string> read;
    std::optional<forms::IdlDocument> shown;
    std::size_t boxes;
  } cases[] = {
      // One library: no choice, straight to the window.
      {kAlphaDll, std::nullopt, false, {}, {kAlphaDll + "/1"},
       forms::IdlDocument{"alpha64.dll - KorvaneAlpha", "library of " + kAlphaDll + "/1", "KorvaneAlpha.idl"}, 0},
      // Several: the chosen one, the title naming its resource id.
      {kMulti, 2, false, {"1: KorvaneAlpha 1.10", "2: KorvaneAlpha 2.0", "5: KorvaneBeta 3.2"}, {kMulti + "/5"},
       forms::IdlDocument{"multi.dll/5 - KorvaneBeta", "library of " + kMulti + "/5", "KorvaneBeta.idl"}, 0},
      // A cancelled choice reads nothing.
      {kMulti, std::nullopt, false, {"1: KorvaneAlpha 1.10", "2: KorvaneAlpha 2.0", "5: KorvaneBeta 3.2"}, {},
       std::nullopt, 0},
      // A library that fails to read is reported, and no window opens.
      {kAlphaDll, std::nullopt, true, {}, {kAlphaDll + "/1"}, std::nullopt, 1},
      {KORVANE_FIXTURE_PLAIN_DLL, std::nullopt, false, {}, {}, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    test::RecordingUserPort port;
    FakeViewerView view;
    view.answer = c.answer;
    std::vector<std::string> asked;
    forms::TypeLibraryViewer viewer(view, FakeSource{&asked, c.sourceFails});
    viewer.Show(c.file);
    if (c.offered.empty()) {
      EXPECT_TRUE(view.offered.empty());
    } else {
      ASSERT_EQ(view.offered.size(), 1u);
      EXPECT_EQ(view.offered[0], c.offered);
    }
    EXPECT_EQ(asked, c.read);
    ASSERT_EQ(view.shown.size(), c.shown ? 1u : 0u);
    if (c.shown) {
      EXPECT_EQ(view.shown[0].title, c.shown->title);
      EXPECT_EQ(view.shown[0].text, c.shown->text);
      EXPECT_EQ(view.shown[0].suggestedFile, c.shown->suggestedFile);
    }
    ASSERT_EQ(port.boxes.size(), c.boxes);
    if (c.boxes != 0) {
      EXPECT_NE(port.boxes[0].text.find("at offset 0x40"), std::string::npos) << port.boxes[0].text;
      EXPECT_EQ(port.boxes[0].flags, kMbIconError);
    }
  }
}

std::optional<std::string> Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SaveIdl, WritesTheWholeTextOrReportsWhyNot) {
  test::TempDir dir;
  const std::string existing = dir.Write("old.idl", std::string(5000, 'x'));
  const forms::IdlDocument document{"t", "library L\n{\n};\n", "L.idl"};
  const struct {
    std::string path;
    bool saved;
    std::optional<std::string> content;  // afterwards; nullopt: no file
  } cases[] = {
      {dir.File("new.idl"), true, document.text},
      {existing, true, document.text},  // a longer file is replaced, not overwritten in part
      {dir.File("missing/new.idl"), false, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    test::RecordingUserPort port;
    EXPECT_EQ(forms::SaveIdl(document, c.path), c.saved);
    EXPECT_EQ(Content(c.path), c.content);
    EXPECT_EQ(port.boxes.size(), c.saved ? 0u : 1u);
  }
}

// A disk that fails part-way through a write.
class FailingTarget final : public forms::TextFileTarget {
 public:
  FileError Open(const std::string&) override { return FileError::None; }
  FileError Write(std::string_view data) override {
    content.append(data.substr(0, data.size() / 2));
    return FileError::DiskFull;
  }
  FileError Truncate(std::uint64_t size) override {
    content.resize(size);
    return FileError::None;
  }
  void Close() override { closed = true; }

  std::string content;
  bool closed = false;
};

TEST(SaveIdl, AFailedWriteLeavesNothing) {
  FailingTarget target;
  EXPECT_EQ(forms::SaveWholeText(target, "x.idl", "0123456789"), FileError::DiskFull);
  EXPECT_EQ(target.content, "");
  EXPECT_TRUE(target.closed);
}

}  // namespace
}  // namespace korvane
