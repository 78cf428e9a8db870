// The floor for the version report: walk a folder tree and read the first
// 4 KiB of every .dll, .ocx and .exe. No reader of version information can do
// less I/O per file than this.
//
// usage: bench_floor_read FOLDER   (prints the file count and a checksum)

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool IsComponent(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".dll" || ext == ".ocx" || ext == ".exe";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_floor_read FOLDER\n");
    return 2;
  }
  namespace fs = std::filesystem;
  std::size_t files = 0;
  unsigned checksum = 0;
  unsigned char buffer[4096];
  std::error_code ec;
  for (fs::recursive_directory_iterator it(argv[1], fs::directory_options::skip_permission_denied, ec), end;
       it != end; it.increment(ec)) {
    if (ec || !it->is_regular_file(ec) || !IsComponent(it->path())) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got > 0) checksum += buffer[got - 1];
    ++files;
  }
  std::printf("%zu files, checksum %u\n", files, checksum);
  return 0;
}
