// The integrator's implementation as templates over the right-hand side and the output
// routine, so that a caller's callables are called directly in the step loop. Dop853 and
// HInit in dop853.h are these templates over std::function.
#pragma once

#include "integrator/dop853.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace orrimar {

namespace dop853_detail {

// The nodes of the published method, rounded to double.
inline constexpr double c2 = 0.526001519587677318785587544488e-01;
inline constexpr double c3 = 0.789002279381515978178381316732e-01;
inline constexpr double c4 = 0.118350341907227396726757197510;
inline constexpr double c5 = 0.281649658092772603273242802490;
inline constexpr double c6 = 0.333333333333333333333333333333;
inline constexpr double c7 = 0.25;
inline constexpr double c8 = 0.307692307692307692307692307692;
inline constexpr double c9 = 0.651282051282051282051282051282;
inline constexpr double c10 = 0.6;
inline constexpr double c11 = 0.857142857142857142857142857142;
inline constexpr double c14 = 0.1;
inline constexpr double c15 = 0.2;
inline constexpr double c16 = 0.777777777777777777777777777778;

// Step-size control.
inline constexpr double safe = 0.9;
inline constexpr double facMin = 1.0 / 3.0;  // smallest ratio hnew/h
inline constexpr double facMax = 6.0;        // largest ratio hnew/h
inline constexpr double beta = 0.08;
inline constexpr double expo1 = 0.109;  // 1/8 - 0.2 * beta
inline constexpr double facOldMin = 1.0e-4;
inline constexpr int stiffTestEvery = 1000;
inline constexpr double stiffThreshold = 6.1;

// Two components at once for the loops of a step: the same operations in the same order
// on each lane, so the same bits as one at a time.
using Lane2 = double __attribute__((vector_size(16)));
inline double Load(const double* p, double) { return *p; }
// Two doubles at any double's address; loads and stores through it alias doubles only, so
// the compiler keeps the vectors' addresses in registers across them.
using Lane2At = double __attribute__((vector_size(16), aligned(8)));
inline Lane2 Load(const double* p, Lane2) { return *reinterpret_cast<const Lane2At*>(p); }
inline void Store(double* p, double v) { *p = v; }
inline void Store(double* p, Lane2 v) { *reinterpret_cast<Lane2At*>(p) = v; }
// A coefficient in every lane: a constant the multiplication reads from memory, rather
// than a scalar broadcast at run time before each use.
inline constexpr double Splat(double c, double) { return c; }
inline constexpr Lane2 Splat(double c, Lane2) { return Lane2{c, c}; }
inline double LaneOf(double v, int) { return v; }
inline double LaneOf(Lane2 v, int lane) { return v[lane]; }
// std::abs and std::max lane by lane (max as std::max: a < b ? b : a).
inline double Abs(double v) { return std::abs(v); }
inline Lane2 Abs(Lane2 v) { return Lane2{std::abs(v[0]), std::abs(v[1])}; }
inline double Max(double a, double b) { return std::max(a, b); }
inline Lane2 Max(Lane2 a, Lane2 b) { return a < b ? b : a; }

// The weights of the stages, rounded to double, as L: double for one component at a time,
// or Lane2 with the weight in both lanes. The Lane2 table lives in dop853.cpp, out of the
// compiler's sight, so that the step multiplies by it from memory: a weight it can see is
// broadcast from a scalar before each use, two more instructions.
template <class L>
struct Weights {
    static constexpr L S(double v) { return Splat(v, L{}); }
    L a21 = S(5.26001519587677318785587544488e-2);
    L a31 = S(1.97250569845378994544595329183e-2);
    L a32 = S(5.91751709536136983633785987549e-2);
    L a41 = S(2.95875854768068491816892993775e-2);
    L a43 = S(8.87627564304205475450678981324e-2);
    L a51 = S(2.41365134159266685502369798665e-1);
    L a53 = S(-8.84549479328286085344864962717e-1);
    L a54 = S(9.24834003261792003115737966543e-1);
    L a61 = S(3.7037037037037037037037037037e-2);
    L a64 = S(1.70828608729473871279604482173e-1);
    L a65 = S(1.25467687566822425016691814123e-1);
    L a71 = S(3.7109375e-2);
    L a74 = S(1.70252211019544039314978060272e-1);
    L a75 = S(6.02165389804559606850219397283e-2);
    L a76 = S(-1.7578125e-2);
    L a81 = S(3.70920001185047927108779319836e-2);
    L a84 = S(1.70383925712239993810214054705e-1);
    L a85 = S(1.07262030446373284651809199168e-1);
    L a86 = S(-1.53194377486244017527936158236e-2);
    L a87 = S(8.27378916381402288758473766002e-3);
    L a91 = S(6.24110958716075717114429577812e-1);
    L a94 = S(-3.36089262944694129406857109825);
    L a95 = S(-8.68219346841726006818189891453e-1);
    L a96 = S(2.75920996994467083049415600797e1);
    L a97 = S(2.01540675504778934086186788979e1);
    L a98 = S(-4.34898841810699588477366255144e1);
    L a101 = S(4.77662536438264365890433908527e-1);
    L a104 = S(-2.48811461997166764192642586468);
    L a105 = S(-5.90290826836842996371446475743e-1);
    L a106 = S(2.12300514481811942347288949897e1);
    L a107 = S(1.52792336328824235832596922938e1);
    L a108 = S(-3.32882109689848629194453265587e1);
    L a109 = S(-2.03312017085086261358222928593e-2);
    L a111 = S(-9.3714243008598732571704021658e-1);
    L a114 = S(5.18637242884406370830023853209);
    L a115 = S(1.09143734899672957818500254654);
    L a116 = S(-8.14978701074692612513997267357);
    L a117 = S(-1.85200656599969598641566180701e1);
    L a118 = S(2.27394870993505042818970056734e1);
    L a119 = S(2.49360555267965238987089396762);
    L a1110 = S(-3.0467644718982195003823669022);
    L a121 = S(2.27331014751653820792359768449);
    L a124 = S(-1.05344954667372501984066689879e1);
    L a125 = S(-2.00087205822486249909675718444);
    L a126 = S(-1.79589318631187989172765950534e1);
    L a127 = S(2.79488845294199600508499808837e1);
    L a128 = S(-2.85899827713502369474065508674);
    L a129 = S(-8.87285693353062954433549289258);
    L a1210 = S(1.23605671757943030647266201528e1);
    L a1211 = S(6.43392746015763530355970484046e-1);

    L a141 = S(5.61675022830479523392909219681e-2);
    L a147 = S(2.53500210216624811088794765333e-1);
    L a148 = S(-2.46239037470802489917441475441e-1);
    L a149 = S(-1.24191423263816360469010140626e-1);
    L a1410 = S(1.5329179827876569731206322685e-1);
    L a1411 = S(8.20105229563468988491666602057e-3);
    L a1412 = S(7.56789766054569976138603589584e-3);
    L a1413 = S(-8.298e-3);
    L a151 = S(3.18346481635021405060768473261e-2);
    L a156 = S(2.83009096723667755288322961402e-2);
    L a157 = S(5.35419883074385676223797384372e-2);
    L a158 = S(-5.49237485713909884646569340306e-2);
    L a1511 = S(-1.08347328697249322858509316994e-4);
    L a1512 = S(3.82571090835658412954920192323e-4);
    L a1513 = S(-3.40465008687404560802977114492e-4);
    L a1514 = S(1.41312443674632500278074618366e-1);
    L a161 = S(-4.28896301583791923408573538692e-1);
    L a166 = S(-4.69762141536116384314449447206);
    L a167 = S(7.68342119606259904184240953878);
    L a168 = S(4.06898981839711007970213554331);
    L a169 = S(3.56727187455281109270669543021e-1);
    L a1613 = S(-1.39902416515901462129418009734e-3);
    L a1614 = S(2.9475147891527723389556272149);
    L a1615 = S(-9.15095847217987001081870187138);

    L b1 = S(5.42937341165687622380535766363e-2);
    L b6 = S(4.45031289275240888144113950566);
    L b7 = S(1.89151789931450038304281599044);
    L b8 = S(-5.8012039600105847814672114227);
    L b9 = S(3.1116436695781989440891606237e-1);
    L b10 = S(-1.52160949662516078556178806805e-1);
    L b11 = S(2.01365400804030348374776537501e-1);
    L b12 = S(4.47106157277725905176885569043e-2);

    L bhh1 = S(0.244094488188976377952755905512);
    L bhh2 = S(0.733846688281611857341361741547);
    L bhh3 = S(0.220588235294117647058823529412e-1);

    L er1 = S(0.1312004499419488073250102996e-1);
    L er6 = S(-0.1225156446376204440720569753e+1);
    L er7 = S(-0.4957589496572501915214079952);
    L er8 = S(0.1664377182454986536961530415e+1);
    L er9 = S(-0.3503288487499736816886487290);
    L er10 = S(0.3341791187130174790297318841);
    L er11 = S(0.8192320648511571246570742613e-1);
    L er12 = S(-0.2235530786388629525884427845e-1);

    // Dense output: the weights d[m][j] for m = 4..7 and stages j = 1, 6..16.
    struct Dense {
        L d1, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16;
    };
    Dense dw[4] = {
        {S(-0.84289382761090128651353491142e+1), S(0.56671495351937776962531783590),
         S(-0.30689499459498916912797304727e+1), S(0.23846676565120698287728149680e+1),
         S(0.21170345824450282767155149946e+1), S(-0.87139158377797299206789907490),
         S(0.22404374302607882758541771650e+1), S(0.63157877876946881815570249290),
         S(-0.88990336451333310820698117400e-1), S(0.18148505520854727256656404962e+2),
         S(-0.91946323924783554000451984436e+1), S(-0.44360363875948939664310572000e+1)},
        {S(0.10427508642579134603413151009e+2), S(0.24228349177525818288430175319e+3),
         S(0.16520045171727028198505394887e+3), S(-0.37454675472269020279518312152e+3),
         S(-0.22113666853125306036270938578e+2), S(0.77334326684722638389603898808e+1),
         S(-0.30674084731089398182061213626e+2), S(-0.93321305264302278729567221706e+1),
         S(0.15697238121770843886131091075e+2), S(-0.31139403219565177677282850411e+2),
         S(-0.93529243588444783865713862664e+1), S(0.35816841486394083752465898540e+2)},
        {S(0.19985053242002433820987653617e+2), S(-0.38703730874935176555105901742e+3),
         S(-0.18917813819516756882830838328e+3), S(0.52780815920542364900561016686e+3),
         S(-0.11573902539959630126141871134e+2), S(0.68812326946963000169666922661e+1),
         S(-0.10006050966910838403183860980e+1), S(0.77771377980534432092869265740),
         S(-0.27782057523535084065932004339e+1), S(-0.60196695231264120758267380846e+2),
         S(0.84320405506677161018159903784e+2), S(0.11992291136182789328035130030e+2)},
        {S(-0.25693933462703749003312586129e+2), S(-0.15418974869023643374053993627e+3),
         S(-0.23152937917604549567536039109e+3), S(0.35763911791061412378285349910e+3),
         S(0.93405324183624310003907691704e+2), S(-0.37458323136451633156875139351e+2),
         S(0.10409964950896230045147246184e+3), S(0.29840293426660503123344363579e+2),
         S(-0.43533456590011143754432175058e+2), S(0.96324553959188282948394950600e+2),
         S(-0.39177261675615439165231486172e+2), S(-0.14972683625798562581422125276e+3)},
    };
};
inline constexpr Weights<double> scalarWeights{};
extern const Weights<Lane2> laneWeights;
inline constexpr const Weights<double>& WeightsFor(double) { return scalarWeights; }
inline const Weights<Lane2>& WeightsFor(Lane2) { return laneWeights; }


inline double RoundingUnit()
{
    volatile double u = 0x1p-52;
    volatile double sum;
    do {
        u = u / 2.0;
        sum = 1.0 + u;
    } while (sum != 1.0);
    return 2.0 * u;
}

}  // namespace dop853_detail


template <class Rhs>
double HInitWith(int n, const Rhs& fcn, double x, const Vector& Y, int posNeg,
             const Vector& F0, Vector& F1, Vector& YY1, double hMax, double aTol, double rTol)
{
    using namespace dop853_detail;
    if (n < 1 || Y.Length() <= n || F0.Length() <= n || F1.Length() <= n || YY1.Length() <= n)
        throw std::out_of_range("HInit: vectors need n+1 elements and n at least 1");
    const double* y = Y.Data();
    const double* f0 = F0.Data();
    double* yy1 = YY1.Data();

    double dnf = 0.0;
    double dny = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double sk = aTol + rTol * std::abs(y[i]);
        const double qf = f0[i] / sk;
        const double qy = y[i] / sk;
        dnf += qf * qf;
        dny += qy * qy;
    }
    dnf = std::sqrt(dnf / n);
    dny = std::sqrt(dny / n);

    double h = (dnf <= 1.0e-5 || dny <= 1.0e-5) ? 1.0e-6 : 0.01 * dny / dnf;
    h = std::min(h, hMax);
    h = posNeg * h;

    // One explicit Euler step to estimate the second derivative.
    for (int i = 1; i <= n; ++i)
        yy1[i] = y[i] + h * f0[i];
    fcn(n, x + h, YY1, F1);
    const double* f1 = F1.Data();
    double der2 = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double sk = aTol + rTol * std::abs(y[i]);
        const double q = (f1[i] - f0[i]) / sk;
        der2 += q * q;
    }
    // A zero trial step (hMax = 0) leaves nothing to estimate from.
    der2 = h != 0.0 ? std::sqrt(der2 / n) / std::abs(h) : 0.0;

    const double der12 = std::max(dnf, der2);
    const double h1 = der12 <= 1.0e-15 ? std::max(1.0e-6, std::abs(h) * 1.0e-3)
                                       : std::pow(0.01 / der12, 1.0 / 8.0);
    return posNeg * std::min({100.0 * std::abs(h), h1, hMax});
}

// DOP853 as a stepper: Step() takes one accepted step (rejected attempts are retried
// inside it) with the step control, stiffness test and counts of Dop853, and afterwards
// Dense() and Values() interpolate within that step. The caller decides after each step
// whether to go on, so output, events and stops are the driver's business. Not to be
// stepped again after it returned anything but Dop853Accepted.
template <class Rhs>
class Dop853Stepper {
public:
    // From (x, y) towards xEnd; h = 0 asks for an initial step guess, hMax = 0 means
    // xEnd - x. The right-hand side is evaluated at the start (and in the guess).
    // Throws std::out_of_range when y has fewer than n+1 elements.
    Dop853Stepper(int n, const Rhs& fcn, double x, const Vector& y, double xEnd, double h,
                  double hMax, double rTol, double aTol, bool denseOutput)
        : n_(n), fcn_(fcn), x_(x), xEnd_(xEnd), h_(h), rTol_(rTol), aTol_(aTol),
          dense_(CheckedSize(n, y), denseOutput), y_(y), yy1_(n + 1), k1_(n + 1), k2_(n + 1),
          k3_(n + 1), k4_(n + 1), k5_(n + 1), k6_(n + 1), k7_(n + 1), k8_(n + 1), k9_(n + 1),
          k10_(n + 1)
    {
        posNeg_ = x <= xEnd ? 1.0 : -1.0;
        hMax_ = std::abs(hMax == 0.0 ? xEnd - x : hMax);
        Eval(x_, y_, k1_);
        if (h_ == 0.0) {
            h_ = HInitWith(n_, fcn_, x_, y_, static_cast<int>(posNeg_), k1_, k2_, k3_, hMax_,
                           aTol_, rTol_);
            ++evaluations_;
        }
        dense_.xOld_ = x_;
        dense_.hOut_ = h_;
    }

    // One accepted step: Dop853Accepted, Dop853Reached when it ended at xEnd, or a
    // failure code (-2, -3, -4; the state is then that of the last accepted step).
    int Step();

    int Size() const { return n_; }
    double X() const { return x_; }            // end of the last accepted step
    double XOld() const { return dense_.xOld_; }  // its start
    double H() const { return h_; }            // the step proposed next
    double HMax() const { return hMax_; }
    const Vector& Y() const { return y_; }     // the solution at X()
    int Accepted() const { return accepted_; }
    // The last accepted step's interpolant (without dense output, Available() is false).
    const DenseOutput& Dense() const { return dense_; }
    void Values(double x, std::span<double> out) const { dense_.Values(x, out); }

    // The counts and, for a failure code, what failed; code Dop853Stopped for a driver
    // that stopped after the last step (H is then that step's length, as Dop853 leaves h).
    Dop853Result Result(int code) const
    {
        Dop853Result result;
        result.Code = code;
        result.X = x_;
        result.H = code == Dop853Stopped && accepted_ > 0 ? hLast_ : h_;
        result.Steps = steps_;
        result.Accepted = accepted_;
        result.Rejected = rejected_;
        result.Evaluations = evaluations_;
        if (code == Dop853TooManySteps)
            result.StepLimit = Dop853MaxSteps;
        else if (code == Dop853StepTooSmall)
            result.TooSmallH = h_;
        else if (code == Dop853Stiff)
            result.StiffAt = x_;
        return result;
    }

private:
    template <int N>
    int StepSized();
    static int CheckedSize(int n, const Vector& y)
    {
        if (n < 1 || y.Length() <= n)
            throw std::out_of_range("Dop853: the state needs n+1 elements and n at least 1, n = " +
                                    std::to_string(n) + ", length " + std::to_string(y.Length()));
        return n;
    }
    void Eval(double x, const Vector& y, Vector& f)
    {
        ++evaluations_;
        fcn_(n_, x, y, f);
    }

    int n_;
    Rhs fcn_;
    double x_;
    double xEnd_;
    double h_;
    double hMax_ = 0.0;
    double hLast_ = 0.0;
    double posNeg_ = 1.0;
    double rTol_;
    double aTol_;
    double uround_ = dop853_detail::RoundingUnit();
    double facOld_ = dop853_detail::facOldMin;
    double hLamb_ = 0.0;
    bool last_ = false;
    bool reject_ = false;
    int iasti_ = 0;
    int nonsti_ = 0;
    int steps_ = 0;
    int accepted_ = 0;
    int rejected_ = 0;
    int evaluations_ = 0;
    DenseOutput dense_;
    Vector y_, yy1_, k1_, k2_, k3_, k4_, k5_, k6_, k7_, k8_, k9_, k10_;
};

template <class Rhs>
int Dop853Stepper<Rhs>::Step()
{
    // The Earth–Moon problem's size gets loops the compiler unrolls.
    return n_ == 4 ? StepSized<4>() : StepSized<0>();
}

template <class Rhs>
template <int N>
int Dop853Stepper<Rhs>::StepSized()
{
    using namespace dop853_detail;
    const int n = N > 0 ? N : n_;
    // Lanes of two for the Earth–Moon problem's four components.
    using Lane = std::conditional_t<N == 4, Lane2, double>;
    constexpr int width = N == 4 ? 2 : 1;
    const auto ld = [](const double* p) { return Load(p, Lane{}); };
    // Weight c times the components at p.
    const Weights<Lane>& wt = WeightsFor(Lane{});
    const auto w = [](const Lane& c, const double* p) { return c * Load(p, Lane{}); };
    const double rTol = rTol_;
    const double aTol = aTol_;
    double* __restrict const y = y_.Data();
    double* __restrict const yy1 = yy1_.Data();
    double* __restrict const k1 = k1_.Data();
    double* __restrict const k2 = k2_.Data();
    double* __restrict const k3 = k3_.Data();
    double* __restrict const k4 = k4_.Data();
    double* __restrict const k5 = k5_.Data();
    double* __restrict const k6 = k6_.Data();
    double* __restrict const k7 = k7_.Data();
    double* __restrict const k8 = k8_.Data();
    double* __restrict const k9 = k9_.Data();
    double* __restrict const k10 = k10_.Data();
    // The controller's state in locals while the right-hand side runs, stored back below.
    double x = x_;
    double h = h_;
    double facOld = facOld_;
    bool last = last_;
    bool reject = reject_;
    int steps = steps_;
    int rejected = rejected_;
    int evaluations = evaluations_;
    const auto eval = [&](double xe, Vector& ye, Vector& fe) {
        ++evaluations;
        fcn_(n, xe, ye, fe);
    };
    const auto save = [&] {
        x_ = x;
        h_ = h;
        facOld_ = facOld;
        last_ = last;
        reject_ = reject;
        steps_ = steps;
        rejected_ = rejected;
        evaluations_ = evaluations;
    };

    for (;;) {
        if (steps > Dop853MaxSteps) {
            save();
            return Dop853TooManySteps;
        }
        if (0.1 * std::abs(h) <= std::abs(x) * uround_) {
            save();
            return Dop853StepTooSmall;
        }
        // Lands the last step on xEnd rather than leave a sliver of less than 1 % of a step.
        if ((x + 1.01 * h - xEnd_) * posNeg_ > 0.0) {
            h = xEnd_ - x;
            last = true;
        }
        ++steps;

        // Stages 2 … 12.
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a21, k1 + i)));
        eval(x + c2 * h, yy1_, k2_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a31, k1 + i) + w(wt.a32, k2 + i)));
        eval(x + c3 * h, yy1_, k3_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a41, k1 + i) + w(wt.a43, k3 + i)));
        eval(x + c4 * h, yy1_, k4_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a51, k1 + i) + w(wt.a53, k3 + i) +
                                            w(wt.a54, k4 + i)));
        eval(x + c5 * h, yy1_, k5_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a61, k1 + i) + w(wt.a64, k4 + i) +
                                            w(wt.a65, k5 + i)));
        eval(x + c6 * h, yy1_, k6_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a71, k1 + i) + w(wt.a74, k4 + i) +
                                            w(wt.a75, k5 + i) + w(wt.a76, k6 + i)));
        eval(x + c7 * h, yy1_, k7_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a81, k1 + i) + w(wt.a84, k4 + i) +
                                            w(wt.a85, k5 + i) + w(wt.a86, k6 + i) +
                                            w(wt.a87, k7 + i)));
        eval(x + c8 * h, yy1_, k8_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a91, k1 + i) + w(wt.a94, k4 + i) +
                                            w(wt.a95, k5 + i) + w(wt.a96, k6 + i) +
                                            w(wt.a97, k7 + i) + w(wt.a98, k8 + i)));
        eval(x + c9 * h, yy1_, k9_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a101, k1 + i) + w(wt.a104, k4 + i) +
                                            w(wt.a105, k5 + i) + w(wt.a106, k6 + i) +
                                            w(wt.a107, k7 + i) + w(wt.a108, k8 + i) +
                                            w(wt.a109, k9 + i)));
        eval(x + c10 * h, yy1_, k10_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a111, k1 + i) + w(wt.a114, k4 + i) +
                                            w(wt.a115, k5 + i) + w(wt.a116, k6 + i) +
                                            w(wt.a117, k7 + i) + w(wt.a118, k8 + i) +
                                            w(wt.a119, k9 + i) + w(wt.a1110, k10 + i)));
        eval(x + c11 * h, yy1_, k2_);  // stage 11
        const double xph = x + h;
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (w(wt.a121, k1 + i) + w(wt.a124, k4 + i) +
                                            w(wt.a125, k5 + i) + w(wt.a126, k6 + i) +
                                            w(wt.a127, k7 + i) + w(wt.a128, k8 + i) +
                                            w(wt.a129, k9 + i) + w(wt.a1210, k10 + i) +
                                            w(wt.a1211, k2 + i)));
        eval(xph, yy1_, k3_);  // stage 12

        // Order-8 solution: k4 = weighted sum of the stages, k5 = y_new; and the error
        // estimate from the estimators of orders 5 and 3, from the same loads.
        double e5sum = 0.0;
        double e3sum = 0.0;
        for (int i = 1; i <= n; i += width) {
            const Lane s1 = ld(k1 + i), s6 = ld(k6 + i), s7 = ld(k7 + i), s8 = ld(k8 + i),
                       s9 = ld(k9 + i), s10 = ld(k10 + i), s11 = ld(k2 + i), s12 = ld(k3 + i);
            const Lane yi = ld(y + i);
            const Lane sum = wt.b1 * s1 + wt.b6 * s6 + wt.b7 * s7 + wt.b8 * s8 + wt.b9 * s9 +
                             wt.b10 * s10 + wt.b11 * s11 + wt.b12 * s12;
            const Lane yNew = yi + h * sum;
            Store(k4 + i, sum);
            Store(k5 + i, yNew);
            const Lane sk = aTol + rTol * Max(Abs(yi), Abs(yNew));
            const Lane e3 = (sum - (wt.bhh1 * s1 + wt.bhh2 * s9 + wt.bhh3 * s12)) / sk;
            const Lane e5 = (wt.er1 * s1 + wt.er6 * s6 + wt.er7 * s7 + wt.er8 * s8 +
                             wt.er9 * s9 + wt.er10 * s10 + wt.er11 * s11 + wt.er12 * s12) /
                            sk;
            // Summed component by component, in order.
            const Lane e3sq = e3 * e3;
            const Lane e5sq = e5 * e5;
            for (int lane = 0; lane < width; ++lane) {
                e3sum += LaneOf(e3sq, lane);
                e5sum += LaneOf(e5sq, lane);
            }
        }
        double deno = e5sum + 0.01 * e3sum;
        if (deno <= 0.0)
            deno = 1.0;  // both sums zero: an exact step, accepted with the largest growth
        const double err = std::abs(h) * e5sum / std::sqrt(n * deno);

        const double fac11 = std::pow(err, expo1);
        if (err > 1.0) {
            h = h * std::max(facMin, safe / fac11);
            reject = true;
            last = false;
            ++rejected;
            continue;
        }
        // Step-size proposal with Lund stabilisation (only an accepted step needs it).
        const double fac = fac11 / std::pow(facOld, beta);
        double hnew = h * std::min(facMax, std::max(facMin, fac > 0.0 ? safe / fac : facMax));

        facOld = std::max(err, facOldMin);
        ++accepted_;
        eval(xph, k5_, k4_);  // stage 13 = f(x + h, y_new)

        if (accepted_ % stiffTestEvery == 0 || iasti_ > 0) {
            double stnum = 0.0;
            double stden = 0.0;
            for (int i = 1; i <= n; ++i) {
                const double dk = k4[i] - k3[i];
                const double dy = k5[i] - yy1[i];
                stnum += dk * dk;
                stden += dy * dy;
            }
            if (stden > 0.0)
                hLamb_ = std::abs(h) * std::sqrt(stnum / stden);
            if (hLamb_ > stiffThreshold) {
                nonsti_ = 0;
                ++iasti_;
                if (iasti_ == 15) {
                    save();
                    return Dop853Stiff;
                }
            } else {
                ++nonsti_;
                if (nonsti_ == 6)
                    iasti_ = 0;
            }
        }

        if (dense_.available_) {
            // Coefficient k of component i at c[k·stride + i].
            double* __restrict const c = dense_.coef_.data();
            const int stride = n + 1;
            for (int i = 1; i <= n; i += width) {
                const Lane ydiff = ld(k5 + i) - ld(y + i);
                const Lane bspl = h * ld(k1 + i) - ydiff;
                Store(c + i, ld(y + i));
                Store(c + stride + i, ydiff);
                Store(c + 2 * stride + i, bspl);
                Store(c + 3 * stride + i, ydiff - h * ld(k4 + i) - bspl);
                // The stages loaded once for the four coefficients.
                const Lane s1 = ld(k1 + i), s6 = ld(k6 + i), s7 = ld(k7 + i), s8 = ld(k8 + i),
                           s9 = ld(k9 + i), s10 = ld(k10 + i), s11 = ld(k2 + i),
                           s12 = ld(k3 + i);
                for (int m = 0; m < 4; ++m) {
                    const auto& d = wt.dw[m];
                    Store(c + (4 + m) * stride + i,
                          d.d1 * s1 + d.d6 * s6 + d.d7 * s7 + d.d8 * s8 + d.d9 * s9 +
                              d.d10 * s10 + d.d11 * s11 + d.d12 * s12);
                }
            }
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i, ld(y + i) + h * (w(wt.a141, k1 + i) + w(wt.a147, k7 + i) +
                                                w(wt.a148, k8 + i) + w(wt.a149, k9 + i) +
                                                w(wt.a1410, k10 + i) + w(wt.a1411, k2 + i) +
                                                w(wt.a1412, k3 + i) + w(wt.a1413, k4 + i)));
            eval(x + c14 * h, yy1_, k10_);  // stage 14
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i, ld(y + i) + h * (w(wt.a151, k1 + i) + w(wt.a156, k6 + i) +
                                                w(wt.a157, k7 + i) + w(wt.a158, k8 + i) +
                                                w(wt.a1511, k2 + i) + w(wt.a1512, k3 + i) +
                                                w(wt.a1513, k4 + i) + w(wt.a1514, k10 + i)));
            eval(x + c15 * h, yy1_, k2_);  // stage 15
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i, ld(y + i) + h * (w(wt.a161, k1 + i) + w(wt.a166, k6 + i) +
                                                w(wt.a167, k7 + i) + w(wt.a168, k8 + i) +
                                                w(wt.a169, k9 + i) + w(wt.a1613, k4 + i) +
                                                w(wt.a1614, k10 + i) + w(wt.a1615, k2 + i)));
            eval(x + c16 * h, yy1_, k3_);  // stage 16
            for (int i = 1; i <= n; i += width) {
                const Lane s13 = ld(k4 + i), s14 = ld(k10 + i), s15 = ld(k2 + i),
                           s16 = ld(k3 + i);
                for (int m = 0; m < 4; ++m) {
                    const auto& d = wt.dw[m];
                    double* const cm = c + (4 + m) * stride + i;
                    Store(cm, h * (ld(cm) + d.d13 * s13 + d.d14 * s14 + d.d15 * s15 +
                                   d.d16 * s16));
                }
            }
        }

        for (int i = 1; i <= n; i += width) {
            Store(k1 + i, ld(k4 + i));
            Store(y + i, ld(k5 + i));
        }
        dense_.xOld_ = x;
        dense_.hOut_ = h;
        hLast_ = h;
        x = xph;

        if (last) {
            h = hnew;
            save();
            return Dop853Reached;
        }
        if (std::abs(hnew) > hMax_)
            hnew = posNeg_ * hMax_;
        if (reject)
            hnew = posNeg_ * std::min(std::abs(hnew), std::abs(h));
        reject = false;
        h = hnew;
        save();
        return Dop853Accepted;
    }
}

template <class Rhs, class Out>
Dop853Result Dop853With(int n, const Rhs& fcn, double& x, Vector& Y, double xEnd, double& h,
                        double& hMax, double rTol, double aTol, const Out& solOut, int iOut)
{
    Dop853Stepper<std::decay_t<Rhs>> stepper(n, fcn, x, Y, xEnd, h, hMax, rTol, aTol,
                                             iOut == 2);
    hMax = stepper.HMax();
    const auto finish = [&](int code) {
        const Dop853Result result = stepper.Result(code);
        x = result.X;
        h = result.H;
        return result;
    };
    const auto output = [&] {
        bool stop = false;
        solOut(stepper.Accepted(), stepper.XOld(), stepper.X(), Y, n, stepper.Dense(), stop);
        return stop;
    };
    if (iOut >= 1 && output())
        return finish(Dop853Stopped);
    for (;;) {
        const int code = stepper.Step();
        if (code != Dop853Accepted && code != Dop853Reached)
            return finish(code);
        // The caller's vectors follow every step, as the output routine may read them.
        x = stepper.X();
        std::copy_n(stepper.Y().Data() + 1, n, Y.Data() + 1);
        if (iOut >= 1 && output())
            return finish(Dop853Stopped);
        if (code == Dop853Reached)
            return finish(code);
    }
}

}  // namespace orrimar
