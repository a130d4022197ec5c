// Banded linear systems: Gaussian elimination without pivoting, factorised
// once and applied to many right-hand sides.
//
// Collocation matrices of B-splines at data that satisfy the
// Schoenberg-Whitney conditions are totally positive, so elimination without
// pivoting is stable for them and keeps the band (de Boor's banfac/banslv).
// A nearly singular factorisation (a pivot tiny against the largest pivot)
// is flagged; solve_refined then adds one step of iterative refinement with
// the residual accumulated in double precision.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace jpcp::splines {

class BandedMatrix {
 public:
  // An n x n matrix with `lower` sub-diagonals and `upper` super-diagonals,
  // all entries zero.
  void reset(int32_t n, int32_t lower, int32_t upper);

  int32_t size() const { return n_; }
  // Entry (row, column), 0-based; |row - column| within the band.
  float& at(int32_t row, int32_t column) { return band_[index(row, column)]; }
  float at(int32_t row, int32_t column) const { return band_[index(row, column)]; }

  // y = A x (accumulated in double), for the residual of refinement.
  void multiply(std::span<const float> x, std::span<double> y) const;

  // LU factorisation in place. Returns the ratio of the smallest to the
  // largest pivot magnitude (0 when a pivot vanished; such a pivot is
  // replaced by a tiny value so that solves stay finite).
  float factorise();
  // Solves L U x = b in place (b becomes x); requires factorise().
  void solve(std::span<float> b) const;

 private:
  size_t index(int32_t row, int32_t column) const {
    return static_cast<size_t>(row) * static_cast<size_t>(width_) + static_cast<size_t>(column - row + lower_);
  }

  int32_t n_ = 0;
  int32_t lower_ = 0;
  int32_t upper_ = 0;
  int32_t width_ = 1;
  std::vector<float> band_;
};

// The one-dimensional interpolation problem of one direction: the
// collocation matrix B(m, k, t)(x_r), factorised once, applied to every
// right-hand side of that direction.
class CollocationSolver {
 public:
  // data: n strictly increasing abscissas; knots: n+order knots satisfying
  // the Schoenberg-Whitney conditions with the data (checked by the caller).
  void factor(std::span<const float> data, std::span<const float> knots, int32_t order);

  int32_t size() const { return original_.size(); }
  // Pivot ratio below this flags a nearly singular matrix (100 times the
  // relative spacing of 4-byte reals).
  static constexpr float nearly_singular_ratio = 100.0f * 1.1920928955078125e-07f;
  bool nearly_singular() const { return pivot_ratio_ < nearly_singular_ratio; }

  // Work arrays of the refinement step, reused across right-hand sides.
  struct RefinementWork {
    std::vector<float> rhs;
    std::vector<float> correction;
    std::vector<float> first_solution;
    std::vector<double> product;
  };

  // Largest residual, relative to the largest data value, that a refined
  // solution may leave: it reproduces the data to single precision.
  static constexpr double refinement_tolerance = 100.0 * 1.1920928955078125e-07;

  // Replaces the data values b (n values) by the coefficients. When the
  // matrix is nearly singular, one refinement step follows (the solution with
  // the smaller residual is kept); the return value is false when even that
  // solution leaves a residual above refinement_tolerance.
  bool solve(std::span<float> b, RefinementWork& work) const;

 private:
  // Largest |rhs - A x| (double precision); the residual itself goes to
  // work.correction.
  double residual(std::span<const float> x, RefinementWork& work) const;

  BandedMatrix original_;
  BandedMatrix factors_;
  float pivot_ratio_ = 1.0f;
};

}  // namespace jpcp::splines
