// The program-wide random generator, degree trigonometry and the numeric
// conversions the game depends on. The generator's sequence decides what is
// drawn on screen (objects re-seed it to repeat their decoration), so it is
// reproduced bit for bit; it is not thread-safe and belongs to the main thread.
#pragma once
#include <cstdint>

// ---- generator (Park-Miller minimal standard, multiplier 48271)

constexpr int32_t kInitialRandomSeed = 4660;

// state = seed with its top bit cleared; 0 and 0x7FFFFFFF become 4660.
void SeedRandom(int32_t seed);
// The current state.
int32_t RandomSeed();
// Advances the state one step and returns it (1 to 2^31 - 2).
int32_t RandomStep();
// A double in [0, 1) made from two steps.
double RndDouble();
// A single-precision value in [0, 1) from one step.
float RndFloat();
// A double between the bounds, given in either order: [lower, upper).
double RandomFloat(double a, double b);
// An int between the bounds, given in either order: [lower, upper].
int32_t RandomInt(int32_t a, int32_t b);

// The classic short forms: Rnd() is [0, 1), Rnd(x) is [0, x), Rand(x) is
// 1 to x, each with the same draws as RandomFloat/RandomInt.
inline double Rnd(double a = 1.0, double b = 0.0) { return RandomFloat(a, b); }
inline int32_t Rand(int32_t a, int32_t b = 1) { return RandomInt(a, b); }

// ---- degree trigonometry (angles in degrees, y down the screen)
// Each is the radian function of the degrees times pi/180 (the inverse ones:
// the radian result times 180/pi), the radian function correctly rounded and
// the same bits on every platform (system/portable_math.h).

constexpr double kPi = 3.141592653589793;

double SinDeg(double degrees);
double CosDeg(double degrees);
double TanDeg(double degrees);
double ASinDeg(double x);
double ACosDeg(double x);
double ATanDeg(double x);
// The angle of the vector (x, y) in degrees, -180 to 180; y comes first.
double ATan2Deg(double y, double x);
double Sqrt(double x);

// ---- numeric conversions

// Truncation toward zero (2.7 -> 2, -2.7 -> -2). Values beyond the int range
// and NaN give INT32_MIN, as the processor's own conversion does, instead of
// undefined behaviour.
int32_t ToInt(double x);
// Remainder with the sign of the dividend: FMod(-7.5, 2) is -1.5.
double FMod(double a, double b);
// x to the power y, the same bits on every platform (system/portable_math.h).
double Pow(double x, double y);
double Abs(double x);
int32_t Abs(int32_t x);
// Min and Max return the second argument when the two are equal.
double Min(double a, double b);
double Max(double a, double b);
int32_t Min(int32_t a, int32_t b);
int32_t Max(int32_t a, int32_t b);
// 1, 0 or -1.
double Sgn(double x);
int32_t Sgn(int32_t x);
