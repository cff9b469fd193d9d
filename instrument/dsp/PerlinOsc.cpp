#include "instrument/dsp/PerlinOsc.h"

#include <cmath>

namespace
{

// Ken Perlin's permutation from his reference implementation of improved noise.
constexpr std::array<int, 256> kPermutation = {
  151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103,
  30,  69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,
  197, 62,  94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174,
  20,  125, 136, 171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231,
  83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143,
  54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196,
  135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124,
  123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,
  182, 189, 28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101,
  155, 167, 43,  172, 9,   129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185,
  112, 104, 218, 246, 97,  228, 251, 34,  242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,
  51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,  181, 199, 106, 157, 184, 84,  204, 176,
  115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114, 67,  29,  24,  72,  243,
  141, 128, 195, 78,  66,  215, 61,  156, 180};

constexpr bool IsPermutation(const std::array<int, 256>& values)
{
  std::array<bool, 256> seen{};
  for (int v : values)
  {
    if (v < 0 || v > 255 || seen[static_cast<size_t>(v)])
    {
      return false;
    }
    seen[static_cast<size_t>(v)] = true;
  }
  return true;
}
static_assert(IsPermutation(kPermutation), "the noise permutation must hold 0..255 once each");

double Fade(double t)
{
  return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// The lattice cell of a whole coordinate, wrapped to 0..255 for any size of coordinate.
int LatticeCell(double whole)
{
  return static_cast<int>(whole - 256.0 * std::floor(whole / 256.0)) & 255;
}

double Lerp(double t, double a, double b)
{
  return a + t * (b - a);
}

// One of twelve gradient directions (plus four repeats) picked by the low four bits of the hash.
double Gradient(int hash, double x, double y, double z)
{
  const int h = hash & 15;
  const double u = h < 8 ? x : y;
  const double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
  return ((h & 1) == 0 ? u : -u) + ((h & 2) == 0 ? v : -v);
}

struct PerlinTable
{
  std::array<float, PerlinOsc::kTableSize + 1> mSamples;

  PerlinTable()
  {
    constexpr int n = PerlinOsc::kTableSize;
    for (int i = 0; i < n; ++i)
    {
      const double x = static_cast<double>(i) / n * PerlinOsc::kLatticeCells;
      mSamples[static_cast<size_t>(i)] =
        static_cast<float>((PerlinOsc::Process(x, 0.0, 0.0) - 0.5) * 4.0);
    }
    mSamples[n] = mSamples[0];
  }
};

} // namespace

const std::array<int, 512>& PerlinOsc::Permutation()
{
  static const std::array<int, 512> doubled = []
  {
    std::array<int, 512> p{};
    for (size_t i = 0; i < 512; ++i)
    {
      p[i] = kPermutation[i % 256];
    }
    return p;
  }();
  return doubled;
}

double PerlinOsc::Process(double x, double y, double z)
{
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
  {
    return 0.5;
  }
  const std::array<int, 512>& p = Permutation();
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int X = LatticeCell(fx), Y = LatticeCell(fy), Z = LatticeCell(fz);
  x -= fx;
  y -= fy;
  z -= fz;
  const double u = Fade(x), v = Fade(y), w = Fade(z);
  const auto at = [&p](int i)
  {
    return p[static_cast<size_t>(i)];
  };
  const int A = at(X) + Y, AA = at(A) + Z, AB = at(A + 1) + Z;
  const int B = at(X + 1) + Y, BA = at(B) + Z, BB = at(B + 1) + Z;
  const double noise =
    Lerp(w,
         Lerp(v, Lerp(u, Gradient(at(AA), x, y, z), Gradient(at(BA), x - 1, y, z)),
              Lerp(u, Gradient(at(AB), x, y - 1, z), Gradient(at(BB), x - 1, y - 1, z))),
         Lerp(v, Lerp(u, Gradient(at(AA + 1), x, y, z - 1), Gradient(at(BA + 1), x - 1, y, z - 1)),
              Lerp(u, Gradient(at(AB + 1), x, y - 1, z - 1),
                   Gradient(at(BB + 1), x - 1, y - 1, z - 1))));
  return (noise + 1.0) * 0.5;
}

const float* PerlinOsc::Samples()
{
  static const PerlinTable table;
  return table.mSamples.data();
}
