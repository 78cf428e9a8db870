#include "platform/win32/WinApi.h"
// WinApi.h first: the interface below declares functions named like the macros.

#include "platform/win32/TypeLibLoader.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32/ComOwners.h"

namespace korvane::platform {

namespace {

using formats::TypeLibrary;
using win32::ComRef;
using win32::HoldDesc;
using win32::OwnedBstr;
using win32::OwnedCustData;

// A loader call that failed half-way: the whole load fails with its name.
struct CallFailed {
  const char* call;
  HRESULT hr;
};

void Check(HRESULT hr, const char* call) {
  if (FAILED(hr)) throw CallFailed{call, hr};
}

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

formats::Guid GuidOf(const GUID& g) {
  formats::Guid out{};
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(g.Data1 >> (8 * i));
  out[4] = static_cast<std::uint8_t>(g.Data2);
  out[5] = static_cast<std::uint8_t>(g.Data2 >> 8);
  out[6] = static_cast<std::uint8_t>(g.Data3);
  out[7] = static_cast<std::uint8_t>(g.Data3 >> 8);
  for (int i = 0; i < 8; ++i) out[8 + i] = g.Data4[i];
  return out;
}

// The BSTRs GetNames fills, freed together.
class OwnedBstrArray {
 public:
  explicit OwnedBstrArray(std::size_t n) : items_(n, nullptr) {}
  ~OwnedBstrArray() {
    for (BSTR s : items_) ::SysFreeString(s);
  }
  OwnedBstrArray(const OwnedBstrArray&) = delete;
  OwnedBstrArray& operator=(const OwnedBstrArray&) = delete;

  BSTR* Data() { return items_.data(); }
  UINT Size() const { return static_cast<UINT>(items_.size()); }
  std::string Utf8(std::size_t i) const {
    const BSTR s = i < items_.size() ? items_[i] : nullptr;
    return s == nullptr ? std::string() : win32::Narrow(std::wstring_view(s, ::SysStringLen(s)));
  }

 private:
  std::vector<BSTR> items_;
};

formats::Value ValueOf(const VARIANT& v) {
  formats::Value out;
  out.type = V_VT(&v);
  switch (V_VT(&v)) {
    case VT_I1: out.data = std::int64_t{V_I1(&v)}; break;
    case VT_I2: out.data = std::int64_t{V_I2(&v)}; break;
    case VT_I4: out.data = std::int64_t{V_I4(&v)}; break;
    case VT_INT: out.data = std::int64_t{V_INT(&v)}; break;
    case VT_I8: out.data = std::int64_t{V_I8(&v)}; break;
    case VT_ERROR: out.data = std::int64_t{V_ERROR(&v)}; break;
    case VT_BOOL: out.data = std::int64_t{V_BOOL(&v)}; break;
    case VT_CY: out.data = std::int64_t{V_CY(&v).int64}; break;
    case VT_UI1: out.data = std::uint64_t{V_UI1(&v)}; break;
    case VT_UI2: out.data = std::uint64_t{V_UI2(&v)}; break;
    case VT_UI4: out.data = std::uint64_t{V_UI4(&v)}; break;
    case VT_UINT: out.data = std::uint64_t{V_UINT(&v)}; break;
    case VT_UI8: out.data = std::uint64_t{V_UI8(&v)}; break;
    case VT_R4: out.data = double{V_R4(&v)}; break;
    case VT_R8: out.data = double{V_R8(&v)}; break;
    case VT_DATE: out.data = double{V_DATE(&v)}; break;
    case VT_BSTR: {
      const BSTR s = V_BSTR(&v);
      out.data = s == nullptr ? std::string() : win32::Narrow(std::wstring_view(s, ::SysStringLen(s)));
      break;
    }
    case VT_DECIMAL: {
      // The DECIMAL overlays the whole VARIANT; its first word is the vt.
      std::vector<std::uint8_t> bytes(sizeof(DECIMAL));
      std::memcpy(bytes.data(), &V_DECIMAL(&v), bytes.size());
      out.data = std::move(bytes);
      break;
    }
    case VT_EMPTY:
    case VT_NULL:
      break;
    default: {
      // Interface pointers and the like: a library stores four bytes for
      // them, which the loader hands back in the low part of the VARIANT.
      const ULONG stored = V_UI4(&v);
      std::vector<std::uint8_t> bytes(sizeof stored);
      std::memcpy(bytes.data(), &stored, bytes.size());
      out.data = std::move(bytes);
      break;
    }
  }
  return out;
}

std::vector<formats::CustomData> CustomOf(const OwnedCustData& held) {
  std::vector<formats::CustomData> out;
  const CUSTDATA& all = held.Get();
  for (DWORD i = 0; i < all.cCustData && all.prgCustData != nullptr; ++i) {
    out.push_back({GuidOf(all.prgCustData[i].guid), ValueOf(all.prgCustData[i].varValue)});
  }
  return out;
}

// Reads one library; every reference that leads into another library adds
// that library to the imports.
class LibraryReader {
 public:
  LibraryReader(ITypeLib* lib, std::vector<RefusedMember>* refused) : lib_(lib), refused_(refused) {}

  TypeLibrary Read() {
    ReadLibraryAttributes();
    ComRef<ITypeLib2> lib2;
    if (SUCCEEDED(lib_->QueryInterface(IID_ITypeLib2, reinterpret_cast<void**>(lib2.Put())))) {
      OwnedBstr helpString, helpStringDll;
      DWORD context = 0;
      Check(lib2->GetDocumentation2(-1, 0, helpString.Put(), &context, helpStringDll.Put()),
            "ITypeLib2::GetDocumentation2");
      out_.helpStringContext = context;
      out_.helpStringDll = helpStringDll.Utf8();
      OwnedCustData custom;
      Check(lib2->GetAllCustData(custom.Put()), "ITypeLib2::GetAllCustData");
      out_.custom = CustomOf(custom);
    }
    const UINT count = lib_->GetTypeInfoCount();
    if (count > formats::kMaxTypeInfos) throw CallFailed{"ITypeLib::GetTypeInfoCount", E_UNEXPECTED};
    for (UINT i = 0; i < count; ++i) {
      typeIndex_ = i;
      out_.types.push_back(ReadType(i));
    }
    return std::move(out_);
  }

 private:
  void ReadLibraryAttributes() {
    auto attr = HoldDesc<TLIBATTR>([this](TLIBATTR* a) { lib_->ReleaseTLibAttr(a); });
    Check(lib_->GetLibAttr(attr.Put()), "ITypeLib::GetLibAttr");
    formats::TypeLibAttributes& a = out_.attributes;
    a.guid = GuidOf(attr->guid);
    a.lcid = attr->lcid;
    a.sysKind = static_cast<int>(attr->syskind);
    a.majorVersion = attr->wMajorVerNum;
    a.minorVersion = attr->wMinorVerNum;
    a.libFlags = attr->wLibFlags;
    self_ = *attr.Get();

    OwnedBstr name, doc, helpFile;
    DWORD context = 0;
    Check(lib_->GetDocumentation(-1, name.Put(), doc.Put(), &context, helpFile.Put()),
          "ITypeLib::GetDocumentation");
    a.name = name.Utf8();
    a.helpString = doc.Utf8();
    a.helpFile = helpFile.Utf8();
    out_.helpContext = context;
  }

  formats::TypeInfo ReadType(UINT index) {
    ComRef<ITypeInfo> info;
    Check(lib_->GetTypeInfo(index, info.Put()), "ITypeLib::GetTypeInfo");
    bool dual = false;
    {
      auto attr = HoldDesc<TYPEATTR>([&info](TYPEATTR* a) { info->ReleaseTypeAttr(a); });
      Check(info->GetTypeAttr(attr.Put()), "ITypeInfo::GetTypeAttr");
      dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
    }
    if (!dual) return ReadType(info.Get(), false);
    // The loader shows a dual interface as its dispatch view; the vtable
    // interface the library stores is the one behind implemented type -1.
    HREFTYPE vtable = 0;
    Check(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable), "ITypeInfo::GetRefTypeOfImplType(-1)");
    ComRef<ITypeInfo> iface;
    Check(info->GetRefTypeInfo(vtable, iface.Put()), "ITypeInfo::GetRefTypeInfo");
    formats::TypeInfo t = ReadType(iface.Get(), true);
    t.kind = formats::TypeKind::kInterface;
    t.flags |= formats::kTypeFlagDual;
    return t;
  }

  formats::TypeInfo ReadType(ITypeInfo* info, bool dualPart) {
    auto attr = HoldDesc<TYPEATTR>([info](TYPEATTR* a) { info->ReleaseTypeAttr(a); });
    Check(info->GetTypeAttr(attr.Put()), "ITypeInfo::GetTypeAttr");
    ComRef<ITypeInfo2> info2;
    Check(info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(info2.Put())),
          "ITypeInfo::QueryInterface(ITypeInfo2)");

    formats::TypeInfo t;
    t.kind = static_cast<formats::TypeKind>(attr->typekind);
    t.guid = GuidOf(attr->guid);
    t.flags = attr->wTypeFlags;
    t.majorVersion = attr->wMajorVerNum;
    t.minorVersion = attr->wMinorVerNum;
    t.instanceSize = attr->cbSizeInstance;
    t.vtableSize = attr->cbSizeVft;
    t.alignment = attr->cbAlignment;
    if (attr->typekind == TKIND_ALIAS) t.aliasOf = DescOf(info, attr->tdescAlias, 0);
    Documentation doc = Document(info, info2.Get(), MEMBERID_NIL);
    t.name = std::move(doc.name);
    t.helpString = std::move(doc.helpString);
    t.helpContext = doc.helpContext;
    t.helpStringContext = doc.helpStringContext;
    OwnedCustData custom;
    Check(info2->GetAllCustData(custom.Put()), "ITypeInfo2::GetAllCustData");
    t.custom = CustomOf(custom);

    for (UINT f = 0; f < attr->cFuncs; ++f) t.functions.push_back(ReadFunction(info, info2.Get(), f, t));
    for (UINT v = 0; v < attr->cVars; ++v) t.variables.push_back(ReadVariable(info, info2.Get(), v));
    for (UINT k = 0; k < attr->cImplTypes; ++k) {
      formats::ImplementedType impl;
      HREFTYPE ref = 0;
      Check(info->GetRefTypeOfImplType(k, &ref), "ITypeInfo::GetRefTypeOfImplType");
      impl.type = Resolve(info, ref);
      INT flags = 0;
      Check(info->GetImplTypeFlags(k, &flags), "ITypeInfo::GetImplTypeFlags");
      impl.flags = static_cast<std::uint32_t>(flags);
      // Wine makes up the IDispatch base of a dispinterface and of a dual
      // interface's vtable view without a record behind it, and asking for
      // that record's custom data crashes the process: theirs stay empty.
      if (!dualPart && attr->typekind != TKIND_DISPATCH) {
        OwnedCustData implCustom;
        Check(info2->GetAllImplTypeCustData(k, implCustom.Put()), "ITypeInfo2::GetAllImplTypeCustData");
        impl.custom = CustomOf(implCustom);
      }
      t.implemented.push_back(std::move(impl));
    }
    return t;
  }

  struct Documentation {
    std::string name;
    std::string helpString;
    std::uint32_t helpContext = 0;
    std::uint32_t helpStringContext = 0;
  };

  // By member id: members sharing an id (a property's get and put) all get
  // the first one's, as the loader has no other way to ask.
  static Documentation Document(ITypeInfo* info, ITypeInfo2* info2, MEMBERID id) {
    Documentation d;
    OwnedBstr name, doc;
    DWORD context = 0;
    Check(info->GetDocumentation(id, name.Put(), doc.Put(), &context, nullptr), "ITypeInfo::GetDocumentation");
    d.name = name.Utf8();
    d.helpString = doc.Utf8();
    d.helpContext = context;
    DWORD stringContext = 0;
    Check(info2->GetDocumentation2(id, 0, nullptr, &stringContext, nullptr), "ITypeInfo2::GetDocumentation2");
    d.helpStringContext = stringContext;
    return d;
  }

  formats::Function ReadFunction(ITypeInfo* info, ITypeInfo2* info2, UINT index, formats::TypeInfo& type) {
    auto desc = HoldDesc<FUNCDESC>([info](FUNCDESC* d) { info->ReleaseFuncDesc(d); });
    formats::Function fn;
    if (Refused(info->GetFuncDesc(index, desc.Put()), true, index)) return fn;
    const FUNCDESC& d = *desc.Get();
    fn.memberId = d.memid;
    fn.funcKind = static_cast<formats::FuncKind>(d.funckind);
    fn.invokeKind = static_cast<formats::InvokeKind>(d.invkind);
    fn.callConv = static_cast<formats::CallConv>(d.callconv);
    fn.vtableOffset = d.oVft;
    fn.flags = d.wFuncFlags;
    fn.optionalParams = d.cParamsOpt;
    fn.returnType = DescOf(info, d.elemdescFunc.tdesc, 0);

    const UINT params = d.cParams < 0 ? 0u : static_cast<UINT>(d.cParams);
    if (params > formats::kMaxParamsPerFunction) throw CallFailed{"ITypeInfo::GetFuncDesc", E_UNEXPECTED};
    OwnedBstrArray names(params + 1);
    UINT named = 0;
    Check(info->GetNames(d.memid, names.Data(), names.Size(), &named), "ITypeInfo::GetNames");
    fn.name = names.Utf8(0);
    for (UINT p = 0; p < params; ++p) {
      const ELEMDESC& e = d.lprgelemdescParam[p];
      formats::Param param;
      param.name = p + 1 < named ? names.Utf8(p + 1) : std::string();
      param.type = DescOf(info, e.tdesc, 0);
      param.flags = e.paramdesc.wParamFlags;
      if ((param.flags & PARAMFLAG_FHASDEFAULT) != 0 && e.paramdesc.pparamdescex != nullptr) {
        param.defaultValue = ValueOf(e.paramdesc.pparamdescex->varDefaultValue);
      }
      OwnedCustData custom;
      Check(info2->GetAllParamCustData(index, p, custom.Put()), "ITypeInfo2::GetAllParamCustData");
      param.custom = CustomOf(custom);
      fn.params.push_back(std::move(param));
    }

    Documentation doc = Document(info, info2, d.memid);
    fn.helpString = std::move(doc.helpString);
    fn.helpContext = doc.helpContext;
    fn.helpStringContext = doc.helpStringContext;
    if (type.kind == formats::TypeKind::kModule) {
      OwnedBstr dll, entry;
      WORD ordinal = 0;
      Check(info->GetDllEntry(d.memid, d.invkind, dll.Put(), entry.Put(), &ordinal), "ITypeInfo::GetDllEntry");
      if (type.dllName.empty()) type.dllName = dll.Utf8();
      fn.entryName = entry.Utf8();
      if (fn.entryName.empty()) fn.entryOrdinal = ordinal;
    }
    OwnedCustData custom;
    Check(info2->GetAllFuncCustData(index, custom.Put()), "ITypeInfo2::GetAllFuncCustData");
    fn.custom = CustomOf(custom);
    return fn;
  }

  formats::Variable ReadVariable(ITypeInfo* info, ITypeInfo2* info2, UINT index) {
    auto desc = HoldDesc<VARDESC>([info](VARDESC* d) { info->ReleaseVarDesc(d); });
    formats::Variable var;
    if (Refused(info->GetVarDesc(index, desc.Put()), false, index)) return var;
    const VARDESC& d = *desc.Get();
    var.memberId = d.memid;
    var.varKind = static_cast<formats::VarKind>(d.varkind);
    var.flags = d.wVarFlags;
    var.type = DescOf(info, d.elemdescVar.tdesc, 0);
    if (d.varkind == VAR_CONST && d.lpvarValue != nullptr) var.value = ValueOf(*d.lpvarValue);
    if (d.varkind == VAR_PERINSTANCE) var.offset = d.oInst;
    Documentation doc = Document(info, info2, d.memid);
    var.name = std::move(doc.name);
    var.helpString = std::move(doc.helpString);
    var.helpContext = doc.helpContext;
    var.helpStringContext = doc.helpStringContext;
    OwnedCustData custom;
    Check(info2->GetAllVarCustData(index, custom.Put()), "ITypeInfo2::GetAllVarCustData");
    var.custom = CustomOf(custom);
    return var;
  }

  // A member the loader will not describe is noted and skipped; the others
  // of its type are still worth reading.
  bool Refused(HRESULT hr, bool isFunction, UINT index) {
    if (SUCCEEDED(hr)) return false;
    if (refused_ != nullptr) refused_->push_back({typeIndex_, isFunction, index, static_cast<long>(hr)});
    return true;
  }

  formats::TypeDesc DescOf(ITypeInfo* owner, const TYPEDESC& desc, int depth) {
    if (depth > formats::kMaxTypeDescDepth) throw CallFailed{"TYPEDESC nesting", E_UNEXPECTED};
    formats::TypeDesc out;
    out.type = desc.vt;
    switch (desc.vt) {
      case VT_PTR:
      case VT_SAFEARRAY:
        if (desc.lptdesc != nullptr) out.element.push_back(DescOf(owner, *desc.lptdesc, depth + 1));
        break;
      case VT_CARRAY:
        if (desc.lpadesc != nullptr) {
          out.element.push_back(DescOf(owner, desc.lpadesc->tdescElem, depth + 1));
          const SAFEARRAYBOUND* bounds = desc.lpadesc->rgbounds;
          for (USHORT i = 0; i < desc.lpadesc->cDims && i < formats::kMaxArrayDims; ++i) {
            out.bounds.push_back({bounds[i].cElements, bounds[i].lLbound});
          }
        }
        break;
      case VT_USERDEFINED:
        out.ref = Resolve(owner, desc.hreftype);
        break;
      default:
        break;
    }
    return out;
  }

  // A reference by the type it leads to: its index when it is one of this
  // library's types, else the library holding it as an import; always its
  // GUID and name. A reference the loader cannot follow (an imported library
  // it does not find) stays empty.
  formats::TypeRef Resolve(ITypeInfo* owner, HREFTYPE ref) {
    formats::TypeRef out;
    ComRef<ITypeInfo> target;
    if (FAILED(owner->GetRefTypeInfo(ref, target.Put())) || target.Get() == nullptr) return out;
    {
      auto attr = HoldDesc<TYPEATTR>([&target](TYPEATTR* a) { target->ReleaseTypeAttr(a); });
      Check(target->GetTypeAttr(attr.Put()), "ITypeInfo::GetTypeAttr");
      out.typeGuid = GuidOf(attr->guid);
    }
    OwnedBstr name;
    Check(target->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr),
          "ITypeInfo::GetDocumentation");
    out.name = name.Utf8();
    ComRef<ITypeLib> container;
    UINT index = 0;
    Check(target->GetContainingTypeLib(container.Put(), &index), "ITypeInfo::GetContainingTypeLib");
    auto attr = HoldDesc<TLIBATTR>([&container](TLIBATTR* a) { container->ReleaseTLibAttr(a); });
    Check(container->GetLibAttr(attr.Put()), "ITypeLib::GetLibAttr");
    if (container.Get() == lib_ || SameLibrary(*attr.Get(), self_)) {
      out.localIndex = static_cast<int>(index);
    } else {
      out.importIndex = ImportIndex(*attr.Get());
      // Without a GUID, the library can only name the type by its position.
      if (out.typeGuid == formats::Guid{}) out.importTypeIndex = static_cast<int>(index);
    }
    return out;
  }

  static bool SameLibrary(const TLIBATTR& a, const TLIBATTR& b) {
    return IsEqualGUID(a.guid, b.guid) && a.lcid == b.lcid && a.wMajorVerNum == b.wMajorVerNum &&
           a.wMinorVerNum == b.wMinorVerNum && a.syskind == b.syskind;
  }

  int ImportIndex(const TLIBATTR& lib) {
    const formats::Guid guid = GuidOf(lib.guid);
    for (std::size_t i = 0; i < out_.imports.size(); ++i) {
      const formats::ImportedLibrary& known = out_.imports[i];
      if (known.guid == guid && known.majorVersion == lib.wMajorVerNum && known.minorVersion == lib.wMinorVerNum &&
          known.lcid == lib.lcid) {
        return static_cast<int>(i);
      }
    }
    if (out_.imports.size() >= formats::kMaxImports) throw CallFailed{"imported libraries", E_UNEXPECTED};
    out_.imports.push_back({guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, {}});
    return static_cast<int>(out_.imports.size() - 1);
  }

  ITypeLib* lib_;
  std::vector<RefusedMember>* refused_;
  std::size_t typeIndex_ = 0;
  TLIBATTR self_{};
  TypeLibrary out_;
};

}  // namespace

formats::Expected<formats::TypeLibrary> LoadTypeLibraryWithWindows(const std::string& pathUtf8,
                                                                   std::vector<RefusedMember>* refused) {
  ComRef<ITypeLib> lib;
  // REGKIND_NONE: looking at a library must never register it.
  const HRESULT hr = ::LoadTypeLibEx(win32::Wide(pathUtf8).c_str(), REGKIND_NONE, lib.Put());
  if (FAILED(hr) || lib.Get() == nullptr) {
    return formats::MakeError(formats::ErrorKind::kNotTypeLib,
                              pathUtf8 + ": LoadTypeLibEx failed with " + HresultText(FAILED(hr) ? hr : E_FAIL));
  }
  try {
    return LibraryReader(lib.Get(), refused).Read();
  } catch (const CallFailed& failed) {
    return formats::MakeError(formats::ErrorKind::kBadTypeLib,
                              pathUtf8 + ": " + failed.call + " failed with " + HresultText(failed.hr));
  }
}

}  // namespace korvane::platform
