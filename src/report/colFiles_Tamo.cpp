#include "report/colFiles_Tamo.h"

#include "common/CarryOn.h"
#include "common/VbError.h"
#include "formats/TextCodec.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"

namespace korvane {

namespace {

constexpr long kErrDuplicateKey = 457;

std::string FoldKey(const std::string& key) { return formats::ToUpperAscii(key); }

// Progress steps are each tried on their own; a failing one changes nothing.
void Advance(LoadProgress* pb) {
  if (pb == nullptr) return;
  CarryOn("colFiles_Tamo", [&] { pb->SetValue(pb->Value() + 1); });
  CarryOn("colFiles_Tamo", [&] { pb->Refresh(); });
}

bool IsEveryName(const std::string& pattern) { return pattern == "*.*" || pattern == "*"; }

// One folder on the way down: its subfolders still to visit and, when the
// one listing served for both searches, its files.
struct Frame {
  std::size_t pathLength = 0;  // length of the folder path (with separator)
  std::string prefix;          // what the folder's files are prefixed with
  std::vector<std::string> subfolders;
  std::size_t next = 0;
  bool filesListed = false;
  std::vector<std::string> files;
  int entries = 0;  // entries of the listing, for the progress
};

}  // namespace

std::string EnsureSuffix(const std::string& text, const std::string& suffix) {
  if (text.size() >= suffix.size() &&
      text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return text;
  }
  return text + suffix;
}

std::int32_t colFiles_Tamo::LoadFiles(const std::string& sFileSpec, bool bRecursive,
                                      LoadProgress* pb) {
  struct DepthGuard {
    std::int32_t& depth;
    explicit DepthGuard(std::int32_t& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(depth_);
  if (depth_ == 1) Clear();
  Walk(sFileSpec, bRecursive, pb);
  return Count();
}

// Depth first with an explicit stack, so that the depth of a tree is limited
// by memory only. Each folder is listed once for its subfolders (before they
// are visited) and searched once more for its files (after them); when the
// pattern takes every name, the first listing serves for both.
void colFiles_Tamo::Walk(const std::string& sFileSpec, bool bRecursive, LoadProgress* pb) {
  const std::string sep(1, platform::kPathSeparator);
  const std::string pattern = GetPathPart(sFileSpec, kPartName | kPartExtension);
  const std::string specFolder = GetPathPart(sFileSpec, kPartFolder);
  std::string path = EnsureSuffix(specFolder, sep);
  platform::SearchContext context;  // keeps deep folders at hand during the walk
  // Only the kind of each entry matters here, which the listing tells without
  // reading each entry's status.

  // Each folder's search, the first one and every one below it, starts the
  // bar afresh for that folder; the value then runs on across folders.
  auto setUpBar = [&](const std::string& folderPattern) {
    if (pb == nullptr) return;
    CarryOn("colFiles_Tamo", [&] { pb->SetMin(0); });
    CarryOn("colFiles_Tamo", [&] { pb->SetValue(0); });
    CarryOn("colFiles_Tamo", [&] { pb->SetMax(CountMatches(folderPattern, &context) + 1); });
  };

  std::vector<platform::FindData> listed;
  std::vector<std::string> ahead;
  auto list = [&](Frame& frame) {
    if (!bRecursive) return;
    const bool reuse = IsEveryName(pattern) && frame.prefix.size() == path.size();
    auto take = [&](const platform::FindData& entry) {
      ++frame.entries;
      const bool folder = (entry.attributes & platform::kAttrDirectory) != 0;
      if (folder) {
        const bool link = (entry.attributes & platform::kAttrReparsePoint) != 0;
        if (!link && entry.name != "." && entry.name != "..") {
          frame.subfolders.push_back(entry.name);
        }
      } else if (reuse) {
        frame.files.push_back(entry.name);
      }
    };
    if (listings_ != nullptr && listings_->Take(path, listed)) {
      for (const platform::FindData& entry : listed) take(entry);
    } else {
      platform::FileSearch search(path + "*.*", &context, true);
      platform::FindData entry;
      while (search.Next(entry)) take(entry);
    }
    frame.filesListed = reuse;
    if (listings_ != nullptr && !frame.subfolders.empty()) {
      ahead.clear();
      for (const std::string& name : frame.subfolders) ahead.push_back(path + name + sep);
      listings_->Ahead(ahead);
    }
  };

  auto collectFiles = [&](const Frame& frame) {
    if (frame.filesListed) {
      for (const std::string& name : frame.files) {
        Append(std::make_shared<clsFile_Tamo>(frame.prefix + name), {});
      }
      for (int i = 0; i < frame.entries; ++i) Advance(pb);
      return;
    }
    platform::FileSearch search(frame.prefix + pattern, &context, true);
    platform::FindData entry;
    while (search.Next(entry)) {
      if ((entry.attributes & platform::kAttrDirectory) == 0) {
        Append(std::make_shared<clsFile_Tamo>(frame.prefix + entry.name), {});
      }
      Advance(pb);
    }
  };

  std::vector<Frame> stack;
  stack.emplace_back();
  stack.back().pathLength = path.size();
  stack.back().prefix = specFolder;
  setUpBar(sFileSpec);
  list(stack.back());
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < top.subfolders.size()) {
      path.resize(top.pathLength);
      path += top.subfolders[top.next++];
      path += sep;
      Frame child;
      child.pathLength = path.size();
      child.prefix = path;
      setUpBar(path + pattern);
      list(child);
      stack.push_back(std::move(child));
      continue;
    }
    path.resize(top.pathLength);
    collectFiles(top);
    stack.pop_back();
  }
}

void colFiles_Tamo::Clear() {
  items_.clear();
  keys_.clear();
  byKey_.clear();
}

void colFiles_Tamo::Append(FilePtr file, std::string foldedKey) {
  if (!foldedKey.empty()) byKey_.emplace(foldedKey, file);
  items_.push_back(std::move(file));
  keys_.push_back(std::move(foldedKey));
  if (onAdd_) onAdd_(Count(), items_.back()->sFileName());
}

colFiles_Tamo::FilePtr colFiles_Tamo::Add(const std::string& sFileName, const std::string& sKey) {
  auto file = std::make_shared<clsFile_Tamo>(sFileName);
  if (!sKey.empty()) {
    std::string folded = FoldKey(sKey);
    if (byKey_.count(folded) != 0) {
      throw VbError(kErrDuplicateKey, "colFiles_Tamo",
                    "This key is already associated with an element of this collection");
    }
    Append(file, std::move(folded));
  } else {
    std::string folded = FoldKey(sFileName);
    if (folded.empty()) {
      Append(file, {});
    } else if (byKey_.count(folded) == 0) {
      Append(file, std::move(folded));
    }
  }
  return file;
}

colFiles_Tamo::FilePtr colFiles_Tamo::Item(std::int32_t index) const {
  if (index < 1 || index > Count()) return nullptr;
  return items_[static_cast<std::size_t>(index - 1)];
}

colFiles_Tamo::FilePtr colFiles_Tamo::Item(const std::string& key) const {
  auto it = byKey_.find(FoldKey(key));
  return it == byKey_.end() ? nullptr : it->second;
}

void colFiles_Tamo::EraseAt(std::size_t pos) {
  if (!keys_[pos].empty()) byKey_.erase(keys_[pos]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(pos));
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(pos));
}

void colFiles_Tamo::Remove(std::int32_t index) {
  if (index < 1 || index > Count()) return;
  EraseAt(static_cast<std::size_t>(index - 1));
}

void colFiles_Tamo::Remove(const std::string& key) {
  std::string folded = FoldKey(key);
  if (folded.empty()) return;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == folded) {
      EraseAt(i);
      return;
    }
  }
}

}  // namespace korvane
