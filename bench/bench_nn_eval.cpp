// Evaluations per second of the NN model evaluators on cubic models of
// realistic size, at the call sizes of a 20-year analysis:
//   nn_eval_32_grid    J = 240 months, I = 6 positions, Np = 75 points
//   nn_eval_32_paired  J = 240 months, I = 24 pairs, Np = 5 loads
//   nn_eval_22         J = 240 months, I = 48 pairs
//   nn_eval_33_set     J = 240, I = 5, Nb = 30, three passes, three query
//                      points spread over the four models of the set
// Each runs with the model cache serving the call ("cached") and with the
// cache emptied before every call, so that the file is read and parsed again
// ("reread", what a build with JPCP_MODEL_CACHE=OFF does at every call).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/nn/model_cache.h"
#include "common/platform/run_scope.h"
#include "cracking/nn/nn_eval_22.h"
#include "cracking/nn/nn_eval_32.h"
#include "cracking/nn/nn_eval_33.h"

namespace {

using namespace jpcp::nn;

constexpr int32_t cubic = 4;

// Writes a cubic model file: uniform interior knots on [0, 10] in every
// dimension, random coefficients.
std::string write_model(const std::string& name, int32_t ig1, int32_t ig2, const std::vector<int32_t>& ncoef,
                        unsigned seed) {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("jpcp_bench_nn_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> u(-100.0f, 100.0f);
  std::ostringstream text;
  text.precision(9);
  text << ig1 << ' ' << ig2 << '\n';
  size_t total = 1;
  for (int32_t n : ncoef) {
    text << n << ' ';
    total *= static_cast<size_t>(n);
  }
  text << '\n';
  for (size_t d = 0; d < ncoef.size(); ++d) text << cubic << ' ';
  text << '\n';
  for (int32_t n : ncoef) {
    const int32_t intervals = n - cubic + 1;
    for (int32_t i = 0; i < n + cubic; ++i) {
      const int32_t step = std::clamp(i - cubic + 1, 0, intervals);
      text << 10.0f * static_cast<float>(step) / static_cast<float>(intervals) << ' ';
    }
    text << '\n';
  }
  for (size_t i = 0; i < total; ++i) text << u(random) << (i % 8 == 7 ? '\n' : ' ');
  text << '\n';
  const std::string path = (folder / name).string();
  std::ofstream(path) << text.str();
  return path;
}

std::vector<float> spread(size_t count, float low, float high) {
  std::vector<float> values(count);
  for (size_t i = 0; i < count; ++i) {
    values[i] = low + (high - low) * static_cast<float>((i * 7919) % 1000) / 999.0f;
  }
  return values;
}

// The benchmarks' model cache, the current one of the thread that runs them.
ModelCache& bench_cache() {
  static ModelCache cache;
  static jpcp::platform::RunScope scope = [] {
    jpcp::platform::RunScope s;
    s.models = &cache;
    return s;
  }();
  static jpcp::platform::ActiveRunScope active(scope);
  return cache;
}

void prepare(benchmark::State& state, bool reread) {
  ModelCache& cache = bench_cache();
  if (reread) {
    state.PauseTiming();
    cache.clear();
    state.ResumeTiming();
  }
}

// 3+2 model: 8*7*6 * 10*12 = 40320 coefficients.
const std::string& model_32() {
  static const std::string path = write_model("m32.dat", 3, 2, {8, 7, 6, 10, 12}, 1);
  return path;
}
// 2+2 model: 10*8 * 12*9 = 8640 coefficients.
const std::string& model_22() {
  static const std::string path = write_model("m22.dat", 2, 2, {10, 8, 12, 9}, 2);
  return path;
}
// Four 3+3 models: 6*7*5 * 8*6*7 = 70560 coefficients each.
const std::vector<std::string>& model_set() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (unsigned k = 1; k <= 4; ++k) {
      n.push_back(write_model("m33_" + std::to_string(k) + ".dat", 3, 3, {6, 7, 5, 8, 6, 7}, 10 + k));
    }
    return n;
  }();
  return names;
}

void BM_nn_eval_32_grid(benchmark::State& state) {
  const bool reread = state.range(0) != 0;
  const int32_t J = 240, I = 6, Np = 75;
  const std::vector<float> x2 = spread(J, 0.5f, 9.5f), x3 = spread(I, 0.0f, 10.0f);
  const std::vector<float> x4 = spread(static_cast<size_t>(Np * J), 0.0f, 10.0f);
  const std::vector<float> x5 = spread(static_cast<size_t>(Np * J), 1.0f, 9.0f);
  std::vector<float> out(static_cast<size_t>(J * I * Np));
  nn_eval_32_grid(model_32(), 0, J, I, Np, 4.0f, x2, x3, x4, x5, out);
  for (auto _ : state) {
    prepare(state, reread);
    nn_eval_32_grid(model_32(), 0, J, I, Np, 4.0f, x2, x3, x4, x5, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

void BM_nn_eval_32_paired(benchmark::State& state) {
  const bool reread = state.range(0) != 0;
  const int32_t J = 240, I = 24, Np = 5;
  const std::vector<float> x1 = spread(I, 0.0f, 10.0f), x2 = spread(I, 0.0f, 10.0f);
  const std::vector<float> x4 = spread(Np, 0.0f, 10.0f), x5 = spread(J, 0.0f, 10.0f);
  std::vector<float> out(static_cast<size_t>(J * I * Np));
  nn_eval_32_paired(model_32(), 0, J, I, Np, x1, x2, 5.0f, x4, x5, out);
  for (auto _ : state) {
    prepare(state, reread);
    nn_eval_32_paired(model_32(), 0, J, I, Np, x1, x2, 5.0f, x4, x5, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

void BM_nn_eval_22(benchmark::State& state) {
  const bool reread = state.range(0) != 0;
  const int32_t J = 240, I = 48;
  const std::vector<float> x1 = spread(J, 0.0f, 10.0f), x2 = spread(I, 0.0f, 10.0f), x4 = spread(I, 2.0f, 8.0f);
  std::vector<float> out(static_cast<size_t>(J * I));
  nn_eval_22(model_22(), 0, J, I, x1, x2, 3.0f, x4, out);
  for (auto _ : state) {
    prepare(state, reread);
    nn_eval_22(model_22(), 0, J, I, x1, x2, 3.0f, x4, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

// The top-down stresses of a 20-year analysis: one call, four models, three
// passes each.
void BM_nn_eval_33_set_top_down(benchmark::State& state) {
  const bool reread = state.range(0) != 0;
  const int32_t J = 240, I = 5, Nb = 30, m = 3;
  const int32_t n = 3 * J * I * Nb;
  const std::vector<float> T = {1.0f, 2.0f, 3.0f, 4.0f};
  const std::vector<float> q = {1.5f, 3.5f, 2.5f};
  const std::vector<float> x2 = spread(J, 0.5f, 9.5f), x3 = spread(static_cast<size_t>(I * J), 0.0f, 10.0f);
  const std::vector<float> x4 = spread(static_cast<size_t>(Nb * J), 0.0f, 10.0f), x5 = spread(Nb, 0.0f, 10.0f);
  const std::vector<float> x6 = {0.0f, 4.0f, 8.0f};
  std::vector<float> out(static_cast<size_t>(n) * m);
  float progress = 0.0f;
  const ProgressReporter report = [](float) {};
  nn_eval_33_set(model_set(), n, J, I, Nb, m, T, q, 5.0f, x2, x3, x4, x5, x6, out, progress, 1.0f, report);
  for (auto _ : state) {
    prepare(state, reread);
    nn_eval_33_set(model_set(), n, J, I, Nb, m, T, q, 5.0f, x2, x3, x4, x5, x6, out, progress, 1.0f, report);
    benchmark::DoNotOptimize(out.data());
  }
  // Model evaluations: four models of 3*J*I*Nb results each.
  state.SetItemsProcessed(state.iterations() * 4 * static_cast<int64_t>(n));
}

BENCHMARK(BM_nn_eval_32_grid)->ArgName("reread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_nn_eval_32_paired)->ArgName("reread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_nn_eval_22)->ArgName("reread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_nn_eval_33_set_top_down)->ArgName("reread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
