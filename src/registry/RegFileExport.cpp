#include "registry/RegFileExport.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "formats/RegFileWriter.h"
#include "registry/RegFileKeys.h"

namespace korvane {

namespace {

namespace fs = std::filesystem;
using formats::RegKeyName;
using formats::RegOperation;

// A name for a new file beside target that nobody else would choose.
fs::path NewFileBeside(const fs::path& target) {
  std::random_device random;
  const auto tag = (static_cast<unsigned long long>(random()) << 32) | random();
  return fs::path(target).concat(".new-" + std::to_string(tag));
}

// Writes bytes as file: into a new file beside it that then takes its name,
// so that a failed write (a full disk, a size limit) leaves an existing file
// as it was. A link is followed to the file it names, which is the one replaced.
std::string WriteReplacing(const std::string& file, const std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  fs::path target = file;
  const bool existed = fs::exists(target, ec);
  if (existed) target = fs::canonical(target, ec);
  if (ec) return "cannot write '" + file + "': " + ec.message();
  const fs::path temporary = NewFileBeside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      return "cannot write '" + file + "'";
    }
  }
  // The replacement keeps the permissions the file had.
  if (existed) fs::permissions(temporary, fs::status(target, ec).permissions(), ec);
  fs::rename(temporary, target, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temporary, ec);
    return "cannot write '" + file + "': " + reason;
  }
  return {};
}

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
  return WriteReplacing(file, formats::WriteRegFile(operations));
}

}  // namespace korvane
