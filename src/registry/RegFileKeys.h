#pragma once
// Whole-key operations over the platform registry functions: reading every
// value of a key, listing sub-keys, deleting a tree, writing one value. Shared by
// the .reg import and export and by the `reg` command.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/RegFile.h"
#include "platform/Registry.h"
#include "registry/RegResult.h"

namespace korvane {

struct RegFileValue {
  std::string name;  // "" for the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

platform::HKey RegRootHandle(formats::RegRoot root);

// Whether the key opens: kErrorSuccess, kErrorFileNotFound, or the failure
// that kept the registry from answering.
long RegProbeKey(const formats::RegKeyName& key);
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
// Deletes the key with everything below it, or nothing when any of it may
// not be deleted.
long RegDeleteTree(const formats::RegKeyName& key);

// Visits the key and every key below it: each key before its sub-keys, the
// sub-keys in enumeration order. Without recursion, so a tree of any depth is
// walked. Stops at the first result of visit (or of listing) that is not
// kErrorSuccess and returns it.
long RegWalkTree(const formats::RegKeyName& top,
                 const std::function<long(const formats::RegKeyName&)>& visit);

}  // namespace korvane
