#include "common/splines/tensor_contraction.h"

#include <algorithm>

namespace jpcp::splines {

namespace {

// values[b] += w * row[b]; element-wise, so the compiler may vectorise it
// without changing any result.
void add_scaled_row(float w, const float* __restrict row, float* __restrict values, int64_t blocks) {
  for (int64_t b = 0; b < blocks; ++b) values[b] = values[b] + w * row[b];
}

// add_scaled_row for `count` rows `stride` apart, with weights w[0..count):
// values[b] takes the rows in order, as one row at a time would add them,
// but is loaded and stored once per four rows.
void add_scaled_rows(const float* w, const float* rows, int64_t stride, int32_t count, float* __restrict values,
                     int64_t blocks) {
  int32_t r = 0;
  for (; r + 4 <= count; r += 4) {
    const float* __restrict r0 = rows + r * stride;
    const float* __restrict r1 = r0 + stride;
    const float* __restrict r2 = r1 + stride;
    const float* __restrict r3 = r2 + stride;
    const float w0 = w[r], w1 = w[r + 1], w2 = w[r + 2], w3 = w[r + 3];
    for (int64_t b = 0; b < blocks; ++b) {
      values[b] = values[b] + w0 * r0[b] + w1 * r1[b] + w2 * r2[b] + w3 * r3[b];
    }
  }
  for (; r < count; ++r) add_scaled_row(w[r], rows + r * stride, values, blocks);
}

// sum + w[0]*row[0] + ... + w[count-1]*row[count-1], added in that order;
// the cubic rows (four terms) written out.
float add_products(float sum, const float* w, const float* row, int32_t count) {
  if (count == 4) return sum + w[0] * row[0] + w[1] * row[1] + w[2] * row[2] + w[3] * row[3];
  for (int32_t i = 0; i < count; ++i) sum = sum + w[i] * row[i];
  return sum;
}

}  // namespace

void tensor_weights_2d(std::span<const float> bx, std::span<const float> by, std::span<float> weights) {
  const size_t kx = bx.size();
  for (size_t j = 0; j < by.size(); ++j) {
    for (size_t i = 0; i < kx; ++i) weights[i + kx * j] = by[j] * bx[i];
  }
}

void tensor_weights_3d(std::span<const float> bx, std::span<const float> by, std::span<const float> bz,
                       std::span<float> weights) {
  const size_t kx = bx.size();
  const size_t ky = by.size();
  for (size_t l = 0; l < bz.size(); ++l) {
    for (size_t j = 0; j < ky; ++j) {
      const float zy = bz[l] * by[j];
      for (size_t i = 0; i < kx; ++i) weights[i + kx * (j + ky * l)] = zy * bx[i];
    }
  }
}

float contract_2d(std::span<const float> coef, int32_t nx, int32_t fx, int32_t fy, int32_t kx, int32_t ky,
                  std::span<const float> weights) {
  float sum = 0.0f;
  size_t w = 0;
  for (int32_t j = 0; j < ky; ++j, w += static_cast<size_t>(kx)) {
    const float* row = coef.data() + fx + static_cast<int64_t>(nx) * (fy + j);
    sum = add_products(sum, weights.data() + w, row, kx);
  }
  return sum;
}

float contract_3d(std::span<const float> coef, int32_t nx, int32_t ny, int32_t fx, int32_t fy, int32_t fz,
                  int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights) {
  float sum = 0.0f;
  size_t w = 0;
  for (int32_t l = 0; l < kz; ++l) {
    for (int32_t j = 0; j < ky; ++j, w += static_cast<size_t>(kx)) {
      const float* row = coef.data() + fx + static_cast<int64_t>(nx) * ((fy + j) + static_cast<int64_t>(ny) * (fz + l));
      sum = add_products(sum, weights.data() + w, row, kx);
    }
  }
  return sum;
}

void contract_blocks_2d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t fx, int32_t fy,
                        int32_t kx, int32_t ky, std::span<const float> weights, std::span<float> values) {
  float* out = values.data();
  std::fill(out, out + blocks, 0.0f);
  size_t w = 0;
  for (int32_t j = 0; j < ky; ++j, w += static_cast<size_t>(kx)) {
    const int64_t offset = fx + static_cast<int64_t>(nx) * (fy + j);
    add_scaled_rows(weights.data() + w, block_major.data() + offset * blocks, blocks, kx, out, blocks);
  }
}

void contract_blocks_3d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t ny, int32_t fx,
                        int32_t fy, int32_t fz, int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights,
                        std::span<float> values) {
  float* out = values.data();
  std::fill(out, out + blocks, 0.0f);
  size_t w = 0;
  for (int32_t l = 0; l < kz; ++l) {
    for (int32_t j = 0; j < ky; ++j, w += static_cast<size_t>(kx)) {
      const int64_t offset = fx + static_cast<int64_t>(nx) * ((fy + j) + static_cast<int64_t>(ny) * (fz + l));
      add_scaled_rows(weights.data() + w, block_major.data() + offset * blocks, blocks, kx, out, blocks);
    }
  }
}

}  // namespace jpcp::splines
