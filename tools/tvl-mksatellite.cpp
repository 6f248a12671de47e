// Writes the satellite template DLL (data/Satellite.dll is made with this).
//   tvl-mksatellite [OUT]      default OUT: Satellite.dll
#include <cstdio>
#include <fstream>
#include <string>

#include "peimage/Satellite.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
    std::fprintf(stderr, "usage: %s [OUT]\n", argv[0]);
    return 2;
  }
  std::string out = argc == 2 ? argv[1] : "Satellite.dll";
  std::vector<BYTE> bytes = tvl::MakeSatelliteDll();
  std::ofstream f(out, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], out.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", out.c_str(), bytes.size());
  return 0;
}
