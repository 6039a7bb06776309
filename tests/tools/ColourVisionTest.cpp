// Balloons told apart without full colour vision. The generated balloon pictures are seen through
// the Machado, Oliveira and Fernandes (2009) model of protanopia, deuteranopia and tritanopia at
// full severity and in greyscale: every pair of colours must differ either in body colour
// (CIEDE2000 at least 20) or by the shape of its mark; with normal vision the body colours alone
// stay at least 25 apart. The table of differences is printed so that changes to the palette
// can be compared.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kGameDir = std::string(ZEP_STAGE_DIR) + "/Hubbix/Zeppolo/";
const char* const kNames[5] = {"red", "yellow", "purple", "green", "blue"};

using Vec3 = std::array<double, 3>;
using Matrix = std::array<Vec3, 3>;

// Linear-RGB simulation matrices of the model at severity 1.0.
constexpr Matrix kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr Matrix kProtanopia = {{{0.152286, 1.052583, -0.204868},
                                 {0.114503, 0.786281, 0.099216},
                                 {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia = {{{0.367322, 0.860646, -0.227968},
                                   {0.280085, 0.672501, 0.047413},
                                   {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritanopia = {{{1.255528, -0.076749, -0.178779},
                                 {-0.078411, 0.930809, 0.147602},
                                 {0.004733, 0.691367, 0.303900}}};
// Greyscale keeps only the luminance.
constexpr Matrix kGrey = {
    {{0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}}};

struct Vision {
  const char* name;
  Matrix matrix;
};
const Vision kVisions[] = {{"normal", kIdentity},
                           {"protanopia", kProtanopia},
                           {"deuteranopia", kDeuteranopia},
                           {"tritanopia", kTritanopia},
                           {"greyscale", kGrey}};

double ToLinear(int v) {
  double c = v / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Vec3 Simulate(const Matrix& m, const Vec3& rgb) {
  Vec3 out{};
  for (int i = 0; i < 3; ++i)
    out[i] = std::clamp(m[i][0] * rgb[0] + m[i][1] * rgb[1] + m[i][2] * rgb[2], 0.0, 1.0);
  return out;
}

// Linear sRGB (D65) to CIE L*a*b*.
Vec3 ToLab(const Vec3& rgb) {
  const double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
  const double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
  const double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
  auto f = [](double t) {
    return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
  };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double Ciede2000(const Vec3& lab1, const Vec3& lab2) {
  const double kPi = 3.14159265358979323846;
  auto deg = [&](double r) { return r * 180 / kPi; };
  auto rad = [&](double d) { return d * kPi / 180; };
  const double c1 = std::hypot(lab1[1], lab1[2]), c2 = std::hypot(lab2[1], lab2[2]);
  const double cMean = (c1 + c2) / 2;
  const double c7 = std::pow(cMean, 7);
  const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
  const double a1 = (1 + g) * lab1[1], a2 = (1 + g) * lab2[1];
  const double cp1 = std::hypot(a1, lab1[2]), cp2 = std::hypot(a2, lab2[2]);
  auto hue = [&](double b, double a) {
    if (a == 0 && b == 0) return 0.0;
    double h = deg(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
  };
  const double hp1 = hue(lab1[2], a1), hp2 = hue(lab2[2], a2);
  const double dL = lab2[0] - lab1[0];
  const double dC = cp2 - cp1;
  double dh = 0;
  if (cp1 * cp2 != 0) {
    dh = hp2 - hp1;
    if (dh > 180) dh -= 360;
    if (dh < -180) dh += 360;
  }
  const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(rad(dh / 2));
  const double lMean = (lab1[0] + lab2[0]) / 2;
  const double cpMean = (cp1 + cp2) / 2;
  double hMean = hp1 + hp2;
  if (cp1 * cp2 != 0) {
    if (std::fabs(hp1 - hp2) <= 180)
      hMean /= 2;
    else
      hMean = hMean < 360 ? (hMean + 360) / 2 : (hMean - 360) / 2;
  }
  const double t = 1 - 0.17 * std::cos(rad(hMean - 30)) + 0.24 * std::cos(rad(2 * hMean)) +
                   0.32 * std::cos(rad(3 * hMean + 6)) - 0.20 * std::cos(rad(4 * hMean - 63));
  const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
  const double cp7 = std::pow(cpMean, 7);
  const double rc = 2 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
  const double sl = 1 + 0.015 * std::pow(lMean - 50, 2) / std::sqrt(20 + std::pow(lMean - 50, 2));
  const double sc = 1 + 0.045 * cpMean;
  const double sh = 1 + 0.015 * cpMean * t;
  const double rt = -std::sin(rad(2 * dTheta)) * rc;
  return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                   rt * (dC / sc) * (dH / sh));
}

// A 24-bit Windows bitmap as the generator writes it, top-down, in linear RGB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Vec3> pixels;
  std::vector<bool> key;
  const Vec3& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool IsKey(int x, int y) const { return key[static_cast<size_t>(y) * width + x]; }
};

bool LoadPicture(const std::string& path, Picture& out) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                 bytes[at + 3] << 24);
  };
  const uint32_t offset = u32(10);
  const int w = static_cast<int>(u32(18)), h = static_cast<int>(u32(22));
  if (bytes[28] != 24 || w <= 0 || h <= 0) return false;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  if (offset + stride * h > bytes.size()) return false;
  out.width = w;
  out.height = h;
  out.pixels.resize(static_cast<size_t>(w) * h);
  out.key.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &bytes[offset + stride * (h - 1 - y)];
    for (int x = 0; x < w; ++x) {
      const int b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
      out.pixels[static_cast<size_t>(y) * w + x] = {ToLinear(r), ToLinear(g), ToLinear(b)};
      out.key[static_cast<size_t>(y) * w + x] = r == 0 && g == 0 && b == 255;
    }
  }
  return true;
}

// The part of a board balloon that is its body: opaque, at least two pixels from any
// transparent one (so the outline is left out), above the knot.
std::vector<bool> BodyOf(const Picture& p) {
  std::vector<bool> body(p.pixels.size(), false);
  for (int y = 2; y < std::min(p.height - 2, 33); ++y)
    for (int x = 2; x < p.width - 2; ++x) {
      bool inside = true;
      for (int dy = -2; dy <= 2 && inside; ++dy)
        for (int dx = -2; dx <= 2 && inside; ++dx)
          inside = !p.IsKey(x + dx, y + dy);
      body[static_cast<size_t>(y) * p.width + x] = inside;
    }
  return body;
}

// Pixels of the body that stand out in lightness from their neighbourhood (the median of the
// body around them): the mark and the small glint, not the smooth shading.
std::vector<bool> MarkOf(const Picture& p, const Matrix& vision) {
  const std::vector<bool> body = BodyOf(p);
  std::vector<double> light(p.pixels.size(), 0);
  for (size_t i = 0; i < p.pixels.size(); ++i)
    light[i] = ToLab(Simulate(vision, p.pixels[i]))[0];
  std::vector<bool> mark(p.pixels.size(), false);
  const int r = 5;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const size_t i = static_cast<size_t>(y) * p.width + x;
      if (!body[i]) continue;
      std::vector<double> around;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
          const size_t j = static_cast<size_t>(ny) * p.width + nx;
          if (body[j]) around.push_back(light[j]);
        }
      std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
      mark[i] = std::fabs(light[i] - around[around.size() / 2]) > 12;
    }
  return mark;
}

int Count(const std::vector<bool>& m) {
  return static_cast<int>(std::count(m.begin(), m.end(), true));
}

double Iou(const std::vector<bool>& a, const std::vector<bool>& b) {
  int both = 0, either = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    both += a[i] && b[i];
    either += a[i] || b[i];
  }
  return either ? static_cast<double>(both) / either : 1.0;
}

// Mean colour of the body without its mark, as seen with the given vision, in L*a*b*.
Vec3 BodyColour(const Picture& p, const Matrix& vision) {
  const std::vector<bool> body = BodyOf(p);
  const std::vector<bool> mark = MarkOf(p, kIdentity);
  Vec3 sum{};
  int n = 0;
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    if (!body[i] || mark[i]) continue;
    const Vec3 s = Simulate(vision, p.pixels[i]);
    for (int k = 0; k < 3; ++k)
      sum[k] += s[k];
    ++n;
  }
  for (double& v : sum)
    v /= std::max(n, 1);
  return ToLab(sum);
}

class BalloonPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int c = 0; c < 5; ++c) {
      ASSERT_TRUE(LoadPicture(kGameDir + kNames[c] + ".bmp", plain[c])) << kNames[c];
      ASSERT_TRUE(LoadPicture(kGameDir + kNames[c] + "star.bmp", star[c])) << kNames[c];
      ASSERT_EQ(plain[c].width, 32);
      ASSERT_EQ(plain[c].height, 40);
      ASSERT_EQ(star[c].width, 32);
      ASSERT_EQ(star[c].height, 40);
    }
  }
  Picture plain[5];
  Picture star[5];
};

TEST_F(BalloonPictures, EveryPairDiffersInColourOrByItsMark) {
  for (const Vision& v : kVisions) {
    Vec3 colour[5];
    std::vector<bool> mark[5];
    for (int c = 0; c < 5; ++c) {
      colour[c] = BodyColour(plain[c], v.matrix);
      mark[c] = MarkOf(plain[c], v.matrix);
    }
    // The whole line first, so that it reads as one row of the table.
    std::string row = v.name;
    row.resize(13, ' ');
    for (int a = 0; a < 5; ++a)
      for (int b = a + 1; b < 5; ++b) {
        char cell[64];
        std::snprintf(cell, sizeof cell, " %s/%s %.1f", kNames[a], kNames[b],
                      Ciede2000(colour[a], colour[b]));
        row += cell;
      }
    std::printf("%s\n", row.c_str());
    std::fflush(stdout);
    for (int a = 0; a < 5; ++a)
      for (int b = a + 1; b < 5; ++b) {
        const double diff = Ciede2000(colour[a], colour[b]);
        const std::string pair = std::string(v.name) + " " + kNames[a] + "/" + kNames[b];
        if (v.matrix == kIdentity) {
          EXPECT_GE(diff, 25) << pair;
        } else if (diff < 20) {
          // Too close in colour: the marks must be there and have different shapes.
          EXPECT_GE(Count(mark[a]), 10) << pair;
          EXPECT_GE(Count(mark[b]), 10) << pair;
          EXPECT_LT(Iou(mark[a], mark[b]), 0.5) << pair;
        }
      }
  }
}

TEST_F(BalloonPictures, EveryColourHasItsOwnMarkInEveryVision) {
  // Stricter than the pairs need: a mark that survives every vision on its own.
  for (const Vision& v : kVisions)
    for (int a = 0; a < 5; ++a) {
      const std::vector<bool> ma = MarkOf(plain[a], v.matrix);
      EXPECT_GE(Count(ma), 10) << v.name << " " << kNames[a];
      for (int b = a + 1; b < 5; ++b)
        EXPECT_LT(Iou(ma, MarkOf(plain[b], v.matrix)), 0.5)
            << v.name << " " << kNames[a] << "/" << kNames[b];
    }
}

TEST_F(BalloonPictures, StarBalloonsKeepTheMarkAndTheStarOutshinesIt) {
  for (int c = 0; c < 5; ++c) {
    const std::vector<bool> mark = MarkOf(plain[c], kIdentity);
    // The star may clip a tip of the mark but leaves the rest of it.
    int covered = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 32; ++x) {
        const size_t i = static_cast<size_t>(y) * 32 + x;
        if (mark[i] && plain[c].pixels[i] != star[c].pixels[i]) ++covered;
      }
    EXPECT_LE(covered, Count(mark) / 5) << kNames[c];
    // The star: every pixel the star picture changes visibly.
    int starPixels = 0;
    for (size_t i = 0; i < plain[c].pixels.size(); ++i)
      if (!plain[c].key[i] && Ciede2000(ToLab(plain[c].pixels[i]), ToLab(star[c].pixels[i])) > 12)
        ++starPixels;
    EXPECT_GE(starPixels, 3 * Count(mark)) << kNames[c];
  }
}

TEST(ColourDifference, MatchesPublishedPairs) {
  // Pairs from Sharma, Wu and Dalal's CIEDE2000 test data.
  EXPECT_NEAR(Ciede2000({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 1e-4);
  EXPECT_NEAR(Ciede2000({50, -1.3802, -84.2814}, {50, 0, -82.7485}), 1.0000, 1e-4);
  EXPECT_NEAR(Ciede2000({50, 2.5, 0}, {73, 25, -18}), 27.1492, 1e-4);
  EXPECT_NEAR(Ciede2000({22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}), 2.0373, 1e-4);
  EXPECT_NEAR(Ciede2000({60, 0, 0}, {60, 0, 0}), 0, 1e-12);
  // White stays white under every simulation: each row of the matrices sums to one.
  for (const Vision& v : kVisions) {
    const Vec3 white = Simulate(v.matrix, {1, 1, 1});
    for (double c : white)
      EXPECT_NEAR(c, 1.0, 1e-3) << v.name;
  }
}

}  // namespace
