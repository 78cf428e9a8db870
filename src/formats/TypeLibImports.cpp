#include "formats/TypeLibImports.h"

#include <algorithm>

namespace korvane::formats {

namespace {

class Resolver {
 public:
  explicit Resolver(const std::vector<const TypeLibrary*>& imported) : imported_(imported) {}

  void Ref(TypeRef& ref) const {
    if (ref.importIndex < 0 || static_cast<std::size_t>(ref.importIndex) >= imported_.size()) return;
    const TypeLibrary* from = imported_[static_cast<std::size_t>(ref.importIndex)];
    if (from == nullptr) return;
    const TypeInfo* type = nullptr;
    if (ref.importTypeIndex >= 0) {
      if (static_cast<std::size_t>(ref.importTypeIndex) < from->types.size()) {
        type = &from->types[static_cast<std::size_t>(ref.importTypeIndex)];
      }
    } else if (ref.typeGuid != Guid{}) {
      const auto found = std::find_if(from->types.begin(), from->types.end(),
                                      [&ref](const TypeInfo& t) { return t.guid == ref.typeGuid; });
      if (found != from->types.end()) type = &*found;
    }
    if (type == nullptr) return;
    ref.name = type->name;
    if (ref.importTypeIndex >= 0) ref.typeGuid = type->guid;
  }

  // The model is built with bounded depth, so walking it recursively is safe.
  void Desc(TypeDesc& desc) const {
    if (desc.type == vt::kUserDefined) Ref(desc.ref);
    for (auto& element : desc.element) Desc(element);
  }

 private:
  const std::vector<const TypeLibrary*>& imported_;
};

}  // namespace

void ResolveImportedTypes(TypeLibrary& lib, const std::vector<const TypeLibrary*>& imported) {
  const Resolver resolve(imported);
  for (auto& type : lib.types) {
    resolve.Desc(type.aliasOf);
    for (auto& impl : type.implemented) resolve.Ref(impl.type);
    for (auto& f : type.functions) {
      resolve.Desc(f.returnType);
      for (auto& p : f.params) resolve.Desc(p.type);
    }
    for (auto& v : type.variables) resolve.Desc(v.type);
  }
}

}  // namespace korvane::formats
