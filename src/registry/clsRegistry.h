#pragma once
// The program's one way into the registry: set ClassKey, SectionKey, ValueKey
// (and ValueType for writes), then read a property or call a method. Nothing
// is kept open between calls.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/VbError.h"
#include "registry/RegValue.h"

namespace korvane {

class clsRegistry {
 public:
  clsRegistry();

  bool KeyExists();
  bool CreateKey();
  bool DeleteKey();
  bool DeleteValue();
  RegValue Value();
  void SetValue(const RegValue& vValue);
  // Fill 1-based arrays: element 0 is unused, elements 1..count hold the names.
  bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount);
  bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount);
  void CreateShellAssociation(const std::string& sExePath, const std::string& sAssociation);
  void RemoveShellAssociation(const std::string& sExePath, const std::string& sAssociation);

  std::int32_t ValueType() const { return valueType_; }
  void SetValueType(std::int32_t eValueType) { valueType_ = eValueType; }
  std::int32_t ClassKey() const { return classKey_; }
  void SetClassKey(std::int32_t eKey) { classKey_ = eKey; }
  const std::string& SectionKey() const { return sectionKey_; }
  void SetSectionKey(const std::string& sSectionKey) { sectionKey_ = sSectionKey; }
  const std::string& ValueKey() const { return valueKey_; }
  void SetValueKey(const std::string& sValueKey) { valueKey_ = sValueKey; }
  const RegValue& Default() const { return default_; }
  void SetDefault(const RegValue& vDefault) { default_ = vDefault; }

  // The most recently recorded error (number, source, description), if any.
  const std::optional<VbError>& LastError() const { return lastError_; }
  // Every error recorded by this object, oldest first.
  const std::vector<VbError>& Errors() const { return errors_; }
  // Set by an operation that found the registry itself unreadable (its store
  // corrupt, or impossible to open): the operation's result then follows the
  // usual rules (KeyExists false, a read gives Default) but says nothing about
  // the key. Numbered by the registry's result code and not one of the
  // recorded errors above; the next operation clears it.
  const std::optional<VbError>& RegistryFailure() const { return registryFailure_; }

 private:
  // Starts an operation: no registry failure seen yet.
  void BeginOperation() { registryFailure_.reset(); }
  // Returns a registry function's result, keeping it as the registry
  // failure when it says the registry could not be read.
  long Checked(long result);
  // Keeps an error as the last one and adds it to the list.
  void RecordError(long number, const std::string& description);
  // <ClassKey>',Section: '<SectionKey> - the middle of most error texts.
  std::string KeyText() const;

  std::int32_t valueType_ = 0;
  std::int32_t classKey_ = 0;
  std::string sectionKey_;
  std::string valueKey_;
  RegValue default_;
  std::optional<VbError> lastError_;
  std::vector<VbError> errors_;
  std::optional<VbError> registryFailure_;
};

// Numbers of the errors the class records.
inline constexpr long kObjectErrorBase = -2147221504;  // 0x80040000
inline constexpr long kRegistryFailure = 26001;
inline constexpr long kRegistryWriteFailed = kObjectErrorBase + 27049;
inline constexpr long kRegistryEnumerationFailed = kObjectErrorBase + 27050;
// Description of an error raised without one of its own.
inline constexpr const char* kObjectDefinedError = "Application-defined or object-defined error";

// The root key handle value of HKEY_CLASSES_ROOT as a signed 32-bit number.
inline constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(0x80000000u);

}  // namespace korvane
