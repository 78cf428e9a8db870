#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "formats/RegFileParser.h"
#include "formats/RegFileWriter.h"

namespace korvane::formats {
namespace {

RegOperation Key(RegRoot root, const std::string& path) {
  RegOperation op;
  op.kind = RegOpKind::CreateKey;
  op.key = {root, path};
  return op;
}

RegOperation Value(const RegOperation& key, const std::string& name, std::uint32_t type,
                   const std::string& bytes) {
  RegOperation op;
  op.kind = RegOpKind::SetValue;
  op.key = key.key;
  op.valueName = name;
  op.type = type;
  op.data.assign(bytes.begin(), bytes.end());
  return op;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "every line ends in CRLF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

TEST(RegFileWriter, WritesBlocksInTheRegistryEditorsLayout) {
  RegOperation root = Key(RegRoot::ClassesRoot, "ocxfile");
  RegOperation sub = Key(RegRoot::ClassesRoot, "ocxfile\\shell");
  std::string text = RegFileText({root, Value(root, "", kRegFileSz, std::string("OCX\0", 4)),
                                  Value(root, "Flags", kRegFileDword, std::string("\x10\0\0\x80", 4)),
                                  sub});
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CLASSES_ROOT\\ocxfile]\r\n"
            "@=\"OCX\"\r\n"
            "\"Flags\"=dword:80000010\r\n"
            "\r\n"
            "[HKEY_CLASSES_ROOT\\ocxfile\\shell]\r\n"
            "\r\n");
}

TEST(RegFileWriter, FileIsUtf16LittleEndianWithByteOrderMark) {
  RegOperation key = Key(RegRoot::CurrentUser, "\xC3\xA9");
  std::vector<std::uint8_t> bytes = WriteRegFile({key});
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(bytes[2], 'W');
  EXPECT_EQ(bytes[3], 0);
  // The e acute is one UTF-16 unit, 0x00E9.
  std::string needle("\x5C\x00\xE9\x00\x5D\x00", 6);
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(needle), std::string::npos);
}

TEST(RegFileWriter, WrapsLongHexDataBeforeColumnEighty) {
  RegOperation key = Key(RegRoot::CurrentUser, "k");
  std::string blob;
  for (int i = 0; i < 300; ++i) blob.push_back(static_cast<char>(i));
  std::string longName(90, 'n');  // a name alone longer than the wrap column
  std::string text = RegFileText({key, Value(key, "Blob", kRegFileBinary, blob),
                                  Value(key, longName, 0x2a, "\x01\x02")});
  std::vector<std::string> lines = Lines(text);
  std::size_t continued = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.rfind("\"" + longName, 0) == 0) continue;
    EXPECT_LE(line.size(), 80u) << line;
    if (!line.empty() && line.back() == '\\') {
      ++continued;
      ASSERT_LT(i + 1, lines.size());
      EXPECT_EQ(lines[i + 1].rfind("  ", 0), 0u) << "continuation lines are indented by two blanks";
      EXPECT_EQ(line[line.size() - 2], ',') << "lines break after a comma";
    }
  }
  EXPECT_GE(continued, 300u * 3 / 80);
  // A line already past the wrap column breaks after its first byte.
  EXPECT_NE(text.find("=hex(2a):01,\\\r\n  02\r\n"), std::string::npos);

  auto back = ParseRegFile(WriteRegFile({key, Value(key, "Blob", kRegFileBinary, blob)}));
  ASSERT_TRUE(back.has_value()) << back.error().message;
  EXPECT_EQ((*back)[1].data, std::vector<std::uint8_t>(blob.begin(), blob.end()));
}

TEST(RegFileWriter, EveryKindOfValueReadsBackIdentically) {
  RegOperation k1 = Key(RegRoot::LocalMachine, "Software\\Odd \"name\" [1]");
  RegOperation k2 = Key(RegRoot::Users, "S-1\\Gr\xC3\xBC\xC3\x9F" "e\\\xE6\x97\xA5\xE6\x9C\xAC");
  std::vector<RegOperation> ops = {
      k1,
      Value(k1, "", kRegFileSz, std::string("default\0", 8)),
      Value(k1, "quote \" and \\ back", kRegFileSz, std::string("C:\\dir\\\"x\"\\\0", 13)),
      Value(k1, "empty", kRegFileSz, std::string("\0", 1)),
      Value(k1, "no terminator", kRegFileSz, "abc"),
      Value(k1, "size zero", kRegFileSz, ""),
      Value(k1, "inner nul", kRegFileSz, std::string("a\0b\0", 4)),
      Value(k1, "line\tbreak", kRegFileSz, std::string("one\r\ntwo\0", 9)),
      Value(k1, "expand", kRegFileExpandSz, std::string("%TEMP%\\\xC3\xA9\0", 10)),
      Value(k1, "multi", kRegFileMultiSz, std::string("a\0\xE2\x82\xAC\0\0", 7)),
      Value(k1, "dword", kRegFileDword, std::string("\xff\xfe\0\x01", 4)),
      Value(k1, "short dword", kRegFileDword, std::string("\x01\x02", 2)),
      Value(k1, "binary", kRegFileBinary, std::string("\0\x01\xff", 3)),
      Value(k1, "empty binary", kRegFileBinary, ""),
      Value(k1, "none", 0, std::string("\x05", 1)),
      Value(k1, "big endian", 5, std::string("\x01\x02\x03\x04", 4)),
      Value(k1, "qword", 11, std::string("\x01\0\0\0\0\0\0\x80", 8)),
      Value(k1, "odd type", 0x12345678, "zz"),
      k2,
      Value(k2, "\xD0\x98\xD0\xBC\xD1\x8F", kRegFileSz, std::string("\xF0\x9F\x98\x80\0", 5)),
  };
  RegOperation delValue;
  delValue.kind = RegOpKind::DeleteValue;
  delValue.key = k2.key;
  delValue.valueName = "old";
  RegOperation delKey;
  delKey.kind = RegOpKind::DeleteKey;
  delKey.key = {RegRoot::ClassesRoot, "Gone"};
  ops.push_back(delValue);
  ops.push_back(delKey);

  auto back = ParseRegFile(WriteRegFile(ops));
  ASSERT_TRUE(back.has_value()) << back.error().message;
  ASSERT_EQ(back->size(), ops.size());
  for (std::size_t i = 0; i < ops.size(); ++i) {
    EXPECT_TRUE((*back)[i].SameAs(ops[i])) << "operation " << i << " (" << ops[i].valueName << ")";
  }
}

TEST(RegFileWriter, TheLargestValueTheReaderTakesReadsBackFromItsOwnExport) {
  // An ASCII REG_EXPAND_SZ doubles in UTF-16 and triples again in hex.
  RegOperation key = Key(RegRoot::CurrentUser, "big");
  std::string text(kRegFileMaxValueBytes - 1, 'a');
  text.push_back('\0');
  std::vector<RegOperation> ops = {key, Value(key, "expand", kRegFileExpandSz, text)};
  auto back = ParseRegFile(WriteRegFile(ops));
  ASSERT_TRUE(back.has_value()) << back.error().message;
  ASSERT_EQ(back->size(), 2u);
  EXPECT_TRUE((*back)[1].SameAs(ops[1]));
}

}  // namespace
}  // namespace korvane::formats
