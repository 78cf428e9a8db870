#include "forms/TypeLibraryViewer.h"

#include <utility>

#include "common/UserPort.h"
#include "forms/WholeTextFile.h"
#include "platform/Process.h"
#include "platform/TypeLibFile.h"

namespace korvane::forms {

namespace {

std::string LastComponent(const std::string& path) {
  const std::size_t separator = path.find_last_of(std::string("/") + platform::kPathSeparator);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

TypeLibraryViewer::TypeLibraryViewer(TypeLibraryViewerView& view, IdlSource source)
    : view_(view), source_(std::move(source)) {}

MenuItemState TypeLibraryViewer::MenuItem(const std::string& inspectedFile) const {
  // Without a source of IDL there is nothing the item could show.
  return {kShowTypeLibraryItem, source_ && !TypeLibrariesOf(inspectedFile).empty()};
}

void TypeLibraryViewer::Show(const std::string& inspectedFile) {
  if (!source_) return;
  const std::vector<TypeLibraryEntry> entries = TypeLibrariesOf(inspectedFile);
  if (entries.empty()) return;
  std::size_t chosen = 0;
  if (entries.size() > 1) {
    std::vector<std::string> captions;
    for (const TypeLibraryEntry& entry : entries) captions.push_back(ChoiceCaption(entry));
    const std::optional<std::size_t> answer = view_.ChooseTypeLibrary(captions);
    if (!answer || *answer >= entries.size()) return;
    chosen = *answer;
  }
  const TypeLibraryEntry& entry = entries[chosen];
  formats::Expected<std::string> text = source_(entry.path);
  if (!text) {
    MsgBox("The type library " + entry.path + " could not be read: " + text.error().message, kMbIconError);
    return;
  }
  view_.ShowIdl({IdlWindowTitle(inspectedFile, entry, entries.size() > 1), std::move(*text), entry.name + ".idl"});
}

std::string IdlWindowTitle(const std::string& inspectedFile, const TypeLibraryEntry& entry, bool oneOfSeveral) {
  std::string title = LastComponent(platform::LocateTypeLib(inspectedFile).file);
  if (oneOfSeveral && entry.hasResourceId) title += platform::kPathSeparator + std::to_string(entry.resourceId);
  return title + " - " + entry.name;
}

bool SaveIdl(const IdlDocument& document, const std::string& path) {
  const platform::FileError error = SaveWholeText(path, document.text);
  if (error == platform::FileError::None) return true;
  MsgBox("The IDL could not be saved to " + path + ": " + FileErrorText(error) + ".", kMbIconError);
  return false;
}

}  // namespace korvane::forms
