// Draws the program's bitmap resources and the sample "Files.bmp" (placeholder: no
// resources yet).
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string dir = argv[1];
  FILE* f = std::fopen((dir + "/resource_data.cpp").c_str(), "w");
  if (!f) return 1;
  std::fputs("#include \"platform/draw/bitmap.h\"\nnamespace qv {\nResourceBytes findBitmapResource(int) { return {}; }\n}\n", f);
  std::fclose(f);
  f = std::fopen((dir + "/Files.bmp").c_str(), "w");
  if (f) std::fclose(f);
  return 0;
}
