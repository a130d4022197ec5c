// Closed-form responses of a concrete slab on a dense-liquid foundation, the
// raw material of the demonstration models. US units: lb, in, psi, pci.
#pragma once

#include <cmath>

namespace jpcp::models::slab {

inline constexpr double pi = 3.14159265358979323846;
inline constexpr double nu = 0.15;                 // Poisson's ratio of every reference slab
inline constexpr double reference_modulus = 4.0e6;  // psi
inline constexpr double reference_k = 100.0;        // pci
inline constexpr double reference_gamma = 0.087;    // lb/in^3, the cracking models' reference unit weight
inline constexpr double faulting_gamma = 150.0 / 1728.0;  // lb/in^3, 150 pcf, the deflection models' reference
inline constexpr double deflection_scale_constant = 34100596.0;

// Thickness of the reference slab (E = 4e6 psi, nu = 0.15, k = 100 pci) with
// radius of relative stiffness l.
inline double reference_thickness(double l) {
  return std::cbrt(12.0 * 0.9775 * 100.0 * l * l * l * l / reference_modulus);
}
// Radius of relative stiffness of the reference slab of thickness h.
inline double reference_radius(double h) {
  return std::pow(reference_modulus * h * h * h / (12.0 * 0.9775 * reference_k), 0.25);
}

// Westergaard edge stress with the later corrections, circular load P of
// radius a, slab h with radius l (E h^3 / k = 12 (1 - nu^2) l^4).
inline double edge_stress(double P, double a, double h, double l) {
  const double stiffness = 12.0 * (1.0 - nu * nu) * std::pow(l / a, 4.0) / 100.0;
  return 3.0 * (1.0 + nu) * P / (pi * (3.0 + nu) * h * h) *
         (std::log(stiffness) + 1.84 - 4.0 * nu / 3.0 + (1.0 - nu) / 2.0 + 1.18 * (1.0 + 2.0 * nu) * a / l);
}

// Westergaard interior stress with the equivalent radius b.
inline double interior_stress(double P, double a, double h, double l) {
  const double b = a >= 1.724 * h ? a : std::sqrt(1.6 * a * a + h * h) - 0.675 * h;
  return 3.0 * (1.0 + nu) * P / (2.0 * pi * h * h) * (std::log(l / b) + 0.6159);
}

// Stress at the slab edge for a load at distance x (in) from the edge: the
// edge value falls off to the interior value over about 0.6 l.
inline double edge_offset_stress(double P, double a, double h, double l, double x) {
  const double si = interior_stress(P, a, h, l);
  return si + (edge_stress(P, a, h, l) - si) * std::exp(-x / (0.6 * l));
}

// Bradbury's edge curling coefficient C(L/l).
inline double bradbury(double ratio) {
  const double lam = ratio / std::sqrt(8.0);
  // cos cosh (tan + tanh) written without the poles of tan.
  return 1.0 - 2.0 * (std::sin(lam) * std::cosh(lam) + std::cos(lam) * std::sinh(lam)) /
                   (std::sin(2.0 * lam) + std::sinh(2.0 * lam));
}

// Curling stress of a slab of length ratio L/l with Korenev parameter phi,
// unit weight gamma, radius l and thickness h: 3 (1 - nu) C phi gamma l^2 / h.
inline double curling_stress(double ratio, double phi, double gamma, double l, double h) {
  return 3.0 * (1.0 - nu) * bradbury(ratio) * phi * gamma * l * l / h;
}

// Westergaard corner deflection (later form), load P on a circle of radius a.
inline double corner_deflection(double P, double a, double k, double l) {
  return P / (k * l * l) * (1.205 - 0.69 * 1.772 * a / l);
}

}  // namespace jpcp::models::slab
