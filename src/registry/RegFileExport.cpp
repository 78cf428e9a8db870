#include "registry/RegFileExport.h"

#include <filesystem>

#include "formats/RegFileWriter.h"
#include "platform/UserFiles.h"
#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

namespace fs = std::filesystem;
using formats::RegKeyName;
using formats::RegOperation;

}  // namespace

long CollectRegTree(const RegKeyName& key, std::vector<RegOperation>* operations) {
  operations->clear();
  return RegWalkTree(key, [operations](const RegKeyName& at) {
    std::vector<RegFileValue> values;
    long r = RegReadValues(at, &values);
    if (r != platform::kErrorSuccess) return r;
    RegOperation create;
    create.kind = formats::RegOpKind::CreateKey;
    create.key = at;
    operations->push_back(create);
    for (RegFileValue& v : values) {
      RegOperation set;
      set.kind = formats::RegOpKind::SetValue;
      set.key = at;
      set.valueName = std::move(v.name);
      set.type = v.type;
      set.data = std::move(v.data);
      operations->push_back(std::move(set));
    }
    return platform::kErrorSuccess;
  });
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
  if (!overwrite && fs::exists(file, ec)) {
    return "'" + file + "' already exists (/y overwrites it)";
  }
  // Replaced only when whole: a failed write (a full disk, a size limit)
  // leaves an existing file as it was; a link is followed to its file.
  const std::vector<std::uint8_t> bytes = formats::WriteRegFile(operations);
  const formats::Expected<void> written = platform::ReplaceFile(
      file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), false);
  return written ? std::string() : written.error().message;
}

}  // namespace korvane
