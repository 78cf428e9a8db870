#include "registry/RegFileExport.h"

#include <filesystem>
#include <fstream>

#include "formats/RegFileWriter.h"
#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

using formats::RegKeyName;
using formats::RegOperation;

constexpr int kMaxDepth = 512;

long Collect(const RegKeyName& key, int depth, std::vector<RegOperation>* operations) {
  if (depth > kMaxDepth) return platform::kErrorInvalidParameter;
  std::vector<RegFileValue> values;
  long r = RegReadValues(key, &values);
  if (r != platform::kErrorSuccess) return r;
  RegOperation create;
  create.kind = formats::RegOpKind::CreateKey;
  create.key = key;
  operations->push_back(create);
  for (RegFileValue& v : values) {
    RegOperation set;
    set.kind = formats::RegOpKind::SetValue;
    set.key = key;
    set.valueName = std::move(v.name);
    set.type = v.type;
    set.data = std::move(v.data);
    operations->push_back(std::move(set));
  }
  std::vector<std::string> subKeys;
  r = RegListSubKeys(key, &subKeys);
  if (r != platform::kErrorSuccess) return r;
  for (const std::string& sub : subKeys) {
    r = Collect({key.root, key.path.empty() ? sub : key.path + "\\" + sub}, depth + 1, operations);
    if (r != platform::kErrorSuccess) return r;
  }
  return platform::kErrorSuccess;
}

}  // namespace

long CollectRegTree(const RegKeyName& key, std::vector<RegOperation>* operations) {
  operations->clear();
  return Collect(key, 0, operations);
}

std::string ExportRegFile(const RegKeyName& key, const std::string& file, bool overwrite) {
  std::vector<RegOperation> operations;
  long r = CollectRegTree(key, &operations);
  if (r != platform::kErrorSuccess) return RegKeyFullName(key) + ": " + RegResultText(r);
  // A line break in a name cannot be written: the file would not read back.
  for (const RegOperation& op : operations) {
    const std::string& name = op.kind == formats::RegOpKind::CreateKey ? op.key.path : op.valueName;
    if (name.find_first_of("\r\n") != std::string::npos) {
      return formats::RegKeyFullName(op.key) + ": a name with a line break cannot be written to a registry file";
    }
  }
  std::error_code ec;
  if (!overwrite && std::filesystem::exists(file, ec)) {
    return "'" + file + "' already exists (/y overwrites it)";
  }
  std::vector<std::uint8_t> bytes = formats::WriteRegFile(operations);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return "cannot write '" + file + "'";
  return {};
}

}  // namespace korvane
