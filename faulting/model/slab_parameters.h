// Slab quantities shared by the set-up and the month loop: the humidity
// factor, effective thickness, radius of relative stiffness, Korenev
// parameter and deflection scale.
#pragma once

namespace jpcp::faulting {

// Humidity factor of the top shrinkage for a relative humidity in percent.
float cf(float relative_humidity);

// Effective thickness (in) of slab h over base hb with moduli E and Eb (psi):
// (h^3 + (Eb/E) hb^3)^(1/3).
float effective_thickness(float h, float hb, float E, float Eb);
// Unit weight (pci) of the effective slab keeping the slab's own weight.
float adjusted_unit_weight(float gamma, float h, float h_eff);

// Radius of relative stiffness (in) for modulus E (psi), thickness h_eff (in),
// Poisson's ratio mu and k-value k (psi/in); never below 22.5 in, the
// smallest radius of the deflection models.
float radius_of_relative_stiffness(float E, float h_eff, float mu, float k);

// Korenev's dimensionless curling parameter for a temperature difference dT
// (deg F): 2 alpha (1 + mu) ell^2 k |dT| / (h_eff^2 gamma_eff).
float korenev_parameter(float alpha, float mu, float ell, float k, float dT, float h_eff, float gamma_eff);

// Scale from the deflection models' reference slab to this slab:
// 34100596 h_eff / (k ell^4).
float deflection_scale(float h_eff, float k, float ell);

}  // namespace jpcp::faulting
