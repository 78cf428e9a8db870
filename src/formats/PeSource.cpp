#include "formats/PeSource.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvane::formats {

PeSource::~PeSource() {
#ifndef _WIN32
  if (fd_ >= 0) ::close(fd_);
#else
  if (fd_ >= 0) ::_close(fd_);
#endif
}

bool PeSource::OpenFile(const std::string& path) {
#ifndef _WIN32
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size_ = static_cast<std::uint64_t>(st.st_size);
#else
  fd_ = ::_open(path.c_str(), _O_RDONLY | _O_BINARY);
  if (fd_ < 0) return false;
  struct _stat64 st {};
  if (::_fstat64(fd_, &st) != 0) return false;
  size_ = static_cast<std::uint64_t>(st.st_size);
#endif
  return true;
}

void PeSource::OpenBytes(std::span<const std::uint8_t> bytes) {
  bytes_.assign(bytes.begin(), bytes.end());
  size_ = bytes_.size();
}

bool PeSource::ReadDirect(std::uint64_t offset, void* dst, std::uint64_t length) const {
  auto* out = static_cast<std::uint8_t*>(dst);
  while (length > 0) {
#ifndef _WIN32
    const ssize_t got = ::pread(fd_, out, static_cast<std::size_t>(length), static_cast<off_t>(offset));
#else
    if (::_lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) < 0) return false;
    const int chunk = length > (1u << 30) ? (1 << 30) : static_cast<int>(length);
    const int got = ::_read(fd_, out, static_cast<unsigned>(chunk));
#endif
    if (got <= 0) return false;
    out += got;
    offset += static_cast<std::uint64_t>(got);
    length -= static_cast<std::uint64_t>(got);
  }
  return true;
}

const std::uint8_t* PeSource::Page(std::uint64_t index) const {
  if (index == lastIndex_) return lastPage_;
  auto found = pages_.find(index);
  if (found == pages_.end()) {
    if (pages_.size() >= kMaxCachedPages) return nullptr;
    const std::uint64_t start = index * kPageSize;
    const std::uint64_t length = std::min(kPageSize, size_ - start);
    auto page = std::make_unique<std::uint8_t[]>(kPageSize);
    if (!ReadDirect(start, page.get(), length)) return nullptr;
    found = pages_.emplace(index, std::move(page)).first;
  }
  lastIndex_ = index;
  lastPage_ = found->second.get();
  return lastPage_;
}

bool PeSource::Read(std::uint64_t offset, void* dst, std::uint64_t length) const {
  if (offset > size_ || length > size_ - offset) return false;
  if (length == 0) return true;
  if (fd_ < 0) {
    std::memcpy(dst, bytes_.data() + offset, static_cast<std::size_t>(length));
    return true;
  }
  // Large reads (resource bytes) bypass the page cache.
  if (length > kPageSize) return ReadDirect(offset, dst, length);
  auto* out = static_cast<std::uint8_t*>(dst);
  while (length > 0) {
    const std::uint8_t* page = Page(offset / kPageSize);
    if (page == nullptr) return false;
    const std::uint64_t within = offset % kPageSize;
    const std::uint64_t take = std::min(length, kPageSize - within);
    std::memcpy(out, page + within, static_cast<std::size_t>(take));
    out += take;
    offset += take;
    length -= take;
  }
  return true;
}

bool PeSource::U16(std::uint64_t offset, std::uint16_t& value) const {
  std::uint8_t b[2];
  if (!Read(offset, b, 2)) return false;
  value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool PeSource::U32(std::uint64_t offset, std::uint32_t& value) const {
  std::uint8_t b[4];
  if (!Read(offset, b, 4)) return false;
  value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
          (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return true;
}

}  // namespace korvane::formats
