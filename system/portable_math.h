// Sine, cosine, tangent and their inverses in radians, correctly rounded and
// computed from IEEE-754 additions, multiplications, divisions, square roots
// and integer operations only. Those are exact to the last bit on every
// processor, so Linux, Windows and the browser give identical results, which
// their own math libraries do not (they disagree in the last bit for a few
// percent of arguments). A fused multiply-add would round differently: the
// build forbids the compiler to contract into one (-ffp-contract=off).
//
// Each result is the double nearest to the exact value for every finite
// argument (the argument reduction is exact over the whole double range);
// the evaluation carries about 100 correct bits, so only a value that lies
// within 2^-100 of half-way between two doubles could round the other way.
// NaN arguments and the undefined cases (sin of an infinity, asin(2)) give
// the one quiet NaN 0x7FF8000000000000.
#pragma once

namespace portable_math {

double Sin(double x);
double Cos(double x);
double Tan(double x);
double Asin(double x);
double Acos(double x);
double Atan(double x);
// The angle of (x, y), -pi to pi, with the signed zeros and infinities of C's atan2.
double Atan2(double y, double x);
// x to the power y with C's special cases, carried to about 95 bits (the
// logarithm's error grows with |y log x|). Exact and half-way results are
// found for whole y; a half-way result of a fractional power (x^1.5 can be
// one) rounds to either neighbour, the same one everywhere.
double Pow(double x, double y);

}  // namespace portable_math
