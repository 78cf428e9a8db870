// The floor for the version report: walk a folder tree and read the first
// 4 KiB of every .dll, .ocx and .exe. No reader of version information can do
// less I/O per file than this.
//
// usage: bench_floor_read FOLDER   (prints the file count and a checksum)

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "ComponentTree.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_floor_read FOLDER\n");
    return 2;
  }
  std::size_t files = 0;
  unsigned checksum = 0;
  unsigned char buffer[4096];
  bench::ForEachComponent(argv[1], [&](const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got > 0) checksum += buffer[got - 1];
    ++files;
  });
  std::printf("%zu files, checksum %u\n", files, checksum);
  return 0;
}
