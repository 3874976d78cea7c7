// Runs the fuzz target without libFuzzer: a seeded generator makes the inputs, so the same cases
// run every time under ctest. Usage: fuzz_bounded [CASES] [SEED]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr long kDefaultCases = 20'000;
constexpr unsigned kDefaultSeed = 20240611;
// Enough bytes for the scenario, a dozen faults and their texts.
constexpr std::size_t kMaxInputBytes = 160;

}  // namespace

int main(int argc, char** argv) {
  const long cases = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultCases;
  const unsigned seed =
      argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : kDefaultSeed;
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> length(0, kMaxInputBytes);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> input;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < cases; ++i) {
    input.resize(length(random));
    for (std::uint8_t& b : input) b = static_cast<std::uint8_t>(byte(random));
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%ld cases in %.1f s, %.0f cases/s (seed %u)\n", cases, seconds,
              seconds > 0 ? static_cast<double>(cases) / seconds : 0.0, seed);
  return 0;
}
