#pragma once
// A plain double-precision model of the graph's filters, written apart from the product
// code (bilinear first-order sections from tan(w/2), biquads evaluated as rational
// functions of e^-jw with std::complex), to check the product's arithmetic against.

#include <cmath>
#include <complex>
#include <vector>

namespace kv816::reference {

constexpr double PI = 3.14159265358979323846;
constexpr double FS = 48000.0;

struct Biquad {
  double b[3];
  double a[3];
};

inline double levelDb(const Biquad& q, double f) {
  const std::complex<double> zi = std::polar(1.0, -2.0 * PI * f / FS); // z^-1
  const std::complex<double> num = q.b[0] + q.b[1] * zi + q.b[2] * zi * zi;
  const std::complex<double> den = q.a[0] + q.a[1] * zi + q.a[2] * zi * zi;
  return 20.0 * std::log10(std::abs(num / den));
}

// First order from the bilinear transform with K = tan(w0 / 2).
inline Biquad firstOrder(bool high, double f0) {
  const double k = std::tan(PI * f0 / FS);
  const double pole = (1.0 - k) / (1.0 + k);
  if (high) {
    return {{1.0 / (1.0 + k), -1.0 / (1.0 + k), 0.0}, {1.0, -pole, 0.0}};
  }
  return {{k / (1.0 + k), k / (1.0 + k), 0.0}, {1.0, -pole, 0.0}};
}

// Second-order Butterworth-style section with Q = sqrt(b).
inline Biquad secondOrder(bool high, double f0, double b) {
  const double w0 = 2.0 * PI * f0 / FS;
  const double alpha = std::sin(w0) / (2.0 * std::sqrt(b));
  const double c = std::cos(w0);
  const double g = high ? (1.0 + c) / 2.0 : (1.0 - c) / 2.0;
  const double mid = high ? -2.0 * g : 2.0 * g;
  return {{g, mid, g}, {1.0 + alpha, -2.0 * c, 1.0 - alpha}};
}

// Stages: 0 first order, otherwise the b value of a second-order stage.
inline double crossoverDb(bool high, double f0, const std::vector<double>& stages, double f) {
  double sum = 0.0;
  for (double b : stages) {
    sum += levelDb(b == 0.0 ? firstOrder(high, f0) : secondOrder(high, f0, b), f);
  }
  return sum;
}

// Peaking (type 0/7), high shelf (5), low shelf (6) with gain in dB.
inline double bandDb(int type, double f0, double q, double gainDb, double f) {
  const double a = std::pow(10.0, gainDb / 40.0);
  const double w0 = 2.0 * PI * f0 / FS;
  const double c = std::cos(w0);
  const double s = std::sin(w0);
  if (type != 5 && type != 6) {
    const double alpha = s / (2.0 * q);
    return levelDb({{1 + alpha * a, -2 * c, 1 - alpha * a}, {1 + alpha / a, -2 * c, 1 - alpha / a}},
                   f);
  }
  const double beta = std::sqrt(a) * s / std::min(q, 2.0);
  const double sign = type == 5 ? 1.0 : -1.0; // the low shelf mirrors the cosine terms
  const double cc = sign * c;
  Biquad bq{{a * ((a + 1) + (a - 1) * cc + beta), -2 * sign * a * ((a - 1) + (a + 1) * cc),
             a * ((a + 1) + (a - 1) * cc - beta)},
            {(a + 1) - (a - 1) * cc + beta, 2 * sign * ((a - 1) - (a + 1) * cc),
             (a + 1) - (a - 1) * cc - beta}};
  return levelDb(bq, f);
}

} // namespace kv816::reference
