// Contraction of tensor-product B-spline coefficients with the one-dimensional
// B-spline values of a point.
//
// A point activates kx*ky(*kz) coefficients. Its weights are the products of
// the one-dimensional values, X fastest:
//   2-D: w[i + kx*j]            = by[j] * bx[i]
//   3-D: w[i + kx*(j + ky*l)]   = (bz[l] * by[j]) * bx[i]
// and the value is the sum of weight times coefficient, added in that same
// order (l slowest, i fastest) from zero. Every evaluator of the system goes
// through these kernels, so a value is bit-for-bit the same whichever routine
// computes it. The kernels check nothing.
#pragma once

#include <cstdint>
#include <span>

namespace jpcp::splines {

// weights.size() >= kx*ky (kx = bx.size(), ky = by.size()).
void tensor_weights_2d(std::span<const float> bx, std::span<const float> by, std::span<float> weights);
// weights.size() >= kx*ky*kz.
void tensor_weights_3d(std::span<const float> bx, std::span<const float> by, std::span<const float> bz,
                       std::span<float> weights);

// coef: nx*ny coefficients, X fastest; (fx, fy) the first active indices.
float contract_2d(std::span<const float> coef, int32_t nx, int32_t fx, int32_t fy, int32_t kx, int32_t ky,
                  std::span<const float> weights);
// coef: nx*ny*nz coefficients, X fastest, then Y.
float contract_3d(std::span<const float> coef, int32_t nx, int32_t ny, int32_t fx, int32_t fy, int32_t fz,
                  int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights);

// Many splines on the same knots at the same point: the coefficient of
// spline b at tensor offset o (X fastest) is block_major[o*blocks + b], and
// values[b] receives the value of spline b, equal bit for bit to contract_2d /
// contract_3d on that spline's coefficients. values.size() >= blocks.
void contract_blocks_2d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t fx, int32_t fy,
                        int32_t kx, int32_t ky, std::span<const float> weights, std::span<float> values);
void contract_blocks_3d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t ny, int32_t fx,
                        int32_t fy, int32_t fz, int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights,
                        std::span<float> values);

}  // namespace jpcp::splines
