// Slab solver: one case of two 15 ft slabs with a 10 ft shoulder, 6 in
// elements refined under a tandem's wheels, tensionless foundation with self
// weight and a temperature difference, with each sparse factorisation; and
// many such cases on every core.
#include <benchmark/benchmark.h>

#include <vector>

#include "slab/slab_solver.h"

namespace {

jpcp::slab::SlabCase speed_case(double temperature_difference) {
  jpcp::slab::SlabCase c;
  c.lengths_ft = {15, 15};
  c.widths_ft = {12};
  c.shoulder_width_ft = 10;
  c.thickness_in = 10;
  c.modulus_psi = 4e6;
  c.poisson = 0.15;
  c.unit_weight_pcf = 150;
  c.cte_per_F = 5.5e-6;
  c.k_pci = 100;
  c.tensionless = true;
  c.self_weight = true;
  c.temperature_difference_F = temperature_difference;
  c.transverse.lte_percent = 70;
  c.longitudinal.lte_percent = 40;
  c.mesh_in = 6;
  // Tandem (two axles 51.5 in apart) by the joint, outer wheels 2 in from the edge.
  for (double x : {150.0, 201.5})
    for (double y : {2.0, 74.0}) c.loads.push_back({x - 5, y, 10, 10, 100});
  c.points = {{180, 0}, {180.001, 0}, {90, 0}};
  return c;
}

void solve_one(benchmark::State& state, jpcp::slab::SparseBackend backend) {
  if (!jpcp::slab::backend_available(backend)) {
    state.SkipWithError("backend not built");
    return;
  }
  jpcp::slab::SlabCase c = speed_case(static_cast<double>(state.range(0)));
  int iterations = 0;
  bool odd = false;
  for (auto _ : state) {
    // A modulus that differs by one part in 1e9 from the case before: the
    // mesh's ordering is kept, but no factor of the same matrix is.
    odd = !odd;
    c.modulus_psi = odd ? 4e6 : 4e6 * (1 + 1e-9);
    const jpcp::slab::SlabSolution s = jpcp::slab::solve_case(c, backend);
    iterations = s.report.iterations;
    benchmark::DoNotOptimize(s.dofs.data());
  }
  state.counters["contact_solves"] = iterations;
}

void BM_SlabCaseEigenLDLT(benchmark::State& state) { solve_one(state, jpcp::slab::SparseBackend::eigen_ldlt); }
void BM_SlabCaseCholmod(benchmark::State& state) { solve_one(state, jpcp::slab::SparseBackend::cholmod_ldlt); }
BENCHMARK(BM_SlabCaseEigenLDLT)->Arg(-20)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlabCaseCholmod)->Arg(-20)->Arg(20)->Unit(benchmark::kMillisecond);

// Sixteen cases over a range of temperature differences (the same mesh and
// plate: each thread keeps its factor from case to case), on one and two
// threads.
void BM_SlabCasesThreadPool(benchmark::State& state) {
  std::vector<jpcp::slab::SlabCase> cases;
  for (int i = 0; i < 16; ++i) cases.push_back(speed_case(-30.0 + 4.0 * i));
  for (auto _ : state) benchmark::DoNotOptimize(jpcp::slab::solve_cases(cases, static_cast<unsigned>(state.range(0))));
  state.counters["cases_per_s"] = benchmark::Counter(16.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SlabCasesThreadPool)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
