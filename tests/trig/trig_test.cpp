// The engine's sine, cosine and arctangent against MPFR's correctly rounded values, with the
// C library's functions measured beside them. SORTIE_TRIG_SCALE multiplies the number of
// arguments drawn at random (tools/trig_accuracy.sh runs a few million in an optimised build;
// the sanitized suite runs the default of about a quarter of a million).
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/trig.h"
#include "shooting/patterns.h"

namespace {

using Function = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// MPFR's value rounded exactly as a double would be, subnormals included.
double correctlyRounded(Function f, double x) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t in, out;
    mpfr_init2(in, 53);
    mpfr_init2(out, 53);
    mpfr_set_d(in, x, MPFR_RNDN);
    const int inexact = f(out, in, MPFR_RNDN);
    mpfr_subnormalize(out, inexact, MPFR_RNDN);
    const double v = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clear(in);
    mpfr_clear(out);
    return v;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

uint64_t nextRandom(uint64_t& state) {  // splitmix64: the same arguments on every run
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double uniform(uint64_t& state, double low, double high) {
    return low + (high - low) * static_cast<double>(nextRandom(state) >> 11) * 0x1p-53;
}

double fromBits(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// A double with a random mantissa and sign and an exponent between the two, biased.
double randomMagnitude(uint64_t& state, int lowBiased, int highBiased) {
    const uint64_t r = nextRandom(state);
    const uint64_t exponent = static_cast<uint64_t>(lowBiased) + (r >> 12) % static_cast<uint64_t>(highBiased - lowBiased + 1);
    return fromBits((r & 0x800FFFFFFFFFFFFFULL) | (exponent << 52));
}

int scale() {
    const char* s = std::getenv("SORTIE_TRIG_SCALE");
    const int v = s ? std::atoi(s) : 1;
    return v > 0 ? v : 1;
}

struct Tally {
    long total = 0, ours = 0, library = 0;
    double firstMiss = 0;
};

// Counts how often ours and the C library's match MPFR; prints both rates.
class Agreement {
public:
    Agreement(const char* name, Function reference, double (*ours)(double), double (*library)(double))
        : name_(name), reference_(reference), ours_(ours), library_(library) {}
    void check(double x) {
        const double exact = correctlyRounded(reference_, x);
        ++tally_.total;
        if (sameBits(ours_(x), exact)) {
            ++tally_.ours;
        } else if (tally_.total - tally_.ours == 1) {
            tally_.firstMiss = x;
        }
        if (sameBits(library_(x), exact)) ++tally_.library;
    }
    ~Agreement() {
        std::printf("%-34s %9ld arguments: ours %.6f%%, C library %.6f%%\n", name_, tally_.total,
                    100.0 * tally_.ours / tally_.total, 100.0 * tally_.library / tally_.total);
        EXPECT_EQ(tally_.ours, tally_.total) << name_ << ": first miss at " << std::hexfloat << tally_.firstMiss;
    }

private:
    const char* name_;
    Function reference_;
    double (*ours_)(double);
    double (*library_)(double);
    Tally tally_;
};

double librarySin(double x) { return std::sin(x); }
double libraryCos(double x) { return std::cos(x); }
double libraryAtan(double x) { return std::atan(x); }

// Runs `draw` through sine and cosine under one heading, and through both at once.
template <class Draw>
void sinAndCos(const char* set, long count, Draw draw) {
    char sinName[64], cosName[64];
    std::snprintf(sinName, sizeof sinName, "sin %s", set);
    std::snprintf(cosName, sizeof cosName, "cos %s", set);
    Agreement sine(sinName, mpfr_sin, engineSin, librarySin);
    Agreement cosine(cosName, mpfr_cos, engineCos, libraryCos);
    long pairsApart = 0;  // engineSinCos must give the two calls' bits
    for (long i = 0; i < count; ++i) {
        const double x = draw(i);
        sine.check(x);
        cosine.check(x);
        const SineCosine both = engineSinCos(x);
        if (!sameBits(both.sine, engineSin(x)) || !sameBits(both.cosine, engineCos(x))) ++pairsApart;
    }
    EXPECT_EQ(pairsApart, 0) << set;
}

TEST(EngineTrig, SineAndCosineRoundCorrectlyOverTheStagesRanges) {
    const long n = 20000L * scale();
    uint64_t state = 1;
    sinAndCos("[0, 2pi]", n, [&](long) { return uniform(state, 0, 6.28318530717958); });
    sinAndCos("[-1000, 1000]", n, [&](long) { return uniform(state, -1000, 1000); });
    // Every pattern direction the shooting stage can be handed, a stride of them by default.
    const long stride = scale() >= 10 ? 1 : 13;
    sinAndCos("k kAngleStep, |k| <= 100000", 200000 / stride + 1,
              [&](long i) { return static_cast<double>(-100000 + i * stride) * kAngleStep; });
    // Battle headings: turns of 1/SIZ accumulated and wrapped into 0 to 2 pi as the stage does.
    double heading = 0;
    sinAndCos("accumulated headings", n, [&](long) {
        const int size = 1 + static_cast<int>(nextRandom(state) % 64);
        heading += (nextRandom(state) & 1 ? 1.0 : -1.0) / size;
        if (heading < 0) heading += 6.28318530717958;
        if (heading > 6.28318530717958) heading -= 6.28318530717958;
        return heading;
    });
}

TEST(EngineTrig, SineAndCosineRoundCorrectlyAtTheHardArguments) {
    const long n = 10000L * scale();
    uint64_t state = 2;
    // Tiny and subnormal arguments, where sin x rounds to x and cos x to 1 and just above.
    sinAndCos("tiny and subnormal", n, [&](long) { return randomMagnitude(state, 0, 1023 - 20); });
    // Doubles a few ulps from multiples of pi/2, where the reduction cancels most digits.
    sinAndCos("near multiples of pi/2", n, [&](long) {
        const double k = static_cast<double>(nextRandom(state) % 2000000) - 1000000;
        const double near = k * 1.5707963267948966;
        return std::nextafter(near, 0.0) + (static_cast<int>(nextRandom(state) % 5) - 2) * std::abs(near) * 0x1p-52;
    });
    // The quick path's table steps j/64 and the halfway points between them, in each quadrant.
    sinAndCos("table steps", 52 * 2 * 5 * 3, [&](long i) {
        const double step = static_cast<double>(i / 30 % 52) / 64 - (i / 15 % 2) / 128.0;
        const double x = step + static_cast<double>(i / 3 % 5) * 1.5707963267948966;
        return i % 3 == 0 ? x : std::nextafter(x, i % 3 == 1 ? 0.0 : 10.0);
    });
    sinAndCos("any magnitude", n, [&](long) { return randomMagnitude(state, 1000, 2046); });
    // The double nearest a multiple of pi/2 of all (about 2^-61 away), pi/2 itself, and others.
    const double closest[] = {6381956970095103 * 0x1p797, 0x1.921fb54442d18p+0,
                              0x1.921fb54442d18p+1, 0x1.921fb54442d18p+2, 1e22, 0x1.fffffffffffffp+1023};
    sinAndCos("hardest reductions", sizeof closest / sizeof closest[0], [&](long i) { return closest[i]; });
}

TEST(EngineTrig, ArctangentRoundsCorrectlyForTheBearingsAndBeyond) {
    const long n = 20000L * scale();
    uint64_t state = 3;
    {
        // bearing's dx / dy for integer offsets within the stage: all of a band, pairs beyond.
        Agreement ratio("atan dx/dy, |dx|, |dy| <= 2048", mpfr_atan, engineAtan, libraryAtan);
        const int band = scale() >= 10 ? 1024 : 96;
        for (int dx = -band; dx <= band; ++dx) {
            for (int dy = 1; dy <= band; ++dy) ratio.check(static_cast<double>(dx) / dy);
        }
        for (long i = 0; i < n; ++i) {
            const int dx = static_cast<int>(nextRandom(state) % 4097) - 2048;
            const int dy = 1 + static_cast<int>(nextRandom(state) % 2048);
            ratio.check(static_cast<double>(dx) / dy);
        }
    }
    Agreement any("atan any magnitude", mpfr_atan, engineAtan, libraryAtan);
    for (long i = 0; i < n; ++i) any.check(randomMagnitude(state, 0, 2046));
    Agreement unit("atan [-2, 2]", mpfr_atan, engineAtan, libraryAtan);
    for (long i = 0; i < n; ++i) unit.check(uniform(state, -2, 2));
    // The edges of the table's steps and of the 1/x and tiny ranges.
    Agreement edges("atan edges", mpfr_atan, engineAtan, libraryAtan);
    for (int k = 0; k <= 64 * 4; ++k) {
        for (double x : {k / 64.0 - 1 / 128.0, k / 64.0, 0x1p54 * k, 0x1p-27 * k / 64.0}) {
            edges.check(std::nextafter(x, 0.0));
            edges.check(x);
            edges.check(std::nextafter(x, 1e300));
        }
    }
}

TEST(EngineTrig, SpecialArgumentsGiveFixedResults) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double denormal = std::numeric_limits<double>::denorm_min();
    for (double x : {inf, -inf, nan, -nan}) {
        for (double v : {engineSin(x), engineCos(x), engineSinCos(x).sine, engineSinCos(x).cosine}) {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            EXPECT_EQ(bits, 0x7FF8000000000000ULL) << x;  // one NaN, not the processor's
        }
    }
    EXPECT_TRUE(sameBits(engineSin(-0.0), -0.0));
    EXPECT_TRUE(sameBits(engineAtan(-0.0), -0.0));
    EXPECT_TRUE(sameBits(engineSin(-denormal), -denormal));
    EXPECT_EQ(engineCos(-denormal), 1.0);
    EXPECT_EQ(engineAtan(inf), 0x1.921fb54442d18p+0);
    EXPECT_EQ(engineAtan(-inf), -0x1.921fb54442d18p+0);
    EXPECT_TRUE(std::isnan(engineAtan(nan)));
}

}  // namespace
