// Draws the program's bitmap resources and the sample picture "Files.bmp", and writes
// the resources as C++ source (resource_data.cpp) to be compiled into the program.
//
//   make_bitmaps OUTPUT_DIR
//
// Resource 100 is a landscape, 200 x 100, 8 bits per pixel with a 240-colour palette
// (6 reds x 8 greens x 5 blues) and ordered dithering, so that its gradients stay smooth.
// "Files.bmp" is a folder full of papers, 200 x 100, 24 bits per pixel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 200, kHeight = 100;

struct Rgb {
  double r, g, b;
};
Rgb mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb c, double f) { return {c.r * f, c.g * f, c.b * f}; }
double smooth(double e0, double e1, double x) {
  double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

using Image = std::vector<Rgb>;  // rows top to bottom

// A landscape: evening sky, sun, blue mountains with snow, green hills and a lake.
Image landscape() {
  Image img(kWidth * kHeight);
  const Rgb skyTop{52, 92, 170}, skyLow{250, 206, 150}, sun{255, 236, 150};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      double fx = x, fy = y;
      Rgb c = mix(skyTop, skyLow, std::pow(fy / 62.0, 1.4));
      double ds = std::hypot(fx - 148, fy - 30);
      c = mix(c, sun, std::exp(-ds / 18.0) * 0.55);
      if (ds < 11) c = mix(sun, Rgb{255, 250, 220}, 1 - ds / 11);

      double ridge = 44 + 11 * std::sin(fx * 0.045) + 6 * std::sin(fx * 0.13 + 1.3) +
                     3 * std::sin(fx * 0.31);
      if (fy >= ridge) {
        double slope = 11 * 0.045 * std::cos(fx * 0.045) + 6 * 0.13 * std::cos(fx * 0.13 + 1.3);
        Rgb rock = mix(Rgb{92, 104, 150}, Rgb{140, 150, 190}, 0.5 + slope * 0.6);
        rock = mix(rock, Rgb{170, 170, 200}, (fy - ridge) / 40.0);
        if (fy < 40 && fy - ridge < 5) rock = mix(rock, Rgb{245, 248, 255}, 0.85);
        c = rock;
      }
      double hill = 68 + 7 * std::sin(fx * 0.028 + 2) + 4 * std::sin(fx * 0.083 + 0.4);
      if (fy >= hill) {
        double depth = (fy - hill) / (kHeight - hill);
        c = mix(Rgb{120, 178, 70}, Rgb{34, 92, 36}, depth);
        c = scale(c, 0.9 + 0.1 * std::sin(fx * 0.4 + fy * 0.7));
      }
      // A lake in the foreground that mirrors the sky.
      double lake = std::pow((fx - 60) / 42.0, 2) + std::pow((fy - 88) / 7.0, 2);
      if (lake < 1) {
        Rgb water = mix(Rgb{90, 140, 200}, skyLow, smooth(0.3, 1.0, 1 - lake) * 0.35);
        c = scale(water, 0.95 + 0.05 * std::sin(fx * 0.9));
      }
      img[y * kWidth + x] = c;
    }
  }
  return img;
}

// A yellow folder, papers sticking out, on a soft blue backdrop.
Image folder() {
  Image img(kWidth * kHeight);
  auto roundedInside = [](double x, double y, double x1, double y1, double x2, double y2,
                          double r) {
    double cx = std::clamp(x, x1 + r, x2 - r), cy = std::clamp(y, y1 + r, y2 - r);
    return std::hypot(x - cx, y - cy) <= r;
  };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      double fx = x + 0.5, fy = y + 0.5;
      Rgb c = mix(Rgb{205, 225, 248}, Rgb{120, 160, 215}, fy / kHeight);
      c = mix(c, Rgb{255, 255, 255}, std::exp(-std::hypot(fx - 40, fy - 10) / 40) * 0.5);
      // Shadow under the folder.
      if (roundedInside(fx, fy, 52, 30, 158, 96, 8)) c = scale(c, 0.78);
      // Back of the folder with its tab.
      if (roundedInside(fx, fy, 46, 16, 90, 34, 5) || roundedInside(fx, fy, 46, 24, 152, 90, 6))
        c = mix(Rgb{214, 150, 30}, Rgb{170, 110, 20}, (fy - 16) / 74);
      // Three papers, each a little turned.
      for (int i = 0; i < 3; ++i) {
        double a = (i - 1) * 0.08, px = 100 + (i - 1) * 14, py = 44;
        double u = (fx - px) * std::cos(a) + (fy - py) * std::sin(a);
        double v = -(fx - px) * std::sin(a) + (fy - py) * std::cos(a);
        if (std::fabs(u) < 30 && v > -22 && v < 30) {
          c = mix(Rgb{255, 255, 255}, Rgb{225, 230, 240}, (u + 30) / 60);
          if (std::fmod(v + 22, 6) < 1 && std::fabs(u) < 24 && v < 10)
            c = Rgb{150 + 30.0 * i, 160, 200 - 30.0 * i};
        }
      }
      // Front flap, shaded from light to dark.
      if (roundedInside(fx, fy, 44, 46, 156, 92, 6)) {
        c = mix(Rgb{255, 214, 90}, Rgb{228, 160, 36}, (fy - 46) / 46);
        if (fy < 49) c = mix(c, Rgb{255, 240, 180}, 0.7);
      }
      img[y * kWidth + x] = c;
    }
  }
  return img;
}

void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(v & 0xff);
  out.push_back((v >> 8) & 0xff);
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

// A Windows bitmap: file header, 40-byte info header, palette, rows bottom-up.
std::vector<unsigned char> bmp(int bpp, const std::vector<Rgb>& palette,
                               const std::vector<std::vector<unsigned char>>& rowsTopDown) {
  int stride = ((kWidth * bpp + 31) / 32) * 4;
  std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
  std::uint32_t size = offset + stride * kHeight;
  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, size);
  put32(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, kWidth);
  put32(out, kHeight);
  put16(out, 1);
  put16(out, bpp);
  put32(out, 0);  // uncompressed
  put32(out, stride * kHeight);
  put32(out, 3780);  // 96 dpi
  put32(out, 3780);
  put32(out, static_cast<std::uint32_t>(palette.size()));
  put32(out, 0);
  for (const Rgb& c : palette) {
    out.push_back(static_cast<unsigned char>(c.b));
    out.push_back(static_cast<unsigned char>(c.g));
    out.push_back(static_cast<unsigned char>(c.r));
    out.push_back(0);
  }
  for (int y = kHeight - 1; y >= 0; --y) {
    std::vector<unsigned char> row = rowsTopDown[y];
    row.resize(stride, 0);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

constexpr int kReds = 6, kGreens = 8, kBlues = 5;  // 240 colours

std::vector<unsigned char> indexed(const Image& img) {
  std::vector<Rgb> palette;
  for (int r = 0; r < kReds; ++r)
    for (int g = 0; g < kGreens; ++g)
      for (int b = 0; b < kBlues; ++b)
        palette.push_back({std::round(r * 255.0 / (kReds - 1)),
                           std::round(g * 255.0 / (kGreens - 1)),
                           std::round(b * 255.0 / (kBlues - 1))});
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  std::vector<std::vector<unsigned char>> rows(kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb& c = img[y * kWidth + x];
      double t = (bayer[y % 4][x % 4] + 0.5) / 16.0;
      auto level = [t](double v, int levels) {
        double q = std::clamp(v, 0.0, 255.0) / 255.0 * (levels - 1);
        int base = static_cast<int>(std::floor(q));
        return std::min(levels - 1, base + (q - base > t ? 1 : 0));
      };
      int index = (level(c.r, kReds) * kGreens + level(c.g, kGreens)) * kBlues + level(c.b, kBlues);
      rows[y].push_back(static_cast<unsigned char>(index));
    }
  }
  return bmp(8, palette, rows);
}

std::vector<unsigned char> trueColour(const Image& img) {
  std::vector<std::vector<unsigned char>> rows(kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb& c = img[y * kWidth + x];
      auto byte = [](double v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 255.0))); };
      rows[y].push_back(byte(c.b));
      rows[y].push_back(byte(c.g));
      rows[y].push_back(byte(c.r));
    }
  }
  return bmp(24, {}, rows);
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool writeSource(const std::string& path, const std::vector<unsigned char>& bitmap100) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fputs("// Generated by resources/make_bitmaps.cpp: do not edit.\n"
             "#include \"platform/draw/bitmap.h\"\n\nnamespace qv {\n\nnamespace {\n"
             "const unsigned char kBitmap100[] = {",
             f);
  for (std::size_t i = 0; i < bitmap100.size(); ++i)
    std::fprintf(f, "%s%u,", i % 20 == 0 ? "\n    " : "", bitmap100[i]);
  std::fputs("\n};\n}  // namespace\n\n"
             "ResourceBytes findBitmapResource(int id) {\n"
             "  if (id == 100) return {kBitmap100, sizeof kBitmap100};\n"
             "  return {};\n}\n\n}  // namespace qv\n",
             f);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bitmaps OUTPUT_DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  if (!writeSource(dir + "/resource_data.cpp", indexed(landscape())) ||
      !writeFile(dir + "/Files.bmp", trueColour(folder()))) {
    std::fprintf(stderr, "make_bitmaps: cannot write to %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
