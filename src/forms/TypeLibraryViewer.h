#pragma once
// The info grid's "Show type library..." item without a toolkit: whether it
// is enabled for the inspected file, the choice among several libraries, the
// IDL text and the title of its window, and saving that text.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/Expected.h"
#include "forms/TypeLibraryChoices.h"

namespace korvane::forms {

inline constexpr const char* kShowTypeLibraryItem = "Show type library...";
inline constexpr const char* kIdlFileFilter = "IDL files (*.idl)|*.idl|All files(*.*)|*.*";

// The IDL of one library as its window shows and saves it.
struct IdlDocument {
  std::string title;          // "file.dll - Library"
  std::string text;
  std::string suggestedFile;  // the name the Save As dialog starts with
};

// Reads the library a path names ("file" or "file<separator>id") and writes
// it as IDL.
using IdlSource = std::function<formats::Expected<std::string>(const std::string& path)>;

// What the item asks of a toolkit.
class TypeLibraryViewerView {
 public:
  // The index of the chosen caption, or nothing when the choice was cancelled.
  virtual std::optional<std::size_t> ChooseTypeLibrary(const std::vector<std::string>& captions) = 0;
  // Opens a read-only window onto the document.
  virtual void ShowIdl(const IdlDocument& document) = 0;

 protected:
  ~TypeLibraryViewerView() = default;
};

struct MenuItemState {
  std::string caption;
  bool enabled = false;
};

class TypeLibraryViewer {
 public:
  TypeLibraryViewer(TypeLibraryViewerView& view, IdlSource source);

  // The item for the file the info grid shows (empty when none).
  MenuItemState MenuItem(const std::string& inspectedFile) const;
  // The item's handler: choose when there are several, read, show. A library
  // that cannot be read is reported in a message box.
  void Show(const std::string& inspectedFile);

 private:
  TypeLibraryViewerView& view_;
  IdlSource source_;
};

// The window's caption for a library of a file: the file's name (with the
// resource id when the file holds more than one library) and the library's.
std::string IdlWindowTitle(const std::string& inspectedFile, const TypeLibraryEntry& entry, bool oneOfSeveral);

// Save As: writes the text whole or not at all; a failure is reported in a
// message box and gives false.
bool SaveIdl(const IdlDocument& document, const std::string& path);

}  // namespace korvane::forms
