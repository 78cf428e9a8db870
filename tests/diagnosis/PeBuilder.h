#pragma once
// Small PE images made in memory for the reader's edge cases: one section at
// kSectionRva holding whatever the test lays out, and the data directories
// pointed into it. Real linkers never write most of these shapes.

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::test {

class PeBuilder {
 public:
  static constexpr std::uint32_t kSectionRva = 0x1000;

  // A DLL image for the machine (PE32+ for x64 and ARM64, PE32 otherwise).
  explicit PeBuilder(std::uint16_t machine);

  bool Is64() const { return is64_; }
  // Appends bytes to the section (aligned to align) and returns their RVA.
  std::uint32_t Add(const std::vector<std::uint8_t>& bytes, std::uint32_t align = 4);
  // A NUL-terminated name; with hint, the two-byte hint before it (the RVA
  // returned is then the hint's, as import lookup tables point).
  std::uint32_t AddName(const std::string& name, bool hint = false);
  // A lookup table: one thunk per entry (a hint/name RVA, or an ordinal with
  // the ordinal flag), ended by a zero thunk.
  std::uint32_t AddLookupTable(const std::vector<std::uint64_t>& thunks);
  std::uint64_t OrdinalThunk(std::uint16_t ordinal) const;

  struct Import {
    std::string dll;
    std::uint32_t lookupTable = 0;  // shared tables are allowed
  };
  // The import directory: one descriptor per import, then the zero descriptor.
  void SetImports(const std::vector<Import>& imports);

  struct Export {
    std::string name;        // empty: by ordinal only
    std::uint32_t address;   // code's RVA; ignored with a forwarder
    std::string forwarder;   // "OTHER.Function": written inside the directory
  };
  struct Directory {
    std::uint32_t rva;
    std::uint32_t size;
  };
  // The export directory (ordinal base 1) as one block: its header, tables,
  // and last the forwarder strings, which the directory's size covers.
  Directory SetExports(const std::string& dll, const std::vector<Export>& exports);
  // Overrides a data directory entry.
  void SetDirectory(std::size_t index, std::uint32_t rva, std::uint32_t size);

  std::vector<std::uint8_t> Build() const;

 private:
  std::uint16_t machine_;
  bool is64_;
  std::vector<std::uint8_t> section_;
  std::uint32_t directories_[16][2] = {};
};

// Little-endian stores.
void PutU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v);
void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v);
void PutU64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v);

}  // namespace korvane::test
