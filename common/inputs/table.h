// Two-dimensional table stored with the first index varying fastest, the
// order in which every table is handed between the routines of both programs.
#pragma once

#include <cstddef>
#include <vector>

namespace jpcp::inputs {

template <typename T>
class Table2D {
 public:
  Table2D() = default;
  Table2D(size_t rows, size_t columns, T value = T{}) : rows_(rows), columns_(columns), data_(rows * columns, value) {}

  size_t rows() const { return rows_; }
  size_t columns() const { return columns_; }
  // Zero-based row and column.
  T& operator()(size_t row, size_t column) { return data_[row + rows_ * column]; }
  const T& operator()(size_t row, size_t column) const { return data_[row + rows_ * column]; }
  T* data() { return data_.data(); }
  const T* data() const { return data_.data(); }
  void fill(T value) { data_.assign(data_.size(), value); }

  // Element (r, c) of the result is element (c, r) of this table.
  Table2D transposed() const {
    Table2D result(columns_, rows_);
    for (size_t c = 0; c < columns_; ++c) {
      for (size_t r = 0; r < rows_; ++r) result(c, r) = (*this)(r, c);
    }
    return result;
  }

 private:
  size_t rows_ = 0;
  size_t columns_ = 0;
  std::vector<T> data_;
};

}  // namespace jpcp::inputs
