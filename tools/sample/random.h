// A small deterministic random source: the same seed draws the same folder
// on every system and with every standard library (no std distributions).
#ifndef LABRENA_TOOLS_SAMPLE_RANDOM_H_
#define LABRENA_TOOLS_SAMPLE_RANDOM_H_

#include <cstddef>
#include <cstdint>

namespace labrena {
namespace sample {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  // SplitMix64.
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number from 0 to n - 1 (n > 0).
  int Uniform(int n) {
    return static_cast<int>(Next() % static_cast<std::uint64_t>(n));
  }
  // A number from lo to hi inclusive.
  int Range(int lo, int hi) { return lo + Uniform(hi - lo + 1); }
  // True once in n draws on average.
  bool OneIn(int n) { return Uniform(n) == 0; }
  char Digit() { return static_cast<char>('0' + Uniform(10)); }

  // An element of a constant table.
  template <typename T, std::size_t N>
  const T& Pick(const T (&table)[N]) {
    return table[Uniform(static_cast<int>(N))];
  }

 private:
  std::uint64_t state_;
};

}  // namespace sample
}  // namespace labrena

#endif  // LABRENA_TOOLS_SAMPLE_RANDOM_H_
