#include "platform/trig.h"

#include <cstdint>
#include <cstring>

// Every value here is a double-double: an unevaluated sum hi + lo with |lo| at most half an
// ulp of hi. Each function first takes a quick path good to about 66 bits and keeps its
// rounding when an error of kQuickError cannot change it (all but about one argument in
// 600); otherwise it evaluates to about 106 bits, exact reduction included, and rounds
// hi + lo once: correct unless the exact value lies within about 2^-100 of a halfway point,
// which no argument we have met comes near. The file is built with contraction off, so that
// a * b + c stays two roundings everywhere.

namespace {

struct Dd {
    double hi, lo;
};

// The quiet NaN every invalid argument gives: the processor's own would differ by target.
double fixedNan() {
    const uint64_t bits = 0x7FF8000000000000ULL;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint64_t bitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// 2^k for k in the normal range, made from its bits.
double powerOfTwo(int k) {
    const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

Dd fastTwoSum(double a, double b) {  // |a| >= |b| or a == 0
    const double s = a + b;
    return Dd{s, b - (s - a)};
}

Dd twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return Dd{s, (a - (s - bb)) + (b - bb)};
}

// Veltkamp's split: hi holds the top 26 bits, so products of halves are exact.
Dd split(double a) {
    const double t = 134217729.0 * a;  // 2^27 + 1
    const double hi = t - (t - a);
    return Dd{hi, a - hi};
}

// Dekker's exact product: a * b == hi + lo (arguments well inside the exponent range).
Dd twoProd(double a, double b) {
    const double p = a * b;
    const Dd as = split(a), bs = split(b);
    const double err = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return Dd{p, err};
}

Dd add(Dd a, Dd b) {
    const Dd s = twoSum(a.hi, b.hi);
    const Dd t = twoSum(a.lo, b.lo);
    Dd r = fastTwoSum(s.hi, s.lo + t.hi);
    return fastTwoSum(r.hi, r.lo + t.lo);
}

Dd neg(Dd a) { return Dd{-a.hi, -a.lo}; }

Dd mul(Dd a, Dd b) {
    const Dd p = twoProd(a.hi, b.hi);
    return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

Dd div(Dd a, Dd b) {
    const double q1 = a.hi / b.hi;
    Dd r = add(a, neg(mul(Dd{q1, 0}, b)));
    const double q2 = r.hi / b.hi;
    r = add(r, neg(mul(Dd{q2, 0}, b)));
    const double q3 = r.hi / b.hi;
    return add(fastTwoSum(q1, q2), Dd{q3, 0});
}

double rounded(Dd v) { return v.hi + v.lo; }

// The quick paths' error bound relative to the result: their worst is near 2^-66.
constexpr double kQuickError = 0x1p-63;

// Rounds v into `out` when no error within kQuickError of it could change the rounding.
// Rounding to nearest is monotonic, so agreeing ends leave nothing between to disagree.
bool roundsSafely(Dd v, double& out) {
    const double e = kQuickError * (v.hi < 0 ? -v.hi : v.hi);
    const double down = v.hi + (v.lo - e);
    if (down != v.hi + (v.lo + e)) return false;
    out = down;
    return true;
}

// pi/2 to 106 bits.
constexpr Dd kHalfPi{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};

// Below this, sin x rounds to x, cos x to 1 and atan x to x: the next terms are under a
// quarter of an ulp.
constexpr double kTiny = 0x1p-27;

// The binary digits of 2/pi, most significant first: enough for the largest double's
// reduction and its 256-bit window.
constexpr uint64_t kTwoOverPi[] = {
    0xA2F9836E4E441529ULL, 0xFC2757D1F534DDC0ULL,
    0xDB6295993C439041ULL, 0xFE5163ABDEBBC561ULL,
    0xB7246E3A424DD2E0ULL, 0x06492EEA09D1921CULL,
    0xFE1DEB1CB129A73EULL, 0xE88235F52EBB4484ULL,
    0xE99C7026B45F7E41ULL, 0x3991D639835339F4ULL,
    0x9C845F8BBDF9283BULL, 0x1FF897FFDE05980FULL,
    0xEF2F118B5A0A6D1FULL, 0x6D367ECF27CB09B7ULL,
    0x4F463F669E5FEA2DULL, 0x7527BAC7EBE5F17BULL,
    0x3D0739F78A5292EAULL, 0x6BFB5FB11F8D5D08ULL,
    0x56033046FC7B6BABULL, 0xF0CFBC209AF4361DULL,
    0xA9E391615EE61B08ULL, 0x6599855F14A06840ULL,
};

// 1/n! for n = 2 to 29.
constexpr Dd kInverseFactorial[] = {
    {0x1.0000000000000p-1, 0x0.0p+0},  // 1/2!
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},  // 1/3!
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},  // 1/4!
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},  // 1/5!
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},  // 1/6!
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},  // 1/7!
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},  // 1/8!
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},  // 1/9!
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},  // 1/10!
    {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},  // 1/11!
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},  // 1/12!
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},  // 1/13!
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},  // 1/14!
    {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},  // 1/15!
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},  // 1/16!
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},  // 1/17!
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},  // 1/18!
    {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},  // 1/19!
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},  // 1/20!
    {0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},  // 1/21!
    {0x1.0ce396db7f853p-70, -0x1.aebcdbd20331cp-124},  // 1/22!
    {0x1.761b41316381ap-75, -0x1.3423c7d91404fp-130},  // 1/23!
    {0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},  // 1/24!
    {0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},  // 1/25!
    {0x1.88e85fc6a4e5ap-89, -0x1.71c37ebd16540p-143},  // 1/26!
    {0x1.d1ab1c2dccea3p-94, 0x1.054d0c78aea14p-149},  // 1/27!
    {0x1.0a18a2635085dp-98, 0x1.b9e2e28e1aa54p-153},  // 1/28!
    {0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},  // 1/29!
};
double inverseFactorial(int n) { return kInverseFactorial[n - 2].hi; }
Dd inverseFactorialDd(int n) { return kInverseFactorial[n - 2]; }

// 1/(2j + 1) for j = 1 to 11.
constexpr Dd kInverseOdd[] = {
    {0x1.5555555555555p-2, 0x1.5555555555555p-56},  // 1/3
    {0x1.999999999999ap-3, -0x1.999999999999ap-57},  // 1/5
    {0x1.2492492492492p-3, 0x1.2492492492492p-57},  // 1/7
    {0x1.c71c71c71c71cp-4, 0x1.c71c71c71c71cp-58},  // 1/9
    {0x1.745d1745d1746p-4, -0x1.745d1745d1746p-59},  // 1/11
    {0x1.3b13b13b13b14p-4, -0x1.3b13b13b13b14p-58},  // 1/13
    {0x1.1111111111111p-4, 0x1.1111111111111p-60},  // 1/15
    {0x1.e1e1e1e1e1e1ep-5, 0x1.e1e1e1e1e1e1ep-61},  // 1/17
    {0x1.af286bca1af28p-5, 0x1.af286bca1af28p-59},  // 1/19
    {0x1.8618618618618p-5, 0x1.8618618618618p-59},  // 1/21
    {0x1.642c8590b2164p-5, 0x1.642c8590b2164p-60},  // 1/23
};

// atan(k/64) for k = 0 to 64.
constexpr Dd kAtanTable[] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.fff555bbb729bp-7, -0x1.220c39d4dff50p-61},
    {0x1.ffd55bba97625p-6, -0x1.5ec431444912cp-60},
    {0x1.7fb818430da2ap-5, -0x1.86ef8f794f105p-63},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.3f59f0e7c559dp-4, 0x1.ac4ce285df847p-58},
    {0x1.7ee182602f10fp-4, -0x1.cfb654c0c3d98p-58},
    {0x1.be39ebe6f07c3p-4, 0x1.f7b8f29a05987p-58},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.1e1fafb043727p-3, -0x1.b485914dacf8cp-59},
    {0x1.3d6eee8c6626cp-3, 0x1.61a3b0ce9281bp-57},
    {0x1.5c9811e3ec26ap-3, -0x1.054ab2c010f3dp-58},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.9a6a8e96c8626p-3, 0x1.cf601e7b4348ep-59},
    {0x1.b90d7529260a2p-3, 0x1.17b10d2e0e5abp-61},
    {0x1.d77d5df205736p-3, 0x1.c648d1534597ep-57},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.09dc597d86362p-2, 0x1.62e47390cb865p-56},
    {0x1.18bf5a30bf178p-2, 0x1.30ca4748b1bf9p-57},
    {0x1.278372057ef46p-2, -0x1.077cdd36dfc81p-56},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.44aa436c2af0ap-2, -0x1.5d5e43c55b3bap-56},
    {0x1.530ad9951cd4ap-2, -0x1.2566480884082p-57},
    {0x1.614840309cfe2p-2, -0x1.a725715711f00p-56},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.7d5604b63b3f7p-2, 0x1.69c885c2b249ap-56},
    {0x1.8b24d394a1b25p-2, 0x1.b6d0ba3748fa8p-56},
    {0x1.98cd5454d6b18p-2, 0x1.9e6c988fd0a77p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.b3a911da65c6cp-2, 0x1.ae187b1ca5040p-56},
    {0x1.c0db4c94ec9f0p-2, -0x1.cc1ce70934c34p-56},
    {0x1.cde53432c1351p-2, -0x1.a2cfa4418f1adp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.e77eb7f175a34p-2, 0x1.0e53dc1bf3435p-56},
    {0x1.f40dd0b541418p-2, -0x1.a3992dc382a23p-57},
    {0x1.0039c73c1a40cp-1, -0x1.b32c949c9d593p-55},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.0c6145b5b43dap-1, 0x1.974fa13b5404fp-58},
    {0x1.1255d9bfbd2a9p-1, -0x1.2bdaee1c0ee35p-58},
    {0x1.1835a88be7c13p-1, 0x1.c621cec00c301p-55},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.23b71e2cc9e6ap-1, 0x1.c421c9f38224ep-57},
    {0x1.2958e59308e31p-1, -0x1.09e73b0c6c087p-56},
    {0x1.2ee628406cbcap-1, 0x1.c5d5e9ff0cf8dp-55},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.39c391cd4171ap-1, -0x1.2304331d8bf46p-55},
    {0x1.3f13fb89e96f4p-1, 0x1.ecf8b492644f0p-56},
    {0x1.445065b795b56p-1, -0x1.f76d0163f79c8p-56},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.4e8de5bb6ec04p-1, 0x1.4a33dbeb3796cp-55},
    {0x1.538f57b89061fp-1, -0x1.1bb74abda520cp-55},
    {0x1.587d81f732fbbp-1, -0x1.5e5c9d8c5a950p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.6220d115d7b8ep-1, -0x1.2b785350ee8c1p-57},
    {0x1.66d663923e087p-1, -0x1.6ea6febe8bbbap-56},
    {0x1.6b798920b3d99p-1, -0x1.a80386188c50ep-55},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.748978fba8e0fp-1, 0x1.7b2a6165884a1p-59},
    {0x1.78f6bbd5d315ep-1, 0x1.406a089803740p-55},
    {0x1.7d528289fa093p-1, 0x1.560821e2f3aa9p-55},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.85d69576cc2c5p-1, 0x1.6b66e7fc8b8c3p-57},
    {0x1.89ff5ff57f1f8p-1, -0x1.55b9a5e177a1bp-55},
    {0x1.8e17aa99cc05ep-1, -0x1.ec182ab042f61p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

// The nearest step k/64 to t >= 0, as k. Not t 64 + 0.5 truncated: that sum rounds up to 1
// just below 1/128, where t - 1/64 would no longer be exact.
int nearestStep(double t) {
    const double scaled = t * 64;
    const int k = static_cast<int>(scaled);
    return scaled - k >= 0.5 ? k + 1 : k;
}

// sin(j/64) and cos(j/64) for j = 0 to 51, the quick path's steps over 0 to pi/4.
struct DdPair {
    Dd sine, cosine;
};
constexpr DdPair kStepTable[] = {
    {{0x0.0p+0, 0x0.0p+0}, {0x1.0000000000000p+0, 0x0.0p+0}},
    {{0x1.fffaaaaeeeed5p-7, -0x1.2ab639a9f0776p-63}, {0x1.fff000155549fp-1, 0x1.28a28a03a5ef3p-55}},
    {{0x1.ffeaaaeeee86fp-6, -0x1.cd406fb224ae2p-60}, {0x1.ffc00155527d3p-1, -0x1.3b54492d89b5bp-55}},
    {{0x1.7fdc01032fba9p-5, -0x1.599bdf46e997ap-59}, {0x1.ff7006bfdf99fp-1, -0x1.8b3b560648d5fp-56}},
    {{0x1.ffaaaeeed4edbp-5, -0x1.2d16d32684b69p-59}, {0x1.ff0015549f4d3p-1, 0x1.328387b99426fp-55}},
    {{0x1.3facb12d1755bp-4, -0x1.921915299468bp-58}, {0x1.fe7034129ef6fp-1, -0x1.cbf4337c96f97p-57}},
    {{0x1.7f701032550e4p-4, 0x1.afc2d1800501ap-60}, {0x1.fdc06bf7e6b9bp-1, 0x1.31902b535f8dbp-55}},
    {{0x1.bf1b78568391dp-4, 0x1.e91841dea4cc8p-58}, {0x1.fcf0c800e99b1p-1, 0x1.ea3d786d186acp-57}},
    {{0x1.feaaeee86ee36p-4, -0x1.afcb2bcc6f03bp-59}, {0x1.fc015527d5bd3p-1, 0x1.b68f35094efb8p-55}},
    {{0x1.1f0d3d7afceafp-3, -0x1.6ef95099769a5p-57}, {0x1.faf22263c4bd3p-1, -0x1.52ace133a2769p-58}},
    {{0x1.3eb312c5d66cbp-3, 0x1.47d666b66cb91p-57}, {0x1.f9c340a7cc428p-1, 0x1.c5b6b063b7462p-55}},
    {{0x1.5e44fcfa126f3p-3, -0x1.6f443063f89b6p-57}, {0x1.f874c2e1eecf6p-1, -0x1.c6514e1332b16p-55}},
    {{0x1.7dc102fbaf2b5p-3, 0x1.5ab50e23c97c3p-59}, {0x1.f706bdf9ece1cp-1, -0x1.698c80c36dcb4p-55}},
    {{0x1.9d252d0cec312p-3, 0x1.9c43d80b1137dp-58}, {0x1.f57948cff6797p-1, 0x1.e3a0d3e03b1d4p-57}},
    {{0x1.bc6f84edc6199p-3, 0x1.9c1a56a7b0cabp-57}, {0x1.f3cc7c3b3d16ep-1, -0x1.21a3ad28a3494p-57}},
    {{0x1.db9e15fb5a5d0p-3, -0x1.32e20d6cc6fc2p-57}, {0x1.f20073086649fp-1, 0x1.b940416c1984bp-56}},
    {{0x1.faaeed4f31577p-3, -0x1.15d88508e32b8p-57}, {0x1.f01549f7deea1p-1, 0x1.d3c1e99e5cafdp-55}},
    {{0x1.0cd00cef36436p-2, -0x1.9fb0a0c93e2b4p-56}, {0x1.ee0b1fbc0f11cp-1, -0x1.bfd2380bbc3b1p-59}},
    {{0x1.1c37d64c6b876p-2, 0x1.46076fe0dcff4p-56}, {0x1.ebe214f76efa8p-1, -0x1.02f9f12ba543ep-55}},
    {{0x1.2b8ddc43eb49fp-2, 0x1.1553899f2d807p-57}, {0x1.e99a4c3a7cd83p-1, -0x1.2264b1bc53ce8p-55}},
    {{0x1.3ad129769d3d8p-2, 0x1.03d550487839ap-63}, {0x1.e733ea0193d40p-1, -0x1.6428b3546ce13p-55}},
    {{0x1.4a00c9b0f3d20p-2, 0x1.823ba6bb08eadp-56}, {0x1.e4af14b2a449cp-1, -0x1.68ca02e8a6833p-55}},
    {{0x1.591bc9fa2f597p-2, 0x1.7c74bac3fe0cbp-57}, {0x1.e20bf49acd6c1p-1, -0x1.660aec7ef636bp-58}},
    {{0x1.682138a38d7f7p-2, -0x1.d889202444aadp-56}, {0x1.df4ab3ebd875ep-1, -0x1.e2d8a7e6736c4p-55}},
    {{0x1.7710255764214p-2, -0x1.6ead7314bb6cep-57}, {0x1.dc6b7eb995912p-1, 0x1.4b364776dcd35p-58}},
    {{0x1.85e7a12826949p-2, 0x1.8a40e9b5face0p-56}, {0x1.d96e82f71a9dcp-1, 0x1.ff61bd5d2039dp-55}},
    {{0x1.94a6be9f546c5p-2, -0x1.69ce13e683f58p-56}, {0x1.d653f073e4040p-1, -0x1.76236434bec37p-55}},
    {{0x1.a34c91cc50ccap-2, -0x1.a310e3b50cecdp-58}, {0x1.d31bf8d8d7c06p-1, 0x1.e60dd3089cbddp-56}},
    {{0x1.b1d8305321617p-2, -0x1.ae242cb99f519p-56}, {0x1.cfc6cfa52ad9fp-1, 0x1.8b5b5508f2a0dp-55}},
    {{0x1.c048b17b140a3p-2, 0x1.19fe6757e9fa7p-57}, {0x1.cc54aa2b2972ep-1, 0x1.4ee162ba83a98p-57}},
    {{0x1.ce9d2e3d4a51fp-2, -0x1.2fc8a12dae298p-57}, {0x1.c8c5bf8ce1a84p-1, 0x1.ab3d1a1590123p-56}},
    {{0x1.dcd4c15329c9ap-2, 0x1.0d4c6e171fd9ap-56}, {0x1.c51a48b8b175ep-1, -0x1.1bbb43b9aa880p-57}},
    {{0x1.eaee8744b05f0p-2, -0x1.789b43c9b027dp-58}, {0x1.c1528065b7d50p-1, -0x1.892111312e828p-55}},
    {{0x1.f8e99e76abc97p-2, 0x1.9d950af2d00a3p-58}, {0x1.bd6ea310294f5p-1, 0x1.31bbcc88c109dp-56}},
    {{0x1.0362939c69955p-1, -0x1.2d8cd78397b01p-55}, {0x1.b96eeef58840ep-1, 0x1.45a3cc78fade0p-58}},
    {{0x1.0a4021e9e1001p-1, -0x1.6f643a13914f6p-55}, {0x1.b553a410c104ep-1, 0x1.8ff7947027a15p-58}},
    {{0x1.110d0c4b69c3bp-1, 0x1.d918998809981p-55}, {0x1.b11d04162a4c6p-1, 0x1.1dd561efbc0c2p-56}},
    {{0x1.17c8e5f2eedb0p-1, 0x1.35e57102e2488p-57}, {0x1.accb526f69de5p-1, 0x1.8fb6a8dd6b6ccp-55}},
    {{0x1.1e7343236574cp-1, 0x1.22a3fa4f41d5ap-56}, {0x1.a85ed4373e02dp-1, 0x1.9be06385ec792p-57}},
    {{0x1.250bb93788bbbp-1, 0x1.ea3d02457bccep-56}, {0x1.a3d7d0352bdcfp-1, -0x1.68dbaeca19669p-55}},
    {{0x1.2b91dea88421ep-1, -0x1.fa371db216ab0p-55}, {0x1.9f368ed912f85p-1, -0x1.1d200c5791606p-55}},
    {{0x1.32054b148bc4fp-1, 0x1.f6b42095a135bp-55}, {0x1.9a7b5a36a6514p-1, 0x1.722cfcc9fa7a9p-55}},
    {{0x1.386597456282bp-1, -0x1.10fada93b07a8p-56}, {0x1.95a67e00cb1fdp-1, -0x1.0befda21f862dp-55}},
    {{0x1.3eb25d36cd53ap-1, -0x1.be570e1570fc0p-58}, {0x1.90b84784ddaf7p-1, -0x1.0feb10ab93b87p-56}},
    {{0x1.44eb381cf386bp-1, -0x1.3ed6c1e6a5505p-55}, {0x1.8bb105a5dc900p-1, 0x1.863e03e9474c1p-55}},
    {{0x1.4b0fc46aab761p-1, 0x1.0da05738cc59cp-61}, {0x1.869108d77a6c6p-1, 0x1.338ffe2bfe9ddp-56}},
    {{0x1.511f9fd7b351cp-1, -0x1.5c0e861c48831p-55}, {0x1.8158a31916d5dp-1, -0x1.de8b90b8228dep-57}},
    {{0x1.571a6966d59b3p-1, 0x1.c843b4d0fb197p-58}, {0x1.7c0827f09e54fp-1, -0x1.c73d6d72aee68p-57}},
    {{0x1.5cffc16bf8f0dp-1, 0x1.96cb370eb578ap-55}, {0x1.769fec655211fp-1, -0x1.827d5cf8c68c5p-57}},
    {{0x1.62cf49921ac79p-1, -0x1.edd9855b6241ap-55}, {0x1.712046fa77678p-1, 0x1.425b0a5029c81p-55}},
    {{0x1.6888a4e134b2fp-1, -0x1.6b7d37644d5e6p-55}, {0x1.6b898fa9efb5dp-1, 0x1.15ac786ccf4b2p-56}},
    {{0x1.6e2b77c40bde1p-1, -0x1.0e729857fad53p-56}, {0x1.65dc1fdeb8cbap-1, -0x1.97c1b47337c77p-58}},
};

// Bits [pos, pos + 64) of a 320-bit number held as five words, least significant first
// (0 <= pos < 320); bits past the top read as zero.
uint64_t bitsAt(const uint64_t (&n)[5], int pos) {
    const int word = pos / 64, offset = pos % 64;
    const uint64_t above = offset != 0 && word + 1 < 5 ? n[word + 1] << (64 - offset) : 0;
    return (n[word] >> offset) | above;
}

// 64 bits of 2/pi starting at bit `offset` (0: the first after the point).
uint64_t twoOverPiBits(int offset) {
    const int word = offset / 64, shift = offset % 64;
    if (shift == 0) return kTwoOverPi[word];
    return (kTwoOverPi[word] << shift) | (kTwoOverPi[word + 1] >> (64 - shift));
}

struct Reduced {
    int quadrant;  // x = (quadrant + 4 n) pi/2 + r
    Dd r;          // |r| <= pi/4 (a hair over at the ends)
};

// Exact reduction for every finite |x| >= pi/4 (Payne and Hanek's method): x = m 2^e with a
// 53-bit integer m, and m times a 256-bit window of 2/pi, chosen so that the dropped leading
// digits contribute multiples of 4, gives x 2/pi modulo 4 with 192 bits after the point. The
// digits past the window change the fraction by less than 2^-191, and no double lies closer
// to a multiple of pi/2 than about 2^-62 of it, so r keeps well over 106 good bits.
Reduced reduce(double x) {
    const uint64_t bits = bitsOf(x);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t m = (bits & 0xFFFFFFFFFFFFFULL) | (1ULL << 52);
    const int e = exponent - 1075;  // |x| = m 2^e
    // Digit i of 2/pi weighs 2^-i (i from 1); digits before first count m 2^(e - i), a
    // multiple of 4.
    const int first = e - 1 > 1 ? e - 1 : 1;
    uint64_t window[4];  // most significant first
    for (int j = 0; j < 4; ++j) window[j] = twoOverPiBits(first - 1 + 64 * j);
    uint64_t product[5] = {};  // least significant first
    unsigned __int128 carry = 0;
    for (int j = 3; j >= 0; --j) {
        carry += static_cast<unsigned __int128>(m) * window[j];
        product[3 - j] = static_cast<uint64_t>(carry);
        carry >>= 64;
    }
    product[4] = static_cast<uint64_t>(carry);
    // The product's last digit weighs 2^(e - first - 255), so the units digit sits here.
    const int point = first + 255 - e;
    int quadrant = static_cast<int>(bitsAt(product, point) & 3);
    uint64_t f[3] = {bitsAt(product, point - 64), bitsAt(product, point - 128), bitsAt(product, point - 192)};
    bool negative = false;
    if (f[0] >> 63) {  // past a half: measure from the next multiple instead
        quadrant = (quadrant + 1) & 3;
        negative = true;
        uint64_t borrow = 1;  // f = 2^192 - f, as ~f + 1
        for (int i = 2; i >= 0; --i) {
            f[i] = ~f[i] + borrow;
            borrow = borrow && f[i] == 0;
        }
    }
    // Normalise so that the top digit is set; a zero fraction cannot come from a double.
    int shift = 0;
    while (f[0] == 0 && shift < 192) {
        f[0] = f[1];
        f[1] = f[2];
        f[2] = 0;
        shift += 64;
    }
    Dd r{0, 0};
    if (shift < 192) {
        int lead = 0;
        while (!(f[0] >> (63 - lead))) ++lead;
        if (lead > 0) {
            f[0] = (f[0] << lead) | (f[1] >> (64 - lead));
            f[1] = (f[1] << lead) | (f[2] >> (64 - lead));
            f[2] <<= lead;
        }
        shift += lead;
        // Three 53-bit pieces of the fraction, each exact as a double.
        const double a = static_cast<double>(f[0] >> 11);
        const double b = static_cast<double>(((f[0] & 0x7FF) << 42) | (f[1] >> 22));
        const double c = static_cast<double>(((f[1] & 0x3FFFFF) << 31) | (f[2] >> 33));
        const Dd fraction = fastTwoSum(a * powerOfTwo(-53 - shift),
                                       b * powerOfTwo(-106 - shift) + c * powerOfTwo(-159 - shift));
        r = mul(fraction, kHalfPi);
    }
    if (negative) r = neg(r);
    if (x < 0) {
        quadrant = (4 - quadrant) & 3;
        r = neg(r);
    }
    return Reduced{quadrant, r};
}

// pi/2 in three pieces for the quick reduction: the first two have 33 bits, so their
// products with a quotient of up to 17 bits are exact.
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
constexpr double kQuickReductionLimit = 0x1p16;

// Cody and Waite's reduction for |x| below kQuickReductionLimit: r is good to about 2^-104
// absolutely. False (leave it to reduce) when r is small enough for that to matter.
bool reduceQuickly(double x, Reduced& out) {
    const double t = x * 0x1.45f306dc9c883p-1;  // x 2/pi
    const int32_t k = static_cast<int32_t>(t < 0 ? t - 0.5 : t + 0.5);
    const double kd = k;
    // x - k pi1 is exact: the two lie within a factor of two of each other, or k is 0.
    const Dd s = twoSum(x - kd * kHalfPi1, -(kd * kHalfPi2));
    const Dd r = twoSum(s.hi, s.lo - kd * kHalfPi3);
    if (r.hi > -0x1p-30 && r.hi < 0x1p-30) return false;
    out = Reduced{k & 3, r};
    return true;
}

Reduced reduceAny(double x) {
    if (x > -0x1.921fb54442d18p-1 && x < 0x1.921fb54442d18p-1) return Reduced{0, Dd{x, 0}};
    return reduce(x);
}

// Horner's rule over z for the coefficients sign^j / (first + 2 j)!, j = 0 to count - 1:
// the terms past `exactFrom` weigh under 2^-60 of the result and are summed in plain
// doubles; the leading ones carry the full precision.
Dd alternatingSeries(Dd z, int first, int count, int exactFrom) {
    double tail = 0;
    for (int j = count - 1; j >= exactFrom; --j) {
        const double c = (j % 2 ? -1 : 1) * inverseFactorial(first + 2 * j);
        tail = tail * z.hi + c;
    }
    Dd p{tail, 0};
    for (int j = exactFrom - 1; j >= 0; --j) {
        const Dd c = inverseFactorialDd(first + 2 * j);
        p = add(mul(p, z), j % 2 ? neg(c) : c);
    }
    return p;
}

// sin r for |r| <= pi/4 + a hair: r - r^3/3! + ... + r^29/29!, the terms from r^(2 exactFrom + 3)
// on in plain doubles.
Dd sinKernel(Dd r, int exactFrom) {
    const Dd z = mul(r, r);
    const Dd p = alternatingSeries(z, 3, 14, exactFrom);  // 1/3! - z/5! + ... - z^13/29!
    return add(r, neg(mul(r, mul(z, p))));
}

// cos r for |r| <= pi/4 + a hair: 1 - r^2/2! + ... + r^28/28!, the terms from r^(2 exactFrom + 2)
// on in plain doubles.
Dd cosKernel(Dd r, int exactFrom) {
    const Dd z = mul(r, r);
    const Dd p = alternatingSeries(z, 2, 14, exactFrom);  // 1/2! - z/4! + ... - z^13/28!
    return add(Dd{1, 0}, neg(mul(z, p)));
}

// sin r and cos r for |r| <= pi/4 + a hair, to about 2^-66 of the results: r = j/64 + h + l
// with |h| <= 1/128 and l below h's last bit, the step j from the table, and the series of h
// short and in plain doubles around exact products.
DdPair quickKernel(Dd r) {
    const bool negative = r.hi < 0;  // sin is odd, cos even
    if (negative) r = neg(r);
    const int j = nearestStep(r.hi);
    const double h = r.hi - j / 64.0;  // exact: the two are within a factor of two, or j is 0
    const double l = r.lo;
    const double z = h * h;
    // cos h - 1 and sin h - h; then cos(h + l) = 1 + cm - h l and sin(h + l) = h + l + sm + l cm
    // to well under 2^-100.
    const double cm = z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320))));
    const double sm = h * z * (-1.0 / 6 + z * (1.0 / 120 + z * (-1.0 / 5040 + z * (1.0 / 362880))));
    const double cosSmall = cm - h * l;
    const double sinSmall = sm + l * cm;
    const Dd& s = kStepTable[j].sine;
    const Dd& c = kStepTable[j].cosine;
    // cos c cos u - sin c sin u
    const Dd ps = twoProd(s.hi, h);
    const Dd cosLead = twoSum(c.hi, -ps.hi);
    const double cosRest = c.lo - ps.lo - s.lo * h - s.hi * l + c.hi * cosSmall - s.hi * sinSmall;
    // sin c cos u + cos c sin u
    const Dd pc = twoProd(c.hi, h);
    const Dd sinLead = twoSum(s.hi, pc.hi);
    const double sinRest = s.lo + pc.lo + c.lo * h + c.hi * l + s.hi * cosSmall + c.hi * sinSmall;
    const Dd sine = fastTwoSum(sinLead.hi, sinLead.lo + sinRest);
    return DdPair{negative ? neg(sine) : sine, fastTwoSum(cosLead.hi, cosLead.lo + cosRest)};
}

// sin x from sin r and cos r in quadrant q (x = q pi/2 + r); cos x is in quadrant q + 1.
double inQuadrant(int q, double sine, double cosine) {
    switch (q & 3) {
    case 0: return sine;
    case 1: return cosine;
    case 2: return -sine;
    default: return -cosine;
    }
}

bool isQuick(double x, Reduced& v) {
    return x > -kQuickReductionLimit && x < kQuickReductionLimit && reduceQuickly(x, v);
}

// How many leading terms the exact evaluation carries in double-double: past them the terms
// weigh under 2^-60 of the result.
constexpr int kExactSinTerms = 8, kExactCosTerms = 9;

// sin x for shift 0, cos x = sin(x + pi/2) for shift 1; x finite and not tiny.
double sinOrCos(double x, int shift) {
    Reduced v;
    if (isQuick(x, v)) {
        const int q = (v.quadrant + shift) & 3;
        const DdPair k = quickKernel(v.r);
        double y;
        if (roundsSafely(q & 1 ? k.cosine : k.sine, y)) return q & 2 ? -y : y;
    }
    v = reduceAny(x);
    const int q = (v.quadrant + shift) & 3;
    const double y = rounded(q & 1 ? cosKernel(v.r, kExactCosTerms) : sinKernel(v.r, kExactSinTerms));
    return q & 2 ? -y : y;
}

bool isFinite(double x) { return (bitsOf(x) & 0x7FF0000000000000ULL) != 0x7FF0000000000000ULL; }

// atan t for 0 <= t <= 1: atan(k/64) from the table plus atan u, u = (t - k/64) / (1 + t k/64),
// |u| <= 1/128, by its series u - u^3/3 + ... - u^15/15 + u^17/17; the terms from u^9 on
// weigh under 2^-56 of u and are summed in plain doubles.
Dd atanUnit(Dd t) {
    const int k = nearestStep(t.hi);
    const double c = k / 64.0;
    const Dd u = div(add(t, Dd{-c, 0}), add(Dd{1, 0}, mul(t, Dd{c, 0})));
    const Dd w = mul(u, u);
    double tail = 0;
    for (int j = 8; j >= 4; --j) tail = tail * w.hi + (j % 2 ? -1 : 1) * kInverseOdd[j - 1].hi;
    Dd p{tail, 0};
    for (int j = 3; j >= 1; --j) {
        const Dd c = kInverseOdd[j - 1];
        p = add(mul(p, w), j % 2 ? neg(c) : c);
    }
    const Dd series = add(u, mul(u, mul(w, p)));
    return add(kAtanTable[k], series);
}

// atan t for 0 <= t <= 1 to about 2^-66 of the result: the same steps as atanUnit, with u
// from one corrected division and its series in plain doubles.
Dd quickAtanUnit(Dd t) {
    const int k = nearestStep(t.hi);
    const double c = k / 64.0;
    const double numerator = t.hi - c;  // exact: within a factor of two, or c is 0; plus t.lo
    const Dd product = twoProd(t.hi, c);
    const Dd denominator = fastTwoSum(1, product.hi);
    const double denominatorLo = denominator.lo + (product.lo + t.lo * c);
    const double u = numerator / denominator.hi;
    const Dd back = twoProd(u, denominator.hi);
    const double uLo = (((numerator - back.hi) - back.lo) + t.lo - u * denominatorLo) / denominator.hi;
    const double w = u * u;
    // atan(u + uLo) = u + uLo - u^3/3 - u^2 uLo + u^5/5 - ... ; |u| <= 1/128
    const double small = uLo - w * uLo + u * w * (-1.0 / 3 + w * (1.0 / 5 + w * (-1.0 / 7 + w * (1.0 / 9 + w * (-1.0 / 11)))));
    const Dd& base = kAtanTable[k];
    const Dd lead = twoSum(base.hi, u);
    return fastTwoSum(lead.hi, lead.lo + (base.lo + small));
}

}  // namespace

double engineSin(double x) {
    if (!isFinite(x)) return fixedNan();
    if (x > -kTiny && x < kTiny) return x;
    return sinOrCos(x, 0);
}

double engineCos(double x) {
    if (!isFinite(x)) return fixedNan();
    if (x > -kTiny && x < kTiny) return 1;
    return sinOrCos(x, 1);
}

SineCosine engineSinCos(double x) {
    if (!isFinite(x)) return SineCosine{fixedNan(), fixedNan()};
    if (x > -kTiny && x < kTiny) return SineCosine{x, 1};
    Reduced v;
    if (isQuick(x, v)) {
        const DdPair k = quickKernel(v.r);
        double sine, cosine;
        if (roundsSafely(k.sine, sine) && roundsSafely(k.cosine, cosine))
            return SineCosine{inQuadrant(v.quadrant, sine, cosine), inQuadrant(v.quadrant + 1, sine, cosine)};
    }
    return SineCosine{sinOrCos(x, 0), sinOrCos(x, 1)};
}

double engineAtan(double x) {
    if (x != x) return fixedNan();
    const double a = x < 0 ? -x : x;
    if (a < kTiny) return x;
    double y;
    if (a > 0x1p54) {
        // atan a = pi/2 - 1/a + 1/(3 a^3) - ...: past 2^54 the cube is far below the last bit,
        // and 1/a need not be exact (infinity gives 0).
        y = rounded(fastTwoSum(kHalfPi.hi, kHalfPi.lo - 1 / a));
    } else {
        // atan a = pi/2 - atan(1/a) past 1, with 1/a to double-double precision.
        Dd t{a, 0};
        if (a > 1) {
            const double q = 1 / a;
            const Dd p = twoProd(q, a);
            t = fastTwoSum(q, ((1 - p.hi) - p.lo) / a);
        }
        const Dd quick = quickAtanUnit(t);
        if (!roundsSafely(a > 1 ? add(kHalfPi, neg(quick)) : quick, y)) {
            const Dd exact = atanUnit(t);
            y = rounded(a > 1 ? add(kHalfPi, neg(exact)) : exact);
        }
    }
    return x < 0 ? -y : y;
}
