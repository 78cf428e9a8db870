#pragma once
// The inspector: shows a component's type library, its registration and its
// version resource in the info grid, and compares two components.

#include <memory>
#include <optional>
#include <string>

#include "common/VbError.h"
#include "inspection/clsGrid.h"

namespace korvane {

class clsFileInfo;
class clsRegistry;
class TypeLibInfo;

class clsActiveX {
 public:
  clsActiveX();   // creates the type-library object, registry object and version reader
  ~clsActiveX();

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& vData) { fileName_ = vData; }

  void Init(clsGrid* mGrid, clsGrid* mGridComp);
  void DisplayInfo();

  const std::string& FirstFilename() const { return firstFilename_; }
  void SetFirstFilename(const std::string& vData);
  const std::string& SecondFilename() const { return secondFilename_; }
  void SetSecondFilename(const std::string& vData);
  bool BothSelected() const { return bothSelected_; }
  void DoComparison();

  // The registry failure that cut the last DisplayInfo or DoComparison short
  // (its store corrupt or impossible to open), if one did: such a registry
  // gives no answer, so nothing is shown as registered or not.
  const std::optional<VbError>& RegistryFailure() const { return registryFailure_; }

 private:
  // Throws when Class_Initialize could not create the members.
  void RequireMembers() const;

  clsGrid* grid_ = nullptr;
  clsGrid* gridComp_ = nullptr;
  std::unique_ptr<TypeLibInfo> typeLib_;
  std::unique_ptr<clsRegistry> registry_;
  std::unique_ptr<clsFileInfo> fileInfo_;
  std::string fileName_;
  std::string firstFilename_;
  std::string secondFilename_;
  bool bothSelected_ = false;
  std::optional<VbError> registryFailure_;
};

}  // namespace korvane
