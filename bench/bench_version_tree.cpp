// The version report's reading work: walk a folder tree and read the sixteen
// version properties of every .dll, .ocx and .exe, writing them as one line a
// file (tab-separated), the same fields exiftool is asked for in the comparison.
//
// usage: bench_version_tree FOLDER

#include <cstdio>
#include <string>

#include "ComponentTree.h"
#include "inspection/clsFileInfo.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_version_tree FOLDER\n");
    return 2;
  }
  korvane::clsFileInfo info;
  std::string line;
  bench::ForEachComponent(argv[1], [&](const std::filesystem::path& file) {
    const std::string path = file.string();
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
  });
  return 0;
}
