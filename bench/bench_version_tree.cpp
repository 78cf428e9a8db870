// The version report's reading work: walk a folder tree and read the sixteen
// version properties of every .dll, .ocx and .exe, writing them as one line a
// file (tab-separated), the same fields exiftool is asked for in the comparison.
//
// usage: bench_version_tree FOLDER

#include <cstdio>
#include <filesystem>
#include <string>

#include "inspection/clsFileInfo.h"

namespace {

bool IsComponent(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".dll" || ext == ".ocx" || ext == ".exe";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_version_tree FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  korvane::clsFileInfo info;
  std::string line;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(argv[1], fs::directory_options::skip_permission_denied, ec), end;
       it != end; it.increment(ec)) {
    if (ec || !it->is_regular_file(ec) || !IsComponent(it->path())) continue;
    const std::string path = it->path().string();
    info.SelectFile(path);
    line = path;
    for (const std::string* p :
         {&info.CompanyName, &info.FileDescription, &info.InternalName, &info.LegalCopyright, &info.LegalTrademarks,
          &info.OriginalFileName, &info.ProductName, &info.ProductVersion, &info.Comments, &info.StrucVerEx,
          &info.FileVerEx, &info.ProdVerEx, &info.FileFlagsEx, &info.FileOSEx, &info.FileTypeEx,
          &info.FileSubTypeEx}) {
      line += '\t';
      line += *p;
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}
