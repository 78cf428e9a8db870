#include "registry/clsRegistry.h"

#include "common/CarryOn.h"
#include "platform/Registry.h"
#include "registry/ProgramName.h"
#include "registry/RegResult.h"
#include "registry/SectionEnumerator.h"

namespace korvane {

namespace {

using platform::HKey;

// Access masks the class asks for.
constexpr std::uint32_t kQueryAccess = platform::kKeyQueryValue;
constexpr std::uint32_t kEnumerateAccess = platform::kKeyEnumerateSubKeys;
constexpr std::uint32_t kWriteAccess = platform::kKeyAllSpecific;

// Buffer for one sub-key name in characters: 255 characters and the NUL, so
// that names of the full permitted length are listed too.
constexpr std::uint32_t kSectionNameBuffer = 256;

SectionEnumerator g_sectionEnumerator = nullptr;

long PlatformEnumKey(std::uintptr_t key, std::uint32_t index, std::string* name,
                     std::uint32_t maxChars) {
  return platform::RegEnumKey(key, index, name, maxChars);
}

// Closes the key it holds when the operation ends, however it ends.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (key_ != 0) platform::RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKey* out() { return &key_; }
  HKey get() const { return key_; }

 private:
  HKey key_ = 0;
};

HKey Root(std::int32_t classKey) { return static_cast<HKey>(static_cast<std::uint32_t>(classKey)); }

// True when text holds a percent sign followed, one character or more later,
// by another: the text then refers to the environment.
bool RefersToEnvironment(const std::string& text) {
  const std::size_t first = text.find('%');
  return first != std::string::npos && first + 2 < text.size() &&
         text.find('%', first + 2) != std::string::npos;
}

std::int32_t LittleEndian(const std::uint8_t* b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) |
                                   static_cast<std::uint32_t>(b[1]) << 8 |
                                   static_cast<std::uint32_t>(b[2]) << 16 |
                                   static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t ReverseBytes(std::int32_t x) {
  const auto u = static_cast<std::uint32_t>(x);
  return static_cast<std::int32_t>((u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) |
                                   (u << 24));
}

std::string ExpandEnvironment(const std::string& s) {
  const std::uint32_t needed = platform::ExpandEnvironmentStrings(s, nullptr);
  std::string expanded;
  platform::ExpandEnvironmentStrings(s, &expanded);
  expanded.resize(needed > 0 ? needed - 1 : 0);
  return expanded;
}

// The data of a string value: n bytes read, the last one (its NUL) dropped.
std::string ReadString(HKey key, const std::string& name, std::uint32_t n) {
  if (n == 0) return {};
  std::string buffer(n, '\0');
  std::uint32_t size = n;
  std::uint32_t type = 0;
  platform::RegQueryValueEx(key, name, &type, reinterpret_cast<std::uint8_t*>(buffer.data()),
                            &size);
  buffer.resize(n - 1);
  return buffer;
}

std::int32_t ReadDword(HKey key, const std::string& name) {
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  std::uint32_t type = 0;
  if (platform::RegQueryValueEx(key, name, &type, bytes, &size) != platform::kErrorSuccess) {
    return 0;
  }
  return LittleEndian(bytes);
}

std::vector<std::uint8_t> ReadBytes(HKey key, const std::string& name, std::uint32_t n) {
  std::vector<std::uint8_t> bytes(n);
  std::uint32_t size = n;
  std::uint32_t type = 0;
  if (n > 0) platform::RegQueryValueEx(key, name, &type, bytes.data(), &size);
  return bytes;
}

}  // namespace

void SetSectionEnumeratorForTesting(SectionEnumerator enumerator) {
  g_sectionEnumerator = enumerator;
}

SectionEnumerator CurrentSectionEnumerator() {
  return g_sectionEnumerator != nullptr ? g_sectionEnumerator : &PlatformEnumKey;
}

clsRegistry::clsRegistry() = default;

void clsRegistry::RecordError(long number, const std::string& description) {
  errors_.emplace_back(number, ProgramName() + ".cRegistry", description);
  lastError_ = errors_.back();
}

long clsRegistry::Checked(long result) {
  if (IsRegistryUnreadable(result)) {
    registryFailure_.emplace(result, ProgramName() + ".cRegistry", RegResultText(result));
  }
  return result;
}

std::string clsRegistry::KeyText() const {
  return std::to_string(classKey_) + "',Section: '" + sectionKey_;
}

bool clsRegistry::KeyExists() {
  BeginOperation();
  try {
    OpenKey key;
    return Checked(platform::RegOpenKeyEx(Root(classKey_), sectionKey_, kQueryAccess,
                                          key.out())) == platform::kErrorSuccess;
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
    return false;
  }
}

bool clsRegistry::CreateKey() {
  BeginOperation();
  try {
    OpenKey key;
    if (Checked(platform::RegCreateKeyEx(Root(classKey_), sectionKey_, kWriteAccess,
                                         key.out())) == platform::kErrorSuccess) {
      return true;
    }
    RecordError(kRegistryFailure, "Failed to create registry Key: '" + sectionKey_);
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
  }
  return false;
}

bool clsRegistry::DeleteKey() {
  BeginOperation();
  try {
    if (Checked(platform::RegDeleteKey(Root(classKey_), sectionKey_)) == platform::kErrorSuccess) {
      return true;
    }
    RecordError(kRegistryFailure, "Failed to delete registry Key: '" + KeyText());
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
  }
  return false;
}

bool clsRegistry::DeleteValue() {
  BeginOperation();
  try {
    OpenKey key;
    if (Checked(platform::RegOpenKeyEx(Root(classKey_), sectionKey_, kWriteAccess,
                                       key.out())) != platform::kErrorSuccess) {
      RecordError(kRegistryFailure, "Failed to open key '" + KeyText() + "' for delete access");
      return false;
    }
    if (Checked(platform::RegDeleteValue(key.get(), valueKey_)) != platform::kErrorSuccess) {
      RecordError(kRegistryFailure,
                  "Failed to delete registry Key: '" + KeyText() + "',Key: '" + valueKey_);
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
    return false;
  }
}

RegValue clsRegistry::Value() {
  BeginOperation();
  try {
    OpenKey key;
    // Not tested: without a key the query below fails and Default is returned.
    Checked(platform::RegOpenKeyEx(Root(classKey_), sectionKey_, kQueryAccess, key.out()));
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const long rc =
        Checked(platform::RegQueryValueEx(key.get(), valueKey_, &type, nullptr, &size));
    if (rc != platform::kErrorSuccess && rc != platform::kErrorMoreData) return default_;
    valueType_ = static_cast<std::int32_t>(type);
    switch (type) {
      case platform::kRegSz:
      case platform::kRegMultiSz:
        return ReadString(key.get(), valueKey_, size);
      case platform::kRegExpandSz:
        return ExpandEnvironment(ReadString(key.get(), valueKey_, size));
      case platform::kRegDword:
        return ReadDword(key.get(), valueKey_);
      case platform::kRegDwordBigEndian:
        return ReverseBytes(ReadDword(key.get(), valueKey_));
      default:
        return ReadBytes(key.get(), valueKey_, size);
    }
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
    return default_;
  }
}

void clsRegistry::SetValue(const RegValue& vValue) {
  BeginOperation();
  try {
    const std::string failure = "Failed to set registry value Key: '" + KeyText() + "',Key: '" +
                                valueKey_ + "' to value: '" + RegValueToString(vValue) + "'";
    OpenKey key;
    if (Checked(platform::RegCreateKeyEx(Root(classKey_), sectionKey_, kWriteAccess,
                                         key.out())) != platform::kErrorSuccess) {
      RecordError(kRegistryFailure, failure);
      return;
    }
    long rc = platform::kErrorSuccess;
    switch (static_cast<std::uint32_t>(valueType_)) {
      case platform::kRegSz:
      case platform::kRegExpandSz: {
        const std::string text = RegValueToString(vValue);
        const std::uint32_t type =
            RefersToEnvironment(text) ? platform::kRegExpandSz : platform::kRegSz;
        rc = platform::RegSetValueEx(key.get(), valueKey_, type,
                                     reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                     static_cast<std::uint32_t>(text.size() + 1));
        break;
      }
      case platform::kRegBinary:
        if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&vValue)) {
          rc = platform::RegSetValueEx(key.get(), valueKey_, platform::kRegBinary, bytes->data(),
                                       static_cast<std::uint32_t>(bytes->size()));
        } else {
          // Not written; recorded, but the write as such did not fail.
          RecordError(kRegistryFailure, kObjectDefinedError);
        }
        break;
      case platform::kRegDword:
      case platform::kRegDwordBigEndian: {
        std::int32_t number = 0;
        if (const auto* i16 = std::get_if<std::int16_t>(&vValue)) {
          number = *i16;
        } else if (const auto* i32 = std::get_if<std::int32_t>(&vValue)) {
          number = *i32;
        } else {
          break;  // not a number: nothing written, nothing recorded
        }
        const auto u = static_cast<std::uint32_t>(number);
        const std::uint8_t data[4] = {
            static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
        // Always stored in the machine's own (little-endian) order.
        rc = platform::RegSetValueEx(key.get(), valueKey_, platform::kRegDword, data, 4);
        break;
      }
      default:
        rc = platform::kErrorInvalidData;
        break;
    }
    if (Checked(rc) != platform::kErrorSuccess) RecordError(kRegistryWriteFailed, failure);
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
  }
}

bool clsRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) {
  BeginOperation();
  iKeyCount = 0;
  sKeyNames.clear();
  try {
    OpenKey key;
    if (Checked(platform::RegOpenKeyEx(Root(classKey_), sectionKey_, kQueryAccess,
                                       key.out())) != platform::kErrorSuccess) {
      return true;
    }
    platform::RegKeyInfo info;
    if (Checked(platform::RegQueryInfoKey(key.get(), &info)) != platform::kErrorSuccess) {
      return true;
    }
    std::string name;
    long rc;
    for (std::uint32_t i = 0; (rc = platform::RegEnumValue(key.get(), i, &name,
                                                           info.maxValueNameLen + 1)) ==
                              platform::kErrorSuccess;
         ++i) {
      ++iKeyCount;
      sKeyNames.resize(static_cast<std::size_t>(iKeyCount) + 1);
      sKeyNames.back() = name;
    }
    Checked(rc);
  } catch (const std::exception& e) {
    RecordSkipped("clsRegistry", e.what());
  }
  return true;
}

bool clsRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) {
  BeginOperation();
  iSectCount = 0;
  sSect.clear();
  OpenKey key;
  if (Checked(platform::RegOpenKeyEx(Root(classKey_), sectionKey_, kEnumerateAccess,
                                     key.out())) != platform::kErrorSuccess) {
    return true;
  }
  std::string description;
  try {
    const SectionEnumerator enumerate = CurrentSectionEnumerator();
    std::string name;
    long rc;
    for (std::uint32_t i = 0;
         (rc = enumerate(key.get(), i, &name, kSectionNameBuffer)) == platform::kErrorSuccess;
         ++i) {
      ++iSectCount;
      sSect.resize(static_cast<std::size_t>(iSectCount) + 1);
      sSect.back() = name.substr(0, name.find('\0'));
    }
    Checked(rc);
    return true;
  } catch (const VbError& e) {
    description = e.Description();
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
    description = kObjectDefinedError;
  }
  // The one failure handed to the caller; the key closes on the way out.
  RecordError(kRegistryEnumerationFailed, description);
  throw *lastError_;
}

}  // namespace korvane
