#include "formats/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/LittleEndian.h"

namespace korvane::formats {

Expected<void> ByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
  const std::uint64_t size = Size();
  if (offset > size || out.size() > size - offset) {
    return MakeError(ErrorKind::kOutOfRange, std::to_string(out.size()) + " bytes at offset " +
                                                 std::to_string(offset) + " of " + std::to_string(size));
  }
  if (out.empty()) return {};
  return ReadInside(offset, out);
}

Expected<std::uint16_t> ByteSource::U16(std::uint64_t offset) const {
  std::uint8_t b[2];
  if (auto read = Read(offset, b); !read) return read.error();
  return LoadU16(b);
}

Expected<std::uint32_t> ByteSource::U32(std::uint64_t offset) const {
  std::uint8_t b[4];
  if (auto read = Read(offset, b); !read) return read.error();
  return LoadU32(b);
}

Expected<std::vector<std::uint8_t>> ReadWhole(const ByteSource& source, std::uint64_t limit) {
  if (source.Size() > limit) {
    return MakeError(ErrorKind::kTooLarge, std::to_string(source.Size()) + " bytes, at most " +
                                               std::to_string(limit) + " are read");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Size()));
  if (auto read = source.Read(0, bytes); !read) return read.error();
  return bytes;
}

Expected<void> MemorySource::ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return {};
}

PagedSource::PagedSource(std::unique_ptr<ByteSource> inner) : inner_(std::move(inner)), size_(inner_->Size()) {}

const std::uint8_t* PagedSource::Page(std::uint64_t index) const {
  auto found = pages_.find(index);
  if (found != pages_.end()) return found->second.get();
  if (pages_.size() >= kMaxCachedPages) return nullptr;
  const std::uint64_t start = index * kPageSize;
  const std::uint64_t length = std::min(kPageSize, size_ - start);
  auto page = std::make_unique<std::uint8_t[]>(kPageSize);
  if (!inner_->Read(start, std::span(page.get(), static_cast<std::size_t>(length)))) return nullptr;
  return pages_.emplace(index, std::move(page)).first->second.get();
}

Expected<void> PagedSource::ReadInside(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (out.size() > kPageSize) return inner_->Read(offset, out);
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    const std::uint64_t within = at % kPageSize;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(out.size() - done, kPageSize - within));
    const std::uint8_t* page = Page(at / kPageSize);
    if (page == nullptr) {
      // A full cache or a failed page read: read the piece itself, which
      // reports the inner source's own error.
      if (auto read = inner_->Read(at, out.subspan(done, take)); !read) return read;
    } else {
      std::memcpy(out.data() + done, page + within, take);
    }
    done += take;
  }
  return {};
}

}  // namespace korvane::formats
