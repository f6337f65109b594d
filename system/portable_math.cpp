// Correctly rounded trigonometry from exact IEEE operations. Every function
// first tries a quick evaluation whose error is bounded well below half an
// ulp; when that bound leaves the rounding open (about one call in a few
// hundred) the value is computed again with about 100 bits. Both paths use
// only operations that round the same on every machine, so the choice
// between them, and the result, are the same everywhere.
#include "system/portable_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace portable_math {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ---- double-double arithmetic: the unevaluated sum hi + lo, |lo| <= ulp(hi) / 2

struct DD {
  double hi;
  double lo;
};

constexpr DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}
// Exact when |a| >= |b| (or a is 0).
constexpr DD FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}
// Veltkamp's split into two 26-bit halves, so the halves' products are exact.
constexpr DD Split(double a) {
  const double t = 134217729.0 * a;  // 2^27 + 1
  const double hi = t - (t - a);
  return {hi, a - hi};
}
// Dekker's exact product, written without a fused multiply-add.
constexpr DD TwoProd(double a, double b) {
  const double p = a * b;
  const DD as = Split(a);
  const DD bs = Split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}
constexpr DD Neg(DD a) { return {-a.hi, -a.lo}; }
// Relative error about 2^-105 even when a and b nearly cancel.
constexpr DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}
constexpr DD Mul(DD a, DD b) {
  const DD p = TwoProd(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}
constexpr DD Div(DD a, DD b) {
  const double q = a.hi / b.hi;
  const DD p = TwoProd(q, b.hi);
  // a.hi - p.hi is exact: q * b.hi lies within an ulp of a.hi.
  const double r = ((a.hi - p.hi) - p.lo) + a.lo - q * b.lo;
  return FastTwoSum(q, r / b.hi);
}
constexpr DD Abs(DD a) { return a.hi < 0 ? Neg(a) : a; }

constexpr DD kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr DD kHalfPi = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DD kZero = {0, 0};

// std::bit_cast is missing from the browser build's C++ library.
template <class To, class From>
To BitCast(const From& from) {
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}
// x * 2^n for the exponents used here (no overflow, no subnormal).
double Scale(double x, int n) { return x * BitCast<double>(static_cast<uint64_t>(1023 + n) << 52); }
bool SignBit(double x) { return (BitCast<uint64_t>(x) >> 63) != 0; }

// ---- Taylor series, summed in double-double

template <int N>
struct Series {
  DD c[N];
};
// (-1)^k / (2k + first)! for k = 0, 1, ...: the sine's series (first = 1) or the cosine's (0).
template <int N>
constexpr Series<N> FactorialSeries(int first) {
  Series<N> s{};
  DD term = {1, 0};
  for (int n = 1; n <= first; ++n) term = Div(term, DD{static_cast<double>(n), 0});
  for (int k = 0; k < N; ++k) {
    s.c[k] = k % 2 ? Neg(term) : term;
    const int n = 2 * k + first;
    term = Div(term, DD{static_cast<double>((n + 1) * (n + 2)), 0});
  }
  return s;
}
template <int N>
constexpr Series<N> AtanSeries() {
  Series<N> s{};
  for (int k = 0; k < N; ++k) {
    const DD term = Div(DD{1, 0}, DD{static_cast<double>(2 * k + 1), 0});
    s.c[k] = k % 2 ? Neg(term) : term;
  }
  return s;
}
// Enough terms for 2^-106 on |r| <= 0.81 (sine, cosine) and |u| <= 2^-6 (arc tangent).
constexpr Series<14> kSinSeries = FactorialSeries<14>(1);
constexpr Series<15> kCosSeries = FactorialSeries<15>(0);
constexpr Series<9> kAtanSeries = AtanSeries<9>();

// sum of c[k] * v^k by Horner's rule.
template <int N>
constexpr DD Horner(const Series<N>& s, DD v) {
  DD acc = s.c[N - 1];
  for (int k = N - 2; k >= 0; --k) acc = Add(Mul(acc, v), s.c[k]);
  return acc;
}
constexpr DD SinAccurate(DD r) { return Mul(Horner(kSinSeries, Mul(r, r)), r); }
constexpr DD CosAccurate(DD r) { return Horner(kCosSeries, Mul(r, r)); }
constexpr DD AtanAccurate(DD u) { return Mul(Horner(kAtanSeries, Mul(u, u)), u); }

// Sine, cosine and tangent of a = j / 64 for the quick paths; 0.8 covers
// every reduced argument (at most pi/4 and a rounding).
constexpr int kTableSize = 52;
struct Table {
  DD sin[kTableSize];
  DD cos[kTableSize];
  DD tan[kTableSize];
};
constexpr Table MakeTable() {
  Table t{};
  for (int j = 0; j < kTableSize; ++j) {
    const DD a = {j / 64.0, 0};
    t.sin[j] = SinAccurate(a);
    t.cos[j] = CosAccurate(a);
    t.tan[j] = Div(t.sin[j], t.cos[j]);
  }
  return t;
}
constexpr Table kTable = MakeTable();

// The double nearest to h + c, if every value within err of it rounds the
// same way. err is at least twice the true bound, which also covers the
// rounding of c +- err.
bool RoundIfSure(double h, double c, double err, double& out) {
  const double up = h + (c + err);
  const double down = h + (c - err);
  out = up;
  return up == down;
}

// ---- argument reduction: x = k * pi/2 + r, |r| <= pi/4 (and a rounding), q = k mod 4

// 2/pi in binary, 32 bits a word, most significant first: enough words for
// the largest double.
constexpr uint32_t kTwoOverPi[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D};

// Exact reduction of any finite ax >= pi/4 (Payne and Hanek's method, in
// integers): ax * 2/pi is formed to 250 bits below the binary point, which
// leaves more than 120 correct bits in r even for the double nearest to a
// multiple of pi/2 (it comes within 2^-61 of one).
DD ReduceExact(double ax, int& q) {
  const uint64_t bits = BitCast<uint64_t>(ax);
  const int e = static_cast<int>(bits >> 52) - 1075;  // ax = m * 2^e
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  // Bit i of 2/pi (weight 2^-i) adds a multiple of four quadrants when i <= e - 2: skip those words.
  const int first = e >= 2 ? (e - 2) / 32 : 0;
  constexpr int kWords = 9;
  uint32_t p[kWords + 2] = {};  // m times the window of 2/pi, least significant word first
  for (int half = 0; half < 2; ++half) {
    const uint64_t mh = half ? m >> 32 : m & 0xFFFFFFFF;
    uint64_t carry = 0;
    for (int i = 0; i < kWords; ++i) {
      const uint64_t t = uint64_t{kTwoOverPi[first + kWords - 1 - i]} * mh + p[i + half] + carry;
      p[i + half] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    p[kWords + half] += static_cast<uint32_t>(carry);
  }
  const int point = 32 * (first + kWords) - e;  // bits below it are the fraction of a quadrant
  auto bit = [&](int n) { return (p[n / 32] >> (n % 32)) & 1; };
  q = static_cast<int>(bit(point) + 2 * bit(point + 1));
  const bool up = bit(point - 1);  // the fraction is a half or more: round to the next quadrant
  if (up) {
    q = (q + 1) & 3;
    uint64_t borrow = 1;  // two's complement: the low bits become 1 - fraction
    for (uint32_t& w : p) {
      const uint64_t t = uint64_t{static_cast<uint32_t>(~w)} + borrow;
      w = static_cast<uint32_t>(t);
      borrow = t >> 32;
    }
  }
  p[point / 32] &= (uint32_t{1} << (point % 32)) - 1;
  for (int w = point / 32 + 1; w < kWords + 2; ++w) p[w] = 0;
  int top = point / 32;
  while (top >= 0 && p[top] == 0) --top;
  if (top < 0) return kZero;
  const int lead = 32 * top + 31 - std::countl_zero(p[top]);  // the fraction's leading one
  // 128 bits from the leading one down; the fraction is far above bit 128.
  auto bits64 = [&](int low) {
    uint64_t v = 0;
    for (int n = 63; n >= 0; --n) v = (v << 1) | bit(low + n);
    return v;
  };
  const uint64_t a = bits64(lead - 63);
  const uint64_t b = bits64(lead - 127);
  const int s = lead - 127 - point;
  const DD f = FastTwoSum(Scale(static_cast<double>(a >> 11), 75 + s),
                          Scale(static_cast<double>(((a & 0x7FF) << 42) | (b >> 22)), 22 + s));
  const DD frac = FastTwoSum(f.hi, f.lo + Scale(static_cast<double>(b & 0x3FFFFF), s));
  const DD r = Mul(frac, kHalfPi);
  return up ? Neg(r) : r;
}

// Cody and Waite's reduction for ax < 2^21: pi/2 in three pieces, the first
// two short enough that k times them is exact. The error, below 2^-90, is
// small against r unless r is tiny; then the exact reduction is used.
constexpr double kFastReductionLimit = 0x1p21;
constexpr double kTwoOverPiDouble = 0x1.45f306dc9c883p-1;
constexpr double kHalfPi1 = 0x1.921fb54400000p+0;
constexpr double kHalfPi2 = 0x1.0b4611a400000p-34;
constexpr double kHalfPi3 = 0x1.13198a2e03707p-65;
constexpr double kRoundShifter = 0x1.8p52;  // adding it rounds to an integer

// Reduces ax (finite, >= 0); exact is set when r carries the exact reduction's precision.
DD Reduce(double ax, int& q, bool& exact) {
  exact = true;
  q = 0;
  if (ax <= 0x1.921fb54442d18p-1) return {ax, 0};
  if (ax >= kFastReductionLimit) return ReduceExact(ax, q);
  const double k = (ax * kTwoOverPiDouble + kRoundShifter) - kRoundShifter;
  q = static_cast<int>(k) & 3;
  DD r = TwoSum(ax - k * kHalfPi1, -(k * kHalfPi2));
  r = TwoSum(r.hi, r.lo - k * kHalfPi3);
  if ((r.hi < 0 ? -r.hi : r.hi) < 0x1p-22) return ReduceExact(ax, q);
  exact = false;
  return r;
}

// ---- sine and cosine

// sin(r) (cosine false) or cos(r) for |r| <= 0.8 as h + c, relative error below 2^-64.
DD SinCosQuick(DD r, bool cosine) {
  const bool negative = r.hi < 0;
  if (negative) r = Neg(r);
  const int j = static_cast<int>(r.hi * 64 + 0.5);
  const DD s = kTable.sin[j];
  const DD co = kTable.cos[j];
  const double t = r.hi - j / 64.0;  // exact
  const double t2 = t * t;
  // sin(t) - t and cos(t) - 1 for |t| <= 1/128
  const double sm = t * t2 * (-1.0 / 6 + t2 * (1.0 / 120 + t2 * (-1.0 / 5040 + t2 * (1.0 / 362880))));
  const double cm = t2 * (-0.5 + t2 * (1.0 / 24 + t2 * (-1.0 / 720 + t2 * (1.0 / 40320))));
  DD out;
  if (cosine) {  // cos(a + t) = cos a - sin a * t + cos a (cos t - 1) - sin a (sin t - t)
    const DD p = TwoProd(s.hi, t);
    const DD h = TwoSum(co.hi, -p.hi);
    out = {h.hi, h.lo - p.lo + co.lo - (s.hi + co.hi * t) * r.lo - s.lo * t + co.hi * cm - s.hi * sm};
  } else {  // sin(a + t) = sin a + cos a * t + sin a (cos t - 1) + cos a (sin t - t)
    const DD p = TwoProd(co.hi, t);
    const DD h = TwoSum(s.hi, p.hi);
    out = {h.hi, h.lo + p.lo + s.lo + (co.hi - s.hi * t) * r.lo + co.lo * t + s.hi * cm + co.hi * sm};
    if (negative) out = Neg(out);
  }
  return out;
}

constexpr double kQuickError = 0x1p-62;  // twice and more the quick paths' bound

// sin(x) for kernel_shift 0, cos(x) for 1: both are the sine of x + shift * pi/2.
double SinCos(double x, int shift) {
  const double ax = x < 0 ? -x : x;
  if (!(ax < kInf)) return kNaN;
  const bool flip = shift == 0 && x < 0;  // sin(-x) = -sin(x); cos is even
  if (ax < 0x1p-27) {
    // |sin x - x| and |cos x - 1| are below a quarter of an ulp there.
    return shift ? 1.0 : x;
  }
  int q;
  bool exact;
  DD r = Reduce(ax, q, exact);
  q += shift;
  const DD v = SinCosQuick(r, q & 1);
  double out;
  if (!RoundIfSure(v.hi, v.lo, kQuickError * (v.hi < 0 ? -v.hi : v.hi), out)) {
    if (!exact) {
      r = ReduceExact(ax, q);  // the quadrant may differ when r is near pi/4
      q += shift;
    }
    out = (q & 1 ? CosAccurate(r) : SinAccurate(r)).hi;
  }
  return ((q & 2) != 0) != flip ? -out : out;
}

// ---- arc tangent

// atan2(y, x) for y, x given as double-doubles (the arc sine and cosine pass
// a square root carried to double-double precision).
double Atan2DD(DD y, DD x) {
  if (y.hi != y.hi || x.hi != x.hi) return kNaN;
  const bool negative = SignBit(y.hi);
  const bool xneg = SignBit(x.hi);
  const DD ay = Abs(y);
  const DD ax = Abs(x);
  double out;
  if (ay.hi == 0) {
    out = xneg ? kPi.hi : 0.0;
  } else if (ax.hi == 0) {
    out = kHalfPi.hi;
  } else if (ay.hi == kInf) {
    out = ax.hi == kInf ? (xneg ? 0x1.2d97c7f3321d2p+1 : 0x1.921fb54442d18p-1) : kHalfPi.hi;
  } else if (ax.hi == kInf) {
    out = xneg ? kPi.hi : 0.0;
  } else {
    // The angle is k + sign * atan(num / den) with num <= den.
    const bool swap = ay.hi > ax.hi || (ay.hi == ax.hi && ay.lo > ax.lo);
    DD num = swap ? ax : ay;
    DD den = swap ? ay : ax;
    const DD k = swap ? kHalfPi : (xneg ? kPi : kZero);
    const double sign = swap == xneg ? 1.0 : -1.0;
    const double ratio = num.hi / den.hi;
    if (ratio < 0x1p-60) {
      // atan(z) = z to far beyond double precision; z rounded once.
      out = k.hi + (k.lo + sign * ratio);
    } else {
      // Scale both by a power of two into a range where the exact products
      // cannot overflow or underflow; the ratio stays the same.
      if (den.hi > 0x1p500) {
        num = {Scale(num.hi, -600), Scale(num.lo, -600)};
        den = {Scale(den.hi, -600), Scale(den.lo, -600)};
      } else if (den.hi < 0x1p-500) {
        num = {Scale(num.hi, 600), Scale(num.lo, 600)};
        den = {Scale(den.hi, 600), Scale(den.lo, 600)};
      }
      const DD z = Div(num, den);
      // atan(z) = j/64 + atan(u), u = (z - tan(j/64)) / (1 + z tan(j/64)), with
      // j from a rough arc tangent (error below 0.004), so |u| < 0.0117.
      const int j = static_cast<int>(z.hi * (0.785398 + 0.273 * (1 - z.hi)) * 64 + 0.5);
      const DD t = kTable.tan[j];
      const DD n0 = TwoSum(z.hi, -t.hi);
      const DD n = TwoSum(n0.hi, n0.lo + (z.lo - t.lo));
      const DD p = TwoProd(z.hi, t.hi);
      const DD d0 = TwoSum(1.0, p.hi);
      const DD d = FastTwoSum(d0.hi, d0.lo + (p.lo + z.hi * t.lo + z.lo * t.hi));
      const DD u = Div(n, d);
      const double u2 = u.hi * u.hi;
      const double tail = u.hi * u2 * (-1.0 / 3 + u2 * (1.0 / 5 + u2 * (-1.0 / 7 + u2 * (1.0 / 9 - u2 / 11))));
      const DD th = TwoSum(j / 64.0, u.hi);
      const double tl = th.lo + u.lo + tail;
      const DD h = TwoSum(k.hi, sign * th.hi);
      const double c = h.lo + k.lo + sign * tl;
      if (!RoundIfSure(h.hi, c, kQuickError * h.hi, out)) {
        const DD theta = Add(DD{j / 64.0, 0}, AtanAccurate(u));
        out = Add(k, sign > 0 ? theta : Neg(theta)).hi;
      }
    }
  }
  return negative ? -out : out;
}

// sqrt(1 - x^2) for |x| <= 1, in double-double.
DD Cosine(double x) {
  const double a = x < 0 ? -x : x;
  const DD w = Mul(TwoSum(1.0, -a), TwoSum(1.0, a));  // (1 - a)(1 + a), no cancellation
  if (w.hi == 0) return kZero;
  const double s = std::sqrt(w.hi);
  const DD ss = TwoProd(s, s);
  return FastTwoSum(s, (((w.hi - ss.hi) - ss.lo) + w.lo) / (2 * s));
}

}  // namespace

double Sin(double x) { return SinCos(x, 0); }
double Cos(double x) { return SinCos(x, 1); }

double Tan(double x) {
  const double ax = x < 0 ? -x : x;
  if (!(ax < kInf)) return kNaN;
  if (ax < 0x1p-27) return x;  // |tan x - x| is below a quarter of an ulp
  int q;
  bool exact;
  DD r = Reduce(ax, q, exact);
  // tan(x) = tan(r) in even quadrants, -cos(r) / sin(r) in odd ones.
  DD s = SinCosQuick(r, false);
  DD c = SinCosQuick(r, true);
  s = FastTwoSum(s.hi, s.lo);
  c = FastTwoSum(c.hi, c.lo);
  DD v = q & 1 ? Div(c, s) : Div(s, c);
  double out;
  if (!RoundIfSure(v.hi, v.lo, 2 * kQuickError * (v.hi < 0 ? -v.hi : v.hi), out)) {
    if (!exact) r = ReduceExact(ax, q);
    s = SinAccurate(r);
    c = CosAccurate(r);
    out = (q & 1 ? Div(c, s) : Div(s, c)).hi;
  }
  if (q & 1) out = -out;
  return x < 0 ? -out : out;
}

double Atan2(double y, double x) { return Atan2DD({y, 0}, {x, 0}); }
double Atan(double x) { return Atan2DD({x, 0}, {1, 0}); }

double Asin(double x) {
  if (!(x >= -1 && x <= 1)) return kNaN;
  const double ax = x < 0 ? -x : x;
  if (ax < 0x1p-27) return x;  // |asin x - x| is below a quarter of an ulp
  return Atan2DD({x, 0}, Cosine(x));
}

double Acos(double x) {
  if (!(x >= -1 && x <= 1)) return kNaN;
  return Atan2DD(Cosine(x), {x, 0});
}

}  // namespace portable_math
