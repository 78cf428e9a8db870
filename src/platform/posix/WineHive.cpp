#include "platform/posix/WineHive.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "formats/WineRegistryFile.h"
#include "platform/posix/RegistryNames.h"

namespace korvane::platform::posix {

namespace {

// Offsets into the shared buffers are 32-bit: three files at their size limit
// stay below it, and a reading that would not is refused, never cut.
constexpr std::size_t kMaxBufferBytes = std::numeric_limits<std::uint32_t>::max();

// A backslash sorts before every other character, so that a path's
// descendants follow it with nothing between ("A", "A\B", "A!"...).
unsigned Rank(char c) { return c == '\\' ? 0u : static_cast<unsigned char>(c) + 1u; }

bool PathLess(std::string_view a, std::string_view b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (ia == a.end()) return ib != b.end();
  if (ib == b.end()) return false;
  return Rank(*ia) < Rank(*ib);
}

// The first name of a path.
std::string_view Head(std::string_view path) { return path.substr(0, path.find('\\')); }

// The first name of path[from..] against name, as string comparison orders
// them: negative, zero or positive. Past the path's end counts as empty.
int CompareHead(std::string_view path, std::size_t from, std::string_view name) {
  const char* p = path.data() + std::min(from, path.size());
  const char* const end = path.data() + path.size();
  for (const char c : name) {
    if (p == end || *p == '\\') return -1;
    if (*p != c) return static_cast<unsigned char>(*p) < static_cast<unsigned char>(c) ? -1 : 1;
    ++p;
  }
  return p == end || *p == '\\' ? 0 : 1;
}

}  // namespace

class WineHive::Builder final : public formats::WineRegistrySink {
 public:
  Builder(WineHive& hive, const std::string& under, WineHiveFile& file)
      : hive_(hive), under_(under), file_(file) {}

  void Root(std::string relativeTo) override { file_.relativeTo = std::move(relativeTo); }
  void Arch(std::string arch) override { file_.arch = std::move(arch); }
  void Key(std::string path, int /*line*/) override { AddKey(under_.empty() ? path : under_ + "\\" + path); }
  void Link() override { hive_.entries_.back().link = true; }

  void Value(formats::WineRegValue value) override {
    Entry& key = hive_.entries_.back();
    const std::string fold = FoldName(value.name);
    const std::uint32_t data = PutData(value.data);
    for (std::uint32_t i = key.values; i < key.values + key.valueCount; ++i) {
      WineHive::Value& have = hive_.values_[i];
      if (hive_.Text(have.fold, have.foldLength) == fold) {
        // Written twice in one key: the later data counts.
        have.type = value.type;
        have.data = data;
        have.dataLength = static_cast<std::uint32_t>(value.data.size());
        return;
      }
    }
    WineHive::Value v;
    v.name = Put(value.name);
    v.nameLength = static_cast<std::uint32_t>(value.name.size());
    v.fold = fold == value.name ? v.name : Put(fold);
    v.foldLength = static_cast<std::uint32_t>(fold.size());
    v.type = value.type;
    v.data = data;
    v.dataLength = static_cast<std::uint32_t>(value.data.size());
    hive_.values_.push_back(v);
    ++key.valueCount;
  }

  void AddKey(std::string_view path) {
    Entry e;
    const std::string fold = FoldName(path);
    e.name = Put(path);
    e.nameLength = static_cast<std::uint32_t>(path.size());
    e.fold = fold == path ? e.name : Put(fold);
    e.foldLength = static_cast<std::uint32_t>(fold.size());
    e.values = static_cast<std::uint32_t>(hive_.values_.size());
    hive_.entries_.push_back(e);
  }

  bool Overflowed() const { return overflow_; }

 private:
  std::uint32_t Put(std::string_view text) {
    if (hive_.text_.size() + text.size() > kMaxBufferBytes) {
      overflow_ = true;
      return 0;
    }
    const auto at = static_cast<std::uint32_t>(hive_.text_.size());
    hive_.text_.append(text);
    return at;
  }
  std::uint32_t PutData(const std::vector<std::uint8_t>& data) {
    if (hive_.data_.size() + data.size() > kMaxBufferBytes) {
      overflow_ = true;
      return 0;
    }
    const auto at = static_cast<std::uint32_t>(hive_.data_.size());
    hive_.data_.insert(hive_.data_.end(), data.begin(), data.end());
    return at;
  }

  WineHive& hive_;
  const std::string& under_;
  WineHiveFile& file_;
  bool overflow_ = false;
};

formats::Expected<WineHiveFile> WineHive::Add(std::span<const std::uint8_t> bytes, const std::string& under) {
  WineHiveFile file;
  Builder builder(*this, under, file);
  // Room for the paths as written and folded; pages never written to cost
  // no memory, and the buffers need not grow (and be copied) while reading.
  text_.reserve(text_.size() + 2 * bytes.size());
  data_.reserve(data_.size() + bytes.size());
  if (!under.empty()) builder.AddKey(under);
  if (auto read = formats::ReadWineRegistryFile(bytes, builder); !read) return read.error();
  if (builder.Overflowed()) {
    return formats::Error{formats::ErrorKind::kTooLarge, "the registry is too large to hold", 0};
  }
  return file;
}

void WineHive::Finish() {
  std::stable_sort(entries_.begin(), entries_.end(),
                   [&](const Entry& a, const Entry& b) { return PathLess(Fold(a), Fold(b)); });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries_.size();) {
    std::size_t j = i + 1;
    while (j < entries_.size() && Fold(entries_[j]) == Fold(entries_[i])) ++j;
    Entry e = entries_[i];
    if (j - i > 1) MergeSame(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j), e);
    entries_[kept++] = e;
    i = j;
  }
  entries_.resize(kept);
}

void WineHive::MergeSame(std::uint32_t from, std::uint32_t to, Entry& into) {
  std::vector<Value> merged;
  for (std::uint32_t k = from; k < to; ++k) {
    const Entry& e = entries_[k];
    into.link = into.link || e.link;
    for (std::uint32_t i = e.values; i < e.values + e.valueCount; ++i) {
      const Value& v = values_[i];
      auto same = std::find_if(merged.begin(), merged.end(), [&](const Value& have) {
        return Text(have.fold, have.foldLength) == Text(v.fold, v.foldLength);
      });
      if (same == merged.end()) {
        merged.push_back(v);
      } else {
        same->type = v.type;
        same->data = v.data;
        same->dataLength = v.dataLength;
      }
    }
  }
  into.values = static_cast<std::uint32_t>(values_.size());
  into.valueCount = static_cast<std::uint32_t>(merged.size());
  values_.insert(values_.end(), merged.begin(), merged.end());
}

WineKey WineHive::Root() const { return WineKey{this, 0, static_cast<std::uint32_t>(entries_.size()), 0, 0}; }

const WineHive::Entry* WineHive::Own(const WineKey& key) const {
  if (!key.Exists() || key.level == 0 || key.first >= key.end) return nullptr;
  const Entry& e = entries_[key.first];
  return e.foldLength + 1 == key.foldAt ? &e : nullptr;
}

WineKey WineHive::Child(const WineKey& key, std::string_view fold) const {
  if (!key.Exists()) return {};
  const auto begin = entries_.begin() + FirstChild(key);
  const auto end = entries_.begin() + key.end;
  const auto lo =
      std::partition_point(begin, end, [&](const Entry& e) { return CompareHead(Fold(e), key.foldAt, fold) < 0; });
  const auto hi =
      std::partition_point(lo, end, [&](const Entry& e) { return CompareHead(Fold(e), key.foldAt, fold) == 0; });
  if (lo == hi) return {};
  return WineKey{this, static_cast<std::uint32_t>(lo - entries_.begin()),
                 static_cast<std::uint32_t>(hi - entries_.begin()),
                 key.foldAt + static_cast<std::uint32_t>(fold.size()) + 1, key.level + 1};
}

std::uint32_t WineHive::FirstChild(const WineKey& key) const {
  if (!key.Exists()) return 0;
  return key.first + (Own(key) != nullptr ? 1 : 0);
}

std::uint32_t WineHive::NextChild(const WineKey& key, std::uint32_t at) const {
  const std::string_view head = ChildFold(key, at);
  const auto next = std::partition_point(entries_.begin() + at, entries_.begin() + key.end,
                                         [&](const Entry& e) { return CompareHead(Fold(e), key.foldAt, head) == 0; });
  return static_cast<std::uint32_t>(next - entries_.begin());
}

std::string_view WineHive::ChildFold(const WineKey& key, std::uint32_t at) const {
  const std::string_view fold = Fold(entries_[at]);
  return Head(fold.substr(std::min<std::size_t>(key.foldAt, fold.size())));
}

std::string_view WineHive::ChildName(const WineKey& key, std::uint32_t at) const {
  // Folding keeps the backslashes: the name is the one at the same place.
  const Entry& e = entries_[at];
  const std::string_view path = Text(e.name, e.nameLength);
  std::size_t start = 0;
  for (std::uint32_t i = 0; i < key.level; ++i) start = path.find('\\', start) + 1;
  return Head(path.substr(start));
}

bool WineHive::IsLink(const WineKey& key) const {
  const Entry* e = Own(key);
  return e != nullptr && e->link;
}

std::uint32_t WineHive::ValueCount(const WineKey& key) const {
  const Entry* e = Own(key);
  return e == nullptr ? 0 : e->valueCount;
}

WineValue WineHive::ValueAt(const WineKey& key, std::uint32_t index) const {
  const Value& v = values_[Own(key)->values + index];
  return WineValue{Text(v.name, v.nameLength), v.type,
                   std::span<const std::uint8_t>(data_.data() + v.data, v.dataLength)};
}

bool WineHive::FindValue(const WineKey& key, std::string_view fold, WineValue* value) const {
  const Entry* e = Own(key);
  if (e == nullptr) return false;
  for (std::uint32_t i = 0; i < e->valueCount; ++i) {
    const Value& v = values_[e->values + i];
    if (Text(v.fold, v.foldLength) == fold) {
      *value = ValueAt(key, i);
      return true;
    }
  }
  return false;
}

}  // namespace korvane::platform::posix
