#include "forms/TypeLibraryChoices.h"

#include "platform/Process.h"
#include "platform/TypeLibFile.h"

namespace korvane::forms {

namespace {

// The entry for a path whose library header reads; false when it does not.
bool ReadEntry(const std::string& path, TypeLibraryEntry& entry) {
  const formats::Expected<formats::TypeLibAttributes> attributes = platform::ReadTypeLibFile(path);
  if (!attributes) return false;
  entry.path = path;
  entry.name = attributes->name;
  entry.majorVersion = attributes->majorVersion;
  entry.minorVersion = attributes->minorVersion;
  return true;
}

}  // namespace

std::vector<TypeLibraryEntry> TypeLibrariesOf(const std::string& path) {
  std::vector<TypeLibraryEntry> entries;
  if (path.empty()) return entries;
  const formats::TypeLibLocation where = platform::LocateTypeLib(path);
  TypeLibraryEntry entry;
  if (where.hasResourceId) {
    entry.hasResourceId = true;
    entry.resourceId = where.resourceId;
    if (ReadEntry(path, entry)) entries.push_back(entry);
    return entries;
  }
  const auto resources = platform::ListTypeLibResources(where.file);
  if (!resources) {
    // Not a PE image: a stand-alone library, or nothing.
    if (ReadEntry(path, entry)) entries.push_back(entry);
    return entries;
  }
  for (const formats::TypeLibResourceInfo& resource : *resources) {
    // A named resource has no "file\N" path to read it by.
    if (resource.isName) continue;
    TypeLibraryEntry numbered;
    numbered.hasResourceId = true;
    numbered.resourceId = resource.id;
    if (ReadEntry(where.file + platform::kPathSeparator + std::to_string(resource.id), numbered)) {
      entries.push_back(numbered);
    }
  }
  return entries;
}

std::string ChoiceCaption(const TypeLibraryEntry& entry) {
  std::string caption;
  if (entry.hasResourceId) caption = std::to_string(entry.resourceId) + ": ";
  return caption + entry.name + " " + std::to_string(entry.majorVersion) + "." +
         std::to_string(entry.minorVersion);
}

}  // namespace korvane::forms
