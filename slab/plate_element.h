// Rectangular 4-node thin-plate (Kirchhoff) element with 12 degrees of
// freedom: at each corner the deflection w and its slopes dw/dx, dw/dy.
// The displacement field is the complete cubic plus x^3 y and x y^3; w and
// the normal slope are continuous along the sides up to the usual
// non-conformity of this element, which converges with mesh refinement.
//
// Corners in order (0,0), (a,0), (a,b), (0,b) of the local frame; dofs
// ordered corner by corner (w, w_x, w_y). Curvature vector
// kappa = (-w_xx, -w_yy, -2 w_xy); moments M = D (kappa - kappa_T) with
// D = E h^3 / (12 (1 - nu^2)) [[1, nu, 0], [nu, 1, 0], [0, 0, (1 - nu)/2]].
// Positive moments stretch the bottom fibre: bottom stress = 6 M / h^2.
#pragma once

#include <array>

namespace jpcp::slab {

using ElementMatrix = std::array<double, 144>;  // 12 x 12, row-major
using ElementVector = std::array<double, 12>;
using Moments = std::array<double, 3>;           // Mx, My, Mxy (lb in / in)

struct PlateElement {
  double a = 0.0;  // side along x (in)
  double b = 0.0;  // side along y (in)
  double rigidity = 0.0;  // E h^3 / (12 (1 - nu^2))
  double nu = 0.0;
  std::array<double, 144> inverse{};  // dofs -> polynomial coefficients

  PlateElement(double side_x, double side_y, double flexural_rigidity, double poisson);

  // Stiffness matrix.
  ElementMatrix stiffness() const;
  // Consistent nodal loads of a pressure q (psi, downwards) on the part
  // [x0, x1] x [y0, y1] of the element (local coordinates, inside it).
  ElementVector pressure_load(double q, double x0, double x1, double y0, double y1) const;
  // Nodal loads of a free curvature kappa_T in both directions (a linear
  // temperature difference: kappa_T = -alpha dT / h).
  ElementVector curvature_load(double kappa_t) const;
  // Deflection at local (x, y) from the element dofs.
  double deflection(const ElementVector& u, double x, double y) const;
  // Moments at local (x, y) from the element dofs and the free curvature.
  Moments moments(const ElementVector& u, double kappa_t, double x, double y) const;

 private:
  std::array<double, 12> coefficients(const ElementVector& u) const;
};

}  // namespace jpcp::slab
