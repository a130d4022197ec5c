#include "slab/plate_element.h"

#include <cmath>

#include <Eigen/Dense>

namespace jpcp::slab {
namespace {

// Monomials 1, x, y, x^2, xy, y^2, x^3, x^2y, xy^2, y^3, x^3y, xy^3.
std::array<double, 12> monomials(double x, double y) {
  return {1, x, y, x * x, x * y, y * y, x * x * x, x * x * y, x * y * y, y * y * y, x * x * x * y, x * y * y * y};
}
std::array<double, 12> d_dx(double x, double y) {
  return {0, 1, 0, 2 * x, y, 0, 3 * x * x, 2 * x * y, y * y, 0, 3 * x * x * y, y * y * y};
}
std::array<double, 12> d_dy(double x, double y) {
  return {0, 0, 1, 0, x, 2 * y, 0, x * x, 2 * x * y, 3 * y * y, x * x * x, 3 * x * y * y};
}
std::array<double, 12> d_xx(double x, double y) { return {0, 0, 0, 2, 0, 0, 6 * x, 2 * y, 0, 0, 6 * x * y, 0}; }
std::array<double, 12> d_yy(double x, double y) { return {0, 0, 0, 0, 0, 2, 0, 0, 2 * x, 6 * y, 0, 6 * x * y}; }
std::array<double, 12> d_xy(double x, double y) {
  return {0, 0, 0, 0, 1, 0, 0, 2 * x, 2 * y, 0, 3 * x * x, 3 * y * y};
}

// Three-point Gauss rule on [0, 1]: exact for degree 5 in each direction.
constexpr std::array<double, 3> gauss_x = {0.1127016653792583, 0.5, 0.8872983346207417};
constexpr std::array<double, 3> gauss_w = {5.0 / 18.0, 8.0 / 18.0, 5.0 / 18.0};

// Rows of the shape-function curvature operator at (x, y): 3 x 12.
std::array<std::array<double, 12>, 3> curvature_rows(const std::array<double, 144>& inverse, double x, double y) {
  const auto pxx = d_xx(x, y), pyy = d_yy(x, y), pxy = d_xy(x, y);
  std::array<std::array<double, 12>, 3> rows{};
  for (int j = 0; j < 12; ++j) {
    double sxx = 0, syy = 0, sxy = 0;
    for (int m = 0; m < 12; ++m) {
      const double c = inverse[static_cast<size_t>(m * 12 + j)];
      sxx += pxx[static_cast<size_t>(m)] * c;
      syy += pyy[static_cast<size_t>(m)] * c;
      sxy += pxy[static_cast<size_t>(m)] * c;
    }
    rows[0][static_cast<size_t>(j)] = -sxx;
    rows[1][static_cast<size_t>(j)] = -syy;
    rows[2][static_cast<size_t>(j)] = -2.0 * sxy;
  }
  return rows;
}

}  // namespace

PlateElement::PlateElement(double side_x, double side_y, double flexural_rigidity, double poisson)
    : a(side_x), b(side_y), rigidity(flexural_rigidity), nu(poisson) {
  Eigen::Matrix<double, 12, 12> c;
  const std::array<std::array<double, 2>, 4> corners = {{{0, 0}, {a, 0}, {a, b}, {0, b}}};
  for (int n = 0; n < 4; ++n) {
    const double x = corners[static_cast<size_t>(n)][0], y = corners[static_cast<size_t>(n)][1];
    const auto p = monomials(x, y), px = d_dx(x, y), py = d_dy(x, y);
    for (int m = 0; m < 12; ++m) {
      c(3 * n, m) = p[static_cast<size_t>(m)];
      c(3 * n + 1, m) = px[static_cast<size_t>(m)];
      c(3 * n + 2, m) = py[static_cast<size_t>(m)];
    }
  }
  const Eigen::Matrix<double, 12, 12> inv = c.inverse();
  for (int r = 0; r < 12; ++r)
    for (int s = 0; s < 12; ++s) inverse[static_cast<size_t>(r * 12 + s)] = inv(r, s);
}

ElementMatrix PlateElement::stiffness() const {
  ElementMatrix k{};
  const double d11 = rigidity, d12 = rigidity * nu, d33 = rigidity * (1.0 - nu) / 2.0;
  for (size_t gi = 0; gi < 3; ++gi) {
    for (size_t gj = 0; gj < 3; ++gj) {
      const double w = gauss_w[gi] * gauss_w[gj] * a * b;
      const auto B = curvature_rows(inverse, gauss_x[gi] * a, gauss_x[gj] * b);
      for (size_t r = 0; r < 12; ++r) {
        const double db0 = d11 * B[0][r] + d12 * B[1][r];
        const double db1 = d12 * B[0][r] + d11 * B[1][r];
        const double db2 = d33 * B[2][r];
        for (size_t s = 0; s < 12; ++s) k[r * 12 + s] += w * (db0 * B[0][s] + db1 * B[1][s] + db2 * B[2][s]);
      }
    }
  }
  return k;
}

ElementVector PlateElement::pressure_load(double q, double x0, double x1, double y0, double y1) const {
  std::array<double, 12> integral{};  // of each monomial over the part
  for (size_t gi = 0; gi < 3; ++gi) {
    for (size_t gj = 0; gj < 3; ++gj) {
      const double w = gauss_w[gi] * gauss_w[gj] * (x1 - x0) * (y1 - y0);
      const auto p = monomials(x0 + gauss_x[gi] * (x1 - x0), y0 + gauss_x[gj] * (y1 - y0));
      for (size_t m = 0; m < 12; ++m) integral[m] += w * p[m];
    }
  }
  ElementVector f{};
  for (size_t j = 0; j < 12; ++j) {
    double s = 0.0;
    for (size_t m = 0; m < 12; ++m) s += integral[m] * inverse[m * 12 + j];
    f[j] = q * s;
  }
  return f;
}

ElementVector PlateElement::curvature_load(double kappa_t) const {
  // f = integral of B^T D (kappa_T, kappa_T, 0).
  const double m_free = rigidity * (1.0 + nu) * kappa_t;
  ElementVector f{};
  for (size_t gi = 0; gi < 3; ++gi) {
    for (size_t gj = 0; gj < 3; ++gj) {
      const double w = gauss_w[gi] * gauss_w[gj] * a * b;
      const auto B = curvature_rows(inverse, gauss_x[gi] * a, gauss_x[gj] * b);
      for (size_t r = 0; r < 12; ++r) f[r] += w * m_free * (B[0][r] + B[1][r]);
    }
  }
  return f;
}

std::array<double, 12> PlateElement::coefficients(const ElementVector& u) const {
  std::array<double, 12> c{};
  for (size_t m = 0; m < 12; ++m) {
    double s = 0.0;
    for (size_t j = 0; j < 12; ++j) s += inverse[m * 12 + j] * u[j];
    c[m] = s;
  }
  return c;
}

double PlateElement::deflection(const ElementVector& u, double x, double y) const {
  const auto c = coefficients(u);
  const auto p = monomials(x, y);
  double w = 0.0;
  for (size_t m = 0; m < 12; ++m) w += c[m] * p[m];
  return w;
}

Moments PlateElement::moments(const ElementVector& u, double kappa_t, double x, double y) const {
  const auto c = coefficients(u);
  const auto pxx = d_xx(x, y), pyy = d_yy(x, y), pxy = d_xy(x, y);
  double wxx = 0, wyy = 0, wxy = 0;
  for (size_t m = 0; m < 12; ++m) {
    wxx += c[m] * pxx[m];
    wyy += c[m] * pyy[m];
    wxy += c[m] * pxy[m];
  }
  const double kx = -wxx - kappa_t, ky = -wyy - kappa_t, kxy = -2.0 * wxy;
  return {rigidity * (kx + nu * ky), rigidity * (nu * kx + ky), rigidity * (1.0 - nu) / 2.0 * kxy};
}

}  // namespace jpcp::slab
