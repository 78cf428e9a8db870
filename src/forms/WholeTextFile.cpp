#include "forms/WholeTextFile.h"

namespace korvane::forms {

namespace {

class PlatformTarget final : public TextFileTarget {
 public:
  platform::FileError Open(const std::string& path) override { return file_.Open(path); }
  platform::FileError Write(std::string_view data) override { return file_.Write(data); }
  platform::FileError Truncate(std::uint64_t size) override { return file_.Truncate(size); }
  void Close() override { file_.Close(); }

 private:
  platform::OutputFile file_;
};

}  // namespace

platform::FileError SaveWholeText(const std::string& path, std::string_view text) {
  PlatformTarget target;
  return SaveWholeText(target, path, text);
}

platform::FileError SaveWholeText(TextFileTarget& target, const std::string& path, std::string_view text) {
  platform::FileError error = target.Open(path);
  if (error != platform::FileError::None) return error;
  error = target.Write(text);
  // Part of the text may already be on disk: none of it stays.
  if (error != platform::FileError::None) target.Truncate(0);
  target.Close();
  return error;
}

const char* FileErrorText(platform::FileError error) {
  switch (error) {
    case platform::FileError::None: return "no error";
    case platform::FileError::PathNotFound: return "the folder does not exist";
    case platform::FileError::AccessDenied: return "access is denied";
    case platform::FileError::DiskFull: return "the disk is full";
    case platform::FileError::NotAFile: return "the name is taken by something that is not a file";
    case platform::FileError::IoError: break;
  }
  return "the device reported an error";
}

}  // namespace korvane::forms
