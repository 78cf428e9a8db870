#pragma once
// Whole-key operations over the platform registry functions: reading every
// value of a key, listing sub-keys, deleting a tree, writing one value. Shared by
// the .reg import and export and by the `reg` command.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/RegFile.h"
#include "platform/Registry.h"

namespace korvane {

struct RegFileValue {
  std::string name;  // "" for the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

platform::HKey RegRootHandle(formats::RegRoot root);

bool RegKeyExists(const formats::RegKeyName& key);
// Every value of the key in the registry's enumeration order; a result code.
long RegReadValues(const formats::RegKeyName& key, std::vector<RegFileValue>* values);
// One value (name "" for the default value); kErrorFileNotFound when missing.
long RegReadValue(const formats::RegKeyName& key, const std::string& name, RegFileValue* value);
// Names of the direct sub-keys in enumeration order.
long RegListSubKeys(const formats::RegKeyName& key, std::vector<std::string>* names);
// Creates the key path (when missing) and writes one value.
long RegWriteValue(const formats::RegKeyName& key, const std::string& name, std::uint32_t type,
                   const std::vector<std::uint8_t>& data);
long RegRemoveValue(const formats::RegKeyName& key, const std::string& name);
// Deletes the key with everything below it, deepest keys first.
long RegDeleteTree(const formats::RegKeyName& key);

// "the system cannot find the file specified (2)" style text for a result code.
std::string RegResultText(long code);

}  // namespace korvane
