// Writes SLTG libraries made by the test builder: the fixture the tests embed
// in a DLL, or with --full the library of every kind of type and member (a
// seed for the type-library fuzz target).
//   sltg_writer [--full] OUTPUT
#include <cstdio>
#include <fstream>
#include <string>

#include "SltgBuilder.h"
#include "SltgSample.h"

int main(int argc, char** argv) {
  const bool full = argc == 3 && std::string(argv[1]) == "--full";
  if (argc != 2 && !full) {
    std::fprintf(stderr, "usage: sltg_writer [--full] OUTPUT\n");
    return 2;
  }
  korvane::test::SltgFixture fixture;
  if (full) {
    fixture = korvane::test::SampleSltgLibrary();
  } else {
    fixture.name = "KorvaneOld";
    fixture.helpString = "Korvane SLTG Library";
    fixture.guid = {0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x0F, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    fixture.major = 1;
    fixture.minor = 2;
    fixture.sysKind = 1;
    fixture.typeNames = {"IOldOne", "IOldTwo"};
  }
  const auto bytes = korvane::test::BuildSltg(fixture);
  std::ofstream out(argv[argc - 1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
