// Writes the SLTG fixture library that the tests embed in a DLL:
// sltg_writer OUTPUT
#include <cstdio>
#include <fstream>

#include "SltgBuilder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sltg_writer OUTPUT\n");
    return 2;
  }
  korvane::test::SltgFixture fixture;
  fixture.name = "KorvaneOld";
  fixture.helpString = "Korvane SLTG Library";
  fixture.guid = {0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x0F, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  fixture.major = 1;
  fixture.minor = 2;
  fixture.sysKind = 1;
  fixture.typeNames = {"IOldOne", "IOldTwo"};
  const auto bytes = korvane::test::BuildSltg(fixture);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
