// Correctly rounded trigonometry and power from exact IEEE operations. Every function
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
constexpr DD kQuadrantAngles[3] = {kZero, kHalfPi, kPi};

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

// The quick kernels' tables, for a = j / 64, j = -51 to 51 (0.8 covers every
// reduced argument: at most pi/4 and a rounding). Near a, sine and cosine
// are both f(a + t) = A + B t + A (cos t - 1) + B (sin t - t), with
// (A, B) = (sin a, cos a) for the sine and (cos a, -sin a) for the cosine;
// B is also kept as a 26-bit head, whose product with the 26-bit head of t
// is exact, and the rest.
constexpr int kTableHalf = 51;
struct Kernel {
  double a, aLo, b, bHead, bTail;
};
struct Tables {
  Kernel kernel[2][2 * kTableHalf + 1];  // [sine, cosine][j + 51]
  DD atan[65];                           // atan(j / 64)
};
constexpr Kernel MakeKernel(DD a, DD b) {
  const double head = Split(b.hi).hi;
  return {a.hi, a.lo, b.hi, head, (b.hi - head) + b.lo};
}
constexpr Tables MakeTables() {
  Tables t{};
  DD tan[kTableHalf + 1] = {};
  for (int j = 0; j <= kTableHalf; ++j) {
    const DD a = {j / 64.0, 0};
    const DD s = SinAccurate(a);
    const DD c = CosAccurate(a);
    tan[j] = Div(s, c);
    t.kernel[0][kTableHalf + j] = MakeKernel(s, c);
    t.kernel[0][kTableHalf - j] = MakeKernel(Neg(s), c);
    t.kernel[1][kTableHalf + j] = MakeKernel(c, Neg(s));
    t.kernel[1][kTableHalf - j] = MakeKernel(c, s);
  }
  // atan(c) = i/64 + atan((c - tan(i/64)) / (1 + c tan(i/64))), i/64 a rough
  // arc tangent of c (off by less than 0.004), so the series converges fast.
  for (int j = 0; j <= 64; ++j) {
    const DD c = {j / 64.0, 0};
    const int i = static_cast<int>(c.hi * (0.785398 + 0.273 * (1 - c.hi)) * 64 + 0.5);
    const DD u = Div(Add(c, Neg(tan[i])), Add(DD{1, 0}, Mul(c, tan[i])));
    t.atan[j] = Add(DD{i / 64.0, 0}, AtanAccurate(u));
  }
  return t;
}
constexpr Tables kTables = MakeTables();

double Abs(double x) { return BitCast<double>(BitCast<uint64_t>(x) & 0x7FFFFFFFFFFFFFFF); }
double FlipSign(double x, uint64_t sign) { return BitCast<double>(BitCast<uint64_t>(x) ^ sign); }
// x with the low 7 or 27 bits of its significand cleared.
double Head46(double x) { return BitCast<double>(BitCast<uint64_t>(x) & ~uint64_t{0x7F}); }
double Head26(double x) { return BitCast<double>(BitCast<uint64_t>(x) & ~uint64_t{0x7FFFFFF}); }

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
// integers): ax * 2/pi is formed to 255 bits below the binary point, which
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
  auto bits64 = [&](int low) {  // bits low to low + 63 (low + 95 is still inside p)
    const int w = low / 32;
    const int shift = low % 32;
    const uint64_t two = (uint64_t{p[w + 1]} << 32) | p[w];
    return shift ? (two >> shift) | (uint64_t{p[w + 2]} << (64 - shift)) : two;
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
// Adding it rounds a value below 2^51 to an integer, which then also sits
// in the low bits of the sum's encoding.
constexpr double kRoundShifter = 0x1.8p52;
int64_t LowBits(double shifted) { return static_cast<int64_t>(BitCast<uint64_t>(shifted) - BitCast<uint64_t>(kRoundShifter)); }

// Reduces ax (finite, >= 0); exact is set when r carries the exact
// reduction's precision. r.lo may exceed half an ulp of r.hi: the quick
// kernels only need the sum.
[[gnu::always_inline]] inline DD Reduce(double ax, int& q, bool& exact) {
  exact = true;
  if (ax >= kFastReductionLimit) return ReduceExact(ax, q);
  const double shifted = ax * kTwoOverPiDouble + kRoundShifter;
  const double k = shifted - kRoundShifter;
  q = static_cast<int>(LowBits(shifted) & 3);
  // ax - k * kHalfPi1 is exact, and so is its difference with k * kHalfPi2
  // whenever the two are close, so the fast sum loses nothing.
  const DD r = FastTwoSum(ax - k * kHalfPi1, -(k * kHalfPi2));
  if (k != 0 && Abs(r.hi) < 0x1p-22) return ReduceExact(ax, q);
  exact = k == 0;
  return {r.hi, r.lo - k * kHalfPi3};
}

// ---- sine and cosine

// sin(r) (kind 0) or cos(r) (kind 1) for |r| <= 0.8 as h + c, with a
// relative error below 2^-65. The sums are grouped to shorten the chain of
// dependent additions; each term is far below h, so the grouping costs nothing.
[[gnu::always_inline]] inline DD SinCosQuick(DD r, int kind) {
  const double shifted = r.hi * 64 + kRoundShifter;
  const Kernel& e = kTables.kernel[kind][kTableHalf + LowBits(shifted)];
  const double a = (shifted - kRoundShifter) * (1.0 / 64);
  const double t = r.hi - a;  // exact
  const double tHead = Split(t).hi;  // 26 bits: its product with B's head is exact
  const double t2 = t * t;
  const double sm = t * t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));  // sin t - t
  const double cm = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));          // cos t - 1
  // |A| >= |B t| for every entry, so the fast sum is exact.
  const DD h = FastTwoSum(e.a, e.bHead * tHead);
  // r.lo (up to 2^-44) times the derivative B cos t - A sin t
  const double slope = (e.b + e.b * cm) - e.a * (t + sm);
  return {h.hi, ((h.lo + e.bHead * (t - tHead)) + (e.bTail * t + e.aLo)) + ((slope * r.lo + e.a * cm) + e.b * sm)};
}

// The quick paths' relative errors stay below 2^-65 (the terms they drop,
// and the largest found against MPFR over millions of arguments): the
// rounding test allows eight times that.
constexpr double kQuickError = 0x1p-62;

// sin(x) for shift 0, cos(x) for 1: both are the sine of x + shift * pi/2.
[[gnu::always_inline]] inline double SinCos(double x, int shift) {
  const double ax = Abs(x);
  if (!(ax < kInf)) return kNaN;
  // |sin x - x| and |cos x - 1| are below a quarter of an ulp there.
  if (ax < 0x1p-27) return shift ? 1.0 : x;
  int q;
  bool exact;
  DD r = Reduce(ax, q, exact);
  q += shift;
  const DD v = SinCosQuick(r, q & 1);
  double out;
  if (!RoundIfSure(v.hi, v.lo, kQuickError * Abs(v.hi), out)) {
    if (!exact) {
      r = ReduceExact(ax, q);  // the quadrant may differ when r is near pi/4
      q += shift;
    }
    out = (q & 1 ? CosAccurate(r) : SinAccurate(r)).hi;
  }
  // The third and fourth quadrants negate; so does a negative x for the sine (it is odd).
  const uint64_t xSign = shift ? 0 : BitCast<uint64_t>(x) >> 63;
  return FlipSign(out, ((static_cast<uint64_t>(q >> 1) ^ xSign) & 1) << 63);
}

// ---- arc tangent

// The angles atan2 gives when a part is zero or infinite (C's rules), for
// |y| and |x| not both finite and nonzero, NaN excluded.
double Atan2Special(double ay, double ax, bool xneg) {
  if (ay == 0) return xneg ? kPi.hi : 0.0;
  if (ax == 0) return kHalfPi.hi;
  if (ay == kInf) return ax == kInf ? (xneg ? 0x1.2d97c7f3321d2p+1 : 0x1.921fb54442d18p-1) : kHalfPi.hi;
  return xneg ? kPi.hi : 0.0;  // ax infinite
}

// atan2(y, x) for y, x given as double-doubles; kLow says whether their low
// parts can be nonzero (the arc sine and cosine pass a square root carried
// to double-double precision), so atan2 itself skips their terms.
template <bool kLow>
double Atan2DD(DD y, DD x) {
  const bool xneg = SignBit(x.hi);
  const DD ay = Abs(y);
  const DD ax = Abs(x);
  double out;
  // One test, not four branches (NaN fails it too).
  if (!((ay.hi > 0) & (ax.hi > 0) & (ay.hi < kInf) & (ax.hi < kInf))) {
    if (y.hi != y.hi || x.hi != x.hi) return kNaN;
    out = Atan2Special(ay.hi, ax.hi, xneg);
  } else {
    // The angle is k + or - atan(num / den) with num <= den.
    // Chosen without branches: which of the two is larger is a coin toss.
    const bool swap = ay.hi > ax.hi || (kLow && ay.hi == ax.hi && ay.lo > ax.lo);
    const uint64_t mask = 0 - static_cast<uint64_t>(swap);
    const uint64_t yBits = BitCast<uint64_t>(ay.hi);
    const uint64_t xBits = BitCast<uint64_t>(ax.hi);
    DD num = {BitCast<double>((yBits & ~mask) | (xBits & mask)), 0};
    DD den = {BitCast<double>((xBits & ~mask) | (yBits & mask)), 0};
    if (kLow) {
      num = swap ? ax : ay;
      den = swap ? ay : ax;
    }
    const DD k = kQuadrantAngles[swap + 2 * (xneg & !swap)];
    const uint64_t minus = static_cast<uint64_t>(swap != xneg) << 63;
    const double ratio = num.hi / den.hi;
    if (ratio < 0x1p-60) {
      // atan(z) = z to far beyond double precision; z rounded once.
      out = k.hi + (k.lo + FlipSign(ratio, minus));
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
      // atan(num / den) = atan(c) + atan(u), u = (num - c den) / (den + c num),
      // c = j/64 the nearest to the ratio, so |u| <= 1/128. c has 7 bits: its
      // products with the 46-bit heads of num and den are exact.
      const double shifted = ratio * 64 + kRoundShifter;
      const DD at = kTables.atan[LowBits(shifted)];
      const double c = (shifted - kRoundShifter) * (1.0 / 64);
      const double numHead = Head46(num.hi);
      const double denHead = Head46(den.hi);
      const DD n0 = TwoSum(num.hi, -(c * denHead));
      // Unnormalized: where n0.hi cancels down to the size of the rest, u is
      // too small to matter against atan(c).
      double nLo = n0.lo - c * (den.hi - denHead);
      const DD d0 = FastTwoSum(den.hi, c * numHead);
      double dLo = d0.lo + c * (num.hi - numHead);
      if (kLow) {
        nLo += num.lo - c * den.lo;
        dLo += den.lo + c * num.lo;
      }
      // u = q + q2 by one division. The remainder n - q d needs 2^-70 of n
      // only: with q's and d's 26-bit heads, n0.hi - qh dh is exact and the
      // rest is small.
      const double inverse = 1 / d0.hi;
      const double q = n0.hi * inverse;
      const double qh = Head26(q);
      const double dh = Head26(d0.hi);
      const double rest = ((n0.hi - qh * dh) - qh * (d0.hi - dh)) - (q - qh) * d0.hi;
      const double q2 = (rest + (nLo - q * dLo)) * inverse;
      // q alone can be off by 2^-45 (n's low part is not normalized), u = q + q2 is not.
      const double u = q + q2;
      const double u2 = u * u;
      // atan(u) - u to u^9 (the next term is below 2^-73 u), in Estrin's order
      const double tail = u * u2 * ((-1.0 / 3 + u2 * (1.0 / 5)) + (u2 * u2) * (-1.0 / 7 + u2 * (1.0 / 9)));
      const DD th = FastTwoSum(at.hi, q);  // atan(c) = 0 or above |u|
      const DD h = TwoSum(k.hi, FlipSign(th.hi, minus));
      const double lo = (h.lo + k.lo) + FlipSign((th.lo + at.lo) + (q2 + tail), minus);
      if (!RoundIfSure(h.hi, lo, kQuickError * h.hi, out)) {
        const DD theta = Add(at, AtanAccurate(Div(TwoSum(n0.hi, nLo), {d0.hi, dLo})));
        out = Add(k, minus ? Neg(theta) : theta).hi;
      }
    }
  }
  return FlipSign(out, BitCast<uint64_t>(y.hi) & 0x8000000000000000);
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

// ---- power: exp(y log x), each to about 100 bits

constexpr DD kLn2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr double kLn2Tail = 0x1.7b57a079a1934p-111;
template <int N>
constexpr Series<N> OddReciprocals() {  // 1 / (2k + 1)
  Series<N> s{};
  for (int k = 0; k < N; ++k) s.c[k] = Div(DD{1, 0}, DD{static_cast<double>(2 * k + 1), 0});
  return s;
}
template <int N>
constexpr Series<N> InverseFactorials() {  // 1 / k!
  Series<N> s{};
  DD term = {1, 0};
  for (int k = 0; k < N; ++k) {
    s.c[k] = term;
    term = Div(term, DD{static_cast<double>(k + 1), 0});
  }
  return s;
}
// 2^-108 and better: atanh's series for |s| <= 0.172, exp's for |r| <= 0.35.
constexpr Series<22> kAtanhSeries = OddReciprocals<22>();
constexpr Series<25> kExpSeries = InverseFactorials<25>();

// e ln 2 for a whole e below 2^11: the first two products are exact.
DD TimesLn2(double e) { return Add(Add(TwoProd(e, kLn2.hi), TwoProd(e, kLn2.lo)), DD{e * kLn2Tail, 0}); }

// log(ax) for finite ax > 0.
DD Log(double ax) {
  int e = 0;
  if (ax < 0x1p-1022) {  // subnormal
    ax *= 0x1p54;
    e = -54;
  }
  const uint64_t bits = BitCast<uint64_t>(ax);
  e += static_cast<int>(bits >> 52) - 1023;
  double m = BitCast<double>((bits & 0x000FFFFFFFFFFFFF) | 0x3FF0000000000000);  // in [1, 2)
  if (m > 0x1.6a09e667f3bcdp0) {  // into [sqrt(1/2), sqrt(2)]
    m *= 0.5;
    ++e;
  }
  // log m = 2 atanh(s), s = (m - 1) / (m + 1); m - 1 is exact
  const DD s = Div(DD{m - 1, 0}, TwoSum(m, 1));
  return Add(TimesLn2(e), Mul(Horner(kAtanhSeries, Mul(s, s)), DD{2 * s.hi, 2 * s.lo}));
}

// e^t rounded once to the nearest double, subnormal results included.
double Exp(DD t) {
  if (t.hi > 709.8) return kInf;
  if (t.hi < -745.2) return 0.0;  // below half the smallest subnormal
  const double k = (t.hi * 0x1.71547652b82fep0 + kRoundShifter) - kRoundShifter;
  const DD v = Horner(kExpSeries, Add(t, Neg(TimesLn2(k))));  // e^r, |r| <= 0.35
  const int n = static_cast<int>(k);
  // A normal result is v.hi times 2^n, exact (or past the largest double, as IEEE rounds it).
  if (n > -1022 || (n == -1022 && v.hi >= 1)) return Scale(Scale(v.hi, n / 2), n - n / 2);
  // A subnormal one: v 2^(n + 1074) rounded to a whole number once, v.lo included.
  const double w = Scale(v.hi, n + 1074);
  double whole = (w + 0x1p52) - 0x1p52;
  const double rest = (w - whole) + Scale(v.lo, n + 1074);
  if (rest > 0.5) whole += 1;
  if (rest < -0.5) whole -= 1;
  return whole * 0x1p-1074;
}

// 0 for a y that is not a whole number, 1 for an odd one, 2 for an even one.
int WholeKind(double y) {
  const uint64_t bits = BitCast<uint64_t>(y);
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  if (e < 0) return y == 0 ? 2 : 0;
  if (e >= 53) return 2;
  const uint64_t m = (bits & 0x000FFFFFFFFFFFFF) | (uint64_t{1} << 52);
  if (m & ((uint64_t{1} << (52 - e)) - 1)) return 0;
  return (m >> (52 - e)) & 1 ? 1 : 2;
}

// ax^y for a whole y when the result is exact or exactly half-way between
// two doubles (such as (1 + 2^-27)^2), which an approximation cannot round:
// ax = m 2^e with m odd, and m^y is computed in integers. False otherwise.
bool ExactPower(double ax, double y, double& out) {
  if (!(y >= -64 && y <= 64)) return false;
  const uint64_t bits = BitCast<uint64_t>(ax);
  if (bits >> 52 == 0) return false;  // subnormal
  uint64_t m = (bits & 0x000FFFFFFFFFFFFF) | (uint64_t{1} << 52);
  const int zeros = std::countr_zero(m);
  m >>= zeros;
  const int n = static_cast<int>(y);
  const int e = (static_cast<int>(bits >> 52) - 1075 + zeros) * n;  // the result is m^n 2^e
  if (m == 1) {  // a power of two
    if (e > 1023) out = kInf;
    else if (e >= -1022) out = Scale(Scale(1.0, e / 2), e - e / 2);
    else if (e >= -1074) out = Scale(0x1p-1074, e + 1074);
    else out = 0.0;  // 2^-1075 ties to the even 0
    return true;
  }
  if (n < 2) return false;  // 1 / m^n with m odd > 1 never ends in binary
  uint64_t p = 1;
  for (int i = 0; i < n; ++i) {
    if (p > (uint64_t{1} << 54) / m) return false;  // more than 54 bits: neither exact nor half-way
    p *= m;
  }
  const int top = e + 63 - std::countl_zero(p);  // the result's exponent
  if (top < -1022 || top > 1023) return false;
  // p has at most 54 bits: converting it rounds once, ties to even.
  out = Scale(Scale(static_cast<double>(static_cast<int64_t>(p)), e / 2), e - e / 2);
  return true;
}

}  // namespace

double Sin(double x) { return SinCos(x, 0); }
double Cos(double x) { return SinCos(x, 1); }

double Tan(double x) {
  const double ax = Abs(x);
  if (!(ax < kInf)) return kNaN;
  if (ax < 0x1p-27) return x;  // |tan x - x| is below a quarter of an ulp
  int q;
  bool exact;
  DD r = Reduce(ax, q, exact);
  // tan(x) = tan(r) in even quadrants, -cos(r) / sin(r) in odd ones.
  DD s = SinCosQuick(r, 0);
  DD c = SinCosQuick(r, 1);
  s = FastTwoSum(s.hi, s.lo);
  c = FastTwoSum(c.hi, c.lo);
  DD v = q & 1 ? Div(c, s) : Div(s, c);
  double out;
  if (!RoundIfSure(v.hi, v.lo, 2 * kQuickError * Abs(v.hi), out)) {
    if (!exact) r = ReduceExact(ax, q);
    s = SinAccurate(r);
    c = CosAccurate(r);
    out = (q & 1 ? Div(c, s) : Div(s, c)).hi;
  }
  if (q & 1) out = -out;
  return x < 0 ? -out : out;
}

double Atan2(double y, double x) { return Atan2DD<false>({y, 0}, {x, 0}); }
double Atan(double x) { return Atan2DD<false>({x, 0}, {1, 0}); }

double Asin(double x) {
  if (!(x >= -1 && x <= 1)) return kNaN;
  const double ax = x < 0 ? -x : x;
  if (ax < 0x1p-27) return x;  // |asin x - x| is below a quarter of an ulp
  return Atan2DD<true>({x, 0}, Cosine(x));
}

double Acos(double x) {
  if (!(x >= -1 && x <= 1)) return kNaN;
  return Atan2DD<true>(Cosine(x), {x, 0});
}

double Pow(double x, double y) {
  if (y == 0 || x == 1) return 1.0;
  if (x != x || y != y) return kNaN;
  const int kind = WholeKind(y);
  const double ax = Abs(x);
  // A negative x keeps its sign only through an odd power.
  const uint64_t sign = SignBit(x) && kind == 1 ? 0x8000000000000000 : 0;
  if (Abs(y) == kInf) return ax == 1 ? 1.0 : ((ax < 1) == (y > 0) ? 0.0 : kInf);
  if (ax == 0 || ax == kInf) return FlipSign((ax == 0) == (y < 0) ? kInf : 0.0, sign);
  if (SignBit(x) && kind == 0) return kNaN;
  // The powers IEEE arithmetic already rounds correctly; 1/x can fall within
  // 2^-106 of half-way, too close for the approximation.
  if (y == 1) return x;
  if (y == -1) return 1 / x;
  if (y == 2) return x * x;
  if (y == 0.5) return std::sqrt(x);
  double out;
  if (kind == 0 || !ExactPower(ax, y, out)) {
    const DD l = Log(ax);
    // Past 2^64, |y log ax| exceeds 2^11 (|log ax| >= 2^-53): the result overflows or vanishes.
    out = Exp(Abs(y) > 0x1p64 ? DD{y * l.hi, 0} : Mul(DD{y, 0}, l));
  }
  return FlipSign(out, sign);
}

}  // namespace portable_math
