#include "common/splines/tensor_contraction.h"

#include <algorithm>

namespace jpcp::splines {

namespace {

// values[b] += w * row[b]; element-wise, so the compiler may vectorise it
// without changing any result.
void add_scaled_row(float w, const float* __restrict row, float* __restrict values, int64_t blocks) {
  for (int64_t b = 0; b < blocks; ++b) values[b] = values[b] + w * row[b];
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
  for (int32_t j = 0; j < ky; ++j) {
    const float* row = coef.data() + fx + static_cast<int64_t>(nx) * (fy + j);
    for (int32_t i = 0; i < kx; ++i) sum = sum + weights[w++] * row[i];
  }
  return sum;
}

float contract_3d(std::span<const float> coef, int32_t nx, int32_t ny, int32_t fx, int32_t fy, int32_t fz,
                  int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights) {
  float sum = 0.0f;
  size_t w = 0;
  for (int32_t l = 0; l < kz; ++l) {
    for (int32_t j = 0; j < ky; ++j) {
      const float* row = coef.data() + fx + static_cast<int64_t>(nx) * ((fy + j) + static_cast<int64_t>(ny) * (fz + l));
      for (int32_t i = 0; i < kx; ++i) sum = sum + weights[w++] * row[i];
    }
  }
  return sum;
}

void contract_blocks_2d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t fx, int32_t fy,
                        int32_t kx, int32_t ky, std::span<const float> weights, std::span<float> values) {
  float* out = values.data();
  std::fill(out, out + blocks, 0.0f);
  size_t w = 0;
  for (int32_t j = 0; j < ky; ++j) {
    for (int32_t i = 0; i < kx; ++i) {
      const int64_t offset = (fx + i) + static_cast<int64_t>(nx) * (fy + j);
      add_scaled_row(weights[w++], block_major.data() + offset * blocks, out, blocks);
    }
  }
}

void contract_blocks_3d(std::span<const float> block_major, int64_t blocks, int32_t nx, int32_t ny, int32_t fx,
                        int32_t fy, int32_t fz, int32_t kx, int32_t ky, int32_t kz, std::span<const float> weights,
                        std::span<float> values) {
  float* out = values.data();
  std::fill(out, out + blocks, 0.0f);
  size_t w = 0;
  for (int32_t l = 0; l < kz; ++l) {
    for (int32_t j = 0; j < ky; ++j) {
      for (int32_t i = 0; i < kx; ++i) {
        const int64_t offset = (fx + i) + static_cast<int64_t>(nx) * ((fy + j) + static_cast<int64_t>(ny) * (fz + l));
        add_scaled_row(weights[w++], block_major.data() + offset * blocks, out, blocks);
      }
    }
  }
}

}  // namespace jpcp::splines
