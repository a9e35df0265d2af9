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

// Coefficients of the published method, rounded to double.
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

inline constexpr double a21 = 5.26001519587677318785587544488e-2;
inline constexpr double a31 = 1.97250569845378994544595329183e-2;
inline constexpr double a32 = 5.91751709536136983633785987549e-2;
inline constexpr double a41 = 2.95875854768068491816892993775e-2;
inline constexpr double a43 = 8.87627564304205475450678981324e-2;
inline constexpr double a51 = 2.41365134159266685502369798665e-1;
inline constexpr double a53 = -8.84549479328286085344864962717e-1;
inline constexpr double a54 = 9.24834003261792003115737966543e-1;
inline constexpr double a61 = 3.7037037037037037037037037037e-2;
inline constexpr double a64 = 1.70828608729473871279604482173e-1;
inline constexpr double a65 = 1.25467687566822425016691814123e-1;
inline constexpr double a71 = 3.7109375e-2;
inline constexpr double a74 = 1.70252211019544039314978060272e-1;
inline constexpr double a75 = 6.02165389804559606850219397283e-2;
inline constexpr double a76 = -1.7578125e-2;
inline constexpr double a81 = 3.70920001185047927108779319836e-2;
inline constexpr double a84 = 1.70383925712239993810214054705e-1;
inline constexpr double a85 = 1.07262030446373284651809199168e-1;
inline constexpr double a86 = -1.53194377486244017527936158236e-2;
inline constexpr double a87 = 8.27378916381402288758473766002e-3;
inline constexpr double a91 = 6.24110958716075717114429577812e-1;
inline constexpr double a94 = -3.36089262944694129406857109825;
inline constexpr double a95 = -8.68219346841726006818189891453e-1;
inline constexpr double a96 = 2.75920996994467083049415600797e1;
inline constexpr double a97 = 2.01540675504778934086186788979e1;
inline constexpr double a98 = -4.34898841810699588477366255144e1;
inline constexpr double a101 = 4.77662536438264365890433908527e-1;
inline constexpr double a104 = -2.48811461997166764192642586468;
inline constexpr double a105 = -5.90290826836842996371446475743e-1;
inline constexpr double a106 = 2.12300514481811942347288949897e1;
inline constexpr double a107 = 1.52792336328824235832596922938e1;
inline constexpr double a108 = -3.32882109689848629194453265587e1;
inline constexpr double a109 = -2.03312017085086261358222928593e-2;
inline constexpr double a111 = -9.3714243008598732571704021658e-1;
inline constexpr double a114 = 5.18637242884406370830023853209;
inline constexpr double a115 = 1.09143734899672957818500254654;
inline constexpr double a116 = -8.14978701074692612513997267357;
inline constexpr double a117 = -1.85200656599969598641566180701e1;
inline constexpr double a118 = 2.27394870993505042818970056734e1;
inline constexpr double a119 = 2.49360555267965238987089396762;
inline constexpr double a1110 = -3.0467644718982195003823669022;
inline constexpr double a121 = 2.27331014751653820792359768449;
inline constexpr double a124 = -1.05344954667372501984066689879e1;
inline constexpr double a125 = -2.00087205822486249909675718444;
inline constexpr double a126 = -1.79589318631187989172765950534e1;
inline constexpr double a127 = 2.79488845294199600508499808837e1;
inline constexpr double a128 = -2.85899827713502369474065508674;
inline constexpr double a129 = -8.87285693353062954433549289258;
inline constexpr double a1210 = 1.23605671757943030647266201528e1;
inline constexpr double a1211 = 6.43392746015763530355970484046e-1;

inline constexpr double a141 = 5.61675022830479523392909219681e-2;
inline constexpr double a147 = 2.53500210216624811088794765333e-1;
inline constexpr double a148 = -2.46239037470802489917441475441e-1;
inline constexpr double a149 = -1.24191423263816360469010140626e-1;
inline constexpr double a1410 = 1.5329179827876569731206322685e-1;
inline constexpr double a1411 = 8.20105229563468988491666602057e-3;
inline constexpr double a1412 = 7.56789766054569976138603589584e-3;
inline constexpr double a1413 = -8.298e-3;
inline constexpr double a151 = 3.18346481635021405060768473261e-2;
inline constexpr double a156 = 2.83009096723667755288322961402e-2;
inline constexpr double a157 = 5.35419883074385676223797384372e-2;
inline constexpr double a158 = -5.49237485713909884646569340306e-2;
inline constexpr double a1511 = -1.08347328697249322858509316994e-4;
inline constexpr double a1512 = 3.82571090835658412954920192323e-4;
inline constexpr double a1513 = -3.40465008687404560802977114492e-4;
inline constexpr double a1514 = 1.41312443674632500278074618366e-1;
inline constexpr double a161 = -4.28896301583791923408573538692e-1;
inline constexpr double a166 = -4.69762141536116384314449447206;
inline constexpr double a167 = 7.68342119606259904184240953878;
inline constexpr double a168 = 4.06898981839711007970213554331;
inline constexpr double a169 = 3.56727187455281109270669543021e-1;
inline constexpr double a1613 = -1.39902416515901462129418009734e-3;
inline constexpr double a1614 = 2.9475147891527723389556272149;
inline constexpr double a1615 = -9.15095847217987001081870187138;

inline constexpr double b1 = 5.42937341165687622380535766363e-2;
inline constexpr double b6 = 4.45031289275240888144113950566;
inline constexpr double b7 = 1.89151789931450038304281599044;
inline constexpr double b8 = -5.8012039600105847814672114227;
inline constexpr double b9 = 3.1116436695781989440891606237e-1;
inline constexpr double b10 = -1.52160949662516078556178806805e-1;
inline constexpr double b11 = 2.01365400804030348374776537501e-1;
inline constexpr double b12 = 4.47106157277725905176885569043e-2;

inline constexpr double bhh1 = 0.244094488188976377952755905512;
inline constexpr double bhh2 = 0.733846688281611857341361741547;
inline constexpr double bhh3 = 0.220588235294117647058823529412e-1;

inline constexpr double er1 = 0.1312004499419488073250102996e-1;
inline constexpr double er6 = -0.1225156446376204440720569753e+1;
inline constexpr double er7 = -0.4957589496572501915214079952;
inline constexpr double er8 = 0.1664377182454986536961530415e+1;
inline constexpr double er9 = -0.3503288487499736816886487290;
inline constexpr double er10 = 0.3341791187130174790297318841;
inline constexpr double er11 = 0.8192320648511571246570742613e-1;
inline constexpr double er12 = -0.2235530786388629525884427845e-1;

// Dense-output weights d[m][j] for m = 4..7 and stages j = 1, 6..16.
struct DenseWeights {
    double d1, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16;
};
inline constexpr DenseWeights dw[4] = {
    {-0.84289382761090128651353491142e+1, 0.56671495351937776962531783590,
     -0.30689499459498916912797304727e+1, 0.23846676565120698287728149680e+1,
     0.21170345824450282767155149946e+1, -0.87139158377797299206789907490,
     0.22404374302607882758541771650e+1, 0.63157877876946881815570249290,
     -0.88990336451333310820698117400e-1, 0.18148505520854727256656404962e+2,
     -0.91946323924783554000451984436e+1, -0.44360363875948939664310572000e+1},
    {0.10427508642579134603413151009e+2, 0.24228349177525818288430175319e+3,
     0.16520045171727028198505394887e+3, -0.37454675472269020279518312152e+3,
     -0.22113666853125306036270938578e+2, 0.77334326684722638389603898808e+1,
     -0.30674084731089398182061213626e+2, -0.93321305264302278729567221706e+1,
     0.15697238121770843886131091075e+2, -0.31139403219565177677282850411e+2,
     -0.93529243588444783865713862664e+1, 0.35816841486394083752465898540e+2},
    {0.19985053242002433820987653617e+2, -0.38703730874935176555105901742e+3,
     -0.18917813819516756882830838328e+3, 0.52780815920542364900561016686e+3,
     -0.11573902539959630126141871134e+2, 0.68812326946963000169666922661e+1,
     -0.10006050966910838403183860980e+1, 0.77771377980534432092869265740,
     -0.27782057523535084065932004339e+1, -0.60196695231264120758267380846e+2,
     0.84320405506677161018159903784e+2, 0.11992291136182789328035130030e+2},
    {-0.25693933462703749003312586129e+2, -0.15418974869023643374053993627e+3,
     -0.23152937917604549567536039109e+3, 0.35763911791061412378285349910e+3,
     0.93405324183624310003907691704e+2, -0.37458323136451633156875139351e+2,
     0.10409964950896230045147246184e+3, 0.29840293426660503123344363579e+2,
     -0.43533456590011143754432175058e+2, 0.96324553959188282948394950600e+2,
     -0.39177261675615439165231486172e+2, -0.14972683625798562581422125276e+3},
};

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
inline Lane2 Load(const double* p, Lane2)
{
    Lane2 v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(double* p, double v) { *p = v; }
inline void Store(double* p, Lane2 v) { __builtin_memcpy(p, &v, sizeof v); }
inline double LaneOf(double v, int) { return v; }
inline double LaneOf(Lane2 v, int lane) { return v[lane]; }
// std::abs and std::max lane by lane (max as std::max: a < b ? b : a).
inline double Abs(double v) { return std::abs(v); }
inline Lane2 Abs(Lane2 v) { return Lane2{std::abs(v[0]), std::abs(v[1])}; }
inline double Max(double a, double b) { return std::max(a, b); }
inline Lane2 Max(Lane2 a, Lane2 b) { return a < b ? b : a; }

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
            Store(yy1 + i, ld(y + i) + h * (a21 * ld(k1 + i)));
        eval(x + c2 * h, yy1_, k2_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (a31 * ld(k1 + i) + a32 * ld(k2 + i)));
        eval(x + c3 * h, yy1_, k3_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (a41 * ld(k1 + i) + a43 * ld(k3 + i)));
        eval(x + c4 * h, yy1_, k4_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a51 * ld(k1 + i) + a53 * ld(k3 + i) + a54 * ld(k4 + i)));
        eval(x + c5 * h, yy1_, k5_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a61 * ld(k1 + i) + a64 * ld(k4 + i) + a65 * ld(k5 + i)));
        eval(x + c6 * h, yy1_, k6_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (a71 * ld(k1 + i) + a74 * ld(k4 + i) + a75 * ld(k5 + i) +
                                            a76 * ld(k6 + i)));
        eval(x + c7 * h, yy1_, k7_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i, ld(y + i) + h * (a81 * ld(k1 + i) + a84 * ld(k4 + i) + a85 * ld(k5 + i) +
                                            a86 * ld(k6 + i) + a87 * ld(k7 + i)));
        eval(x + c8 * h, yy1_, k8_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a91 * ld(k1 + i) + a94 * ld(k4 + i) + a95 * ld(k5 + i) +
                                   a96 * ld(k6 + i) + a97 * ld(k7 + i) + a98 * ld(k8 + i)));
        eval(x + c9 * h, yy1_, k9_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a101 * ld(k1 + i) + a104 * ld(k4 + i) + a105 * ld(k5 + i) +
                                   a106 * ld(k6 + i) + a107 * ld(k7 + i) + a108 * ld(k8 + i) +
                                   a109 * ld(k9 + i)));
        eval(x + c10 * h, yy1_, k10_);
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a111 * ld(k1 + i) + a114 * ld(k4 + i) + a115 * ld(k5 + i) +
                                   a116 * ld(k6 + i) + a117 * ld(k7 + i) + a118 * ld(k8 + i) +
                                   a119 * ld(k9 + i) + a1110 * ld(k10 + i)));
        eval(x + c11 * h, yy1_, k2_);  // stage 11
        const double xph = x + h;
        for (int i = 1; i <= n; i += width)
            Store(yy1 + i,
                  ld(y + i) + h * (a121 * ld(k1 + i) + a124 * ld(k4 + i) + a125 * ld(k5 + i) +
                                   a126 * ld(k6 + i) + a127 * ld(k7 + i) + a128 * ld(k8 + i) +
                                   a129 * ld(k9 + i) + a1210 * ld(k10 + i) + a1211 * ld(k2 + i)));
        eval(xph, yy1_, k3_);  // stage 12

        // Order-8 solution: k4 = weighted sum of the stages, k5 = y_new; and the error
        // estimate from the estimators of orders 5 and 3.
        for (int i = 1; i <= n; i += width) {
            const Lane sum = b1 * ld(k1 + i) + b6 * ld(k6 + i) + b7 * ld(k7 + i) +
                             b8 * ld(k8 + i) + b9 * ld(k9 + i) + b10 * ld(k10 + i) +
                             b11 * ld(k2 + i) + b12 * ld(k3 + i);
            Store(k4 + i, sum);
            Store(k5 + i, ld(y + i) + h * sum);
        }
        double e5sum = 0.0;
        double e3sum = 0.0;
        for (int i = 1; i <= n; i += width) {
            const Lane sk = aTol + rTol * Max(Abs(ld(y + i)), Abs(ld(k5 + i)));
            const Lane e3 = (ld(k4 + i) - (bhh1 * ld(k1 + i) + bhh2 * ld(k9 + i) +
                                           bhh3 * ld(k3 + i))) / sk;
            const Lane e5 = (er1 * ld(k1 + i) + er6 * ld(k6 + i) + er7 * ld(k7 + i) +
                             er8 * ld(k8 + i) + er9 * ld(k9 + i) + er10 * ld(k10 + i) +
                             er11 * ld(k2 + i) + er12 * ld(k3 + i)) /
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

        // Step-size proposal with Lund stabilisation.
        const double fac11 = std::pow(err, expo1);
        const double fac = fac11 / std::pow(facOld, beta);
        double hnew = h * std::min(facMax, std::max(facMin, fac > 0.0 ? safe / fac : facMax));

        if (err > 1.0) {
            h = h * std::max(facMin, safe / fac11);
            reject = true;
            last = false;
            ++rejected;
            continue;
        }

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
                for (int m = 0; m < 4; ++m) {
                    const DenseWeights& d = dw[m];
                    Store(c + (4 + m) * stride + i,
                          d.d1 * ld(k1 + i) + d.d6 * ld(k6 + i) + d.d7 * ld(k7 + i) +
                              d.d8 * ld(k8 + i) + d.d9 * ld(k9 + i) + d.d10 * ld(k10 + i) +
                              d.d11 * ld(k2 + i) + d.d12 * ld(k3 + i));
                }
            }
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i, ld(y + i) + h * (a141 * ld(k1 + i) + a147 * ld(k7 + i) +
                                                a148 * ld(k8 + i) + a149 * ld(k9 + i) +
                                                a1410 * ld(k10 + i) + a1411 * ld(k2 + i) +
                                                a1412 * ld(k3 + i) + a1413 * ld(k4 + i)));
            eval(x + c14 * h, yy1_, k10_);  // stage 14
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i,
                      ld(y + i) + h * (a151 * ld(k1 + i) + a156 * ld(k6 + i) + a157 * ld(k7 + i) +
                                       a158 * ld(k8 + i) + a1511 * ld(k2 + i) + a1512 * ld(k3 + i) +
                                       a1513 * ld(k4 + i) + a1514 * ld(k10 + i)));
            eval(x + c15 * h, yy1_, k2_);  // stage 15
            for (int i = 1; i <= n; i += width)
                Store(yy1 + i,
                      ld(y + i) + h * (a161 * ld(k1 + i) + a166 * ld(k6 + i) + a167 * ld(k7 + i) +
                                       a168 * ld(k8 + i) + a169 * ld(k9 + i) + a1613 * ld(k4 + i) +
                                       a1614 * ld(k10 + i) + a1615 * ld(k2 + i)));
            eval(x + c16 * h, yy1_, k3_);  // stage 16
            for (int i = 1; i <= n; i += width) {
                for (int m = 0; m < 4; ++m) {
                    const DenseWeights& d = dw[m];
                    double* const cm = c + (4 + m) * stride + i;
                    Store(cm, h * (ld(cm) + d.d13 * ld(k4 + i) + d.d14 * ld(k10 + i) +
                                   d.d15 * ld(k2 + i) + d.d16 * ld(k3 + i)));
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
