// The flight controller's states: a flight handed over whole and in order (the headless
// flight's points, bit for bit), pause and resume, cancel at a step's end, and abort or
// destruction while flying or paused.
#include "support/widget_parts.h"
#include "flight/flight_summary.h"
#include "flight/launch_presets.h"
#include "ui/flight_controller.h"

#include <QtTest>

#include <memory>
#include <vector>

using namespace orrimar;
using orrimar::test::Part;
using orrimar::test::Patience;
using State = FlightController::State;

namespace {


CsvLaunch PresetLaunch(int index, bool fullView = true)
{
    const LaunchPreset& p = LaunchPresets[static_cast<std::size_t>(index)];
    return CsvLaunch{std::string(p.Altitude), std::string(p.Velocity), std::string(p.Angle),
                     DefaultViewWidth, DefaultViewHeight, fullView, {}, {}};
}

// A flight flown on this thread with everything the window uses: the reference.
struct Reference : FlightDisplay {
    std::vector<FlightStep> steps;
    std::vector<FlightPoint> points;
    std::vector<int> stepOfPoint;  // the step each point was computed in
    Dop853Result result;
    std::string jacobi0Text;

    explicit Reference(const CsvLaunch& launch)
    {
        const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
        FlightRun run(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle), views.Get(),
                      *this);
        jacobi0Text = run.Jacobi0Text();
        result = run.Fly();
    }
    void ShowStep(const FlightStep& step) override { steps.push_back(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override
    {
        points.push_back(point);
        stepOfPoint.push_back(steps.back().Nr);
    }
    bool CancelRequested() const override { return false; }
};

// Everything a controller hands over, as its views see it.
struct Record {
    std::vector<State> states;
    std::vector<bool> pauses;
    std::vector<FlightStep> steps;
    std::vector<FlightPoint> points;
    int ends = 0;
    bool cancelled = false;
    Dop853Result result;
    std::function<void(const FlightPoint&)> onPoint;  // runs in the point's slot

    void listen(FlightController& c)
    {
        using C = FlightController;
        QObject::connect(&c, &C::stateChanged, [this](State s) { states.push_back(s); });
        QObject::connect(&c, &C::pausedChanged, [this](bool p) { pauses.push_back(p); });
        QObject::connect(&c, &C::stepReady, [this](const FlightStep& s) { steps.push_back(s); });
        QObject::connect(&c, &C::pointReady, [this](const FlightPoint& p) {
            points.push_back(p);
            if (onPoint)
                onPoint(p);
        });
        QObject::connect(&c, &C::flightEnded,
                         [this](const Dop853Result& r, bool cancel, const CsvLaunch&) {
                             ++ends;
                             result = r;
                             cancelled = cancel;
                         });
    }
};

}  // namespace

class TestFlightController : public QObject {
    Q_OBJECT

private slots:
    void FlightIsHandedOverAsTheHeadlessFlight_data() { cases(); }
    // Every point the headless flight yields, in order and bit for bit, paused halfway
    // or not, cancelled or not: a cancel ends the flight at the end of the step being
    // handed over, and the integrator took no step beyond it.
    void FlightIsHandedOverAsTheHeadlessFlight()
    {
        QFETCH(int, preset);
        QFETCH(bool, fullView);
        QFETCH(int, pauseAt);
        QFETCH(int, cancelAt);
        const CsvLaunch launch = PresetLaunch(preset, fullView);
        const Reference reference(launch);
        const std::vector<FlightPoint>& headless = reference.points;

        FlightController controller;
        Record r;
        r.listen(controller);
        int heldAt = -1;
        r.onPoint = [&](const FlightPoint& p) {
            if (p.Index == pauseAt)
                controller.setPaused(true);
            if (p.Index == cancelAt)
                controller.cancel();
        };
        QVERIFY(controller.start(launch));
        QVERIFY(!controller.start(launch));  // one flight at a time
        QCOMPARE(controller.jacobi0Text(), reference.jacobi0Text);
        if (pauseAt >= 0 && cancelAt < 0) {
            QTRY_VERIFY_WITH_TIMEOUT(controller.paused(), Patience);
            heldAt = static_cast<int>(r.points.size());
            QTest::qWait(50);
            QCOMPARE(static_cast<int>(r.points.size()), heldAt);  // nothing while paused
            controller.togglePause();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!controller.flying(), Patience);

        QCOMPARE(r.ends, 1);
        QCOMPARE(r.cancelled, cancelAt >= 0);
        using enum State;
        const std::vector<State> states = pauseAt < 0    ? std::vector{Flying, Idle}
                                          : cancelAt >= 0 ? std::vector{Flying, Paused, Idle}
                                                          : std::vector{Flying, Paused, Flying, Idle};
        QCOMPARE(r.states, states);
        // A pause ends with the resume or with the flight.
        QCOMPARE(r.pauses, (pauseAt < 0 ? std::vector<bool>{} : std::vector<bool>{true, false}));
        QVERIFY(!r.steps.empty() && !r.points.empty());
        if (cancelAt < 0) {
            QCOMPARE(r.points.size(), headless.size());
            QCOMPARE(r.steps.size(), reference.steps.size());
            QCOMPARE(r.result.Code, reference.result.Code);
            QCOMPARE(r.result.Accepted, reference.result.Accepted);
        } else {
            QVERIFY(r.points.size() > static_cast<std::size_t>(cancelAt) &&
                    r.points.size() < headless.size());
            QCOMPARE(r.result.Code, int{Dop853Stopped});
            // The step of the cancel is handed over to its last point, and nothing after.
            const int step = reference.stepOfPoint[static_cast<std::size_t>(cancelAt)];
            QCOMPARE(r.steps.back().Nr, step);
            QCOMPARE(r.result.Accepted, step);
            QVERIFY(reference.stepOfPoint[r.points.size() - 1] == step &&
                    reference.stepOfPoint[r.points.size()] > step);
        }
        for (std::size_t i = 0; i < r.steps.size(); ++i) {
            const FlightStep& a = r.steps[i];
            const FlightStep& b = reference.steps[i];
            QVERIFY2(a.Nr == int(i) && a.StepText == b.StepText && a.ErrorJacobi == b.ErrorJacobi &&
                         a.ErrorJacobiText == b.ErrorJacobiText,
                     qPrintable(QString("step %1").arg(i)));
        }
        for (std::size_t i = 0; i < r.points.size(); ++i) {
            const FlightPoint& a = r.points[i];
            const FlightPoint& b = headless[i];
            QVERIFY2(a.Index == int(i) && a.T == b.T && a.Full == b.Full && a.Moon == b.Moon &&
                         a.Luno == b.Luno && a.Geo == b.Geo && a.TimeText == b.TimeText &&
                         a.VelocityText == b.VelocityText && a.Bar == b.Bar &&
                         a.JacobiDrift == b.JacobiDrift,
                     qPrintable(QString("point %1").arg(i)));
        }
        const auto& ending = controller.lastFlight();
        QVERIFY(ending.has_value());
        QCOMPARE(ending->LastPointIndex, r.points.back().Index);
        QCOMPARE(ending->CancelRequested, cancelAt >= 0);
        QCOMPARE(ending->Launch.Angle, launch.Angle);
    }

    void AbortAndDestructionEndAFlightAtOnce_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<bool>("destroy");
        QTest::newRow("abort while flying") << false << false;
        QTest::newRow("abort while paused") << true << false;
        QTest::newRow("destroyed while flying") << false << true;
        QTest::newRow("destroyed while paused") << true << true;
    }
    // As the window closing: no more points, one end, the worker joined.
    void AbortAndDestructionEndAFlightAtOnce()
    {
        QFETCH(bool, paused);
        QFETCH(bool, destroy);
        auto controller = std::make_unique<FlightController>();
        controller->setPointInterval([] { return std::int64_t{1'000'000}; });  // 1 ms: long
        Record r;
        r.listen(*controller);
        QVERIFY(controller->start(PresetLaunch(4)));
        QTRY_VERIFY_WITH_TIMEOUT(r.points.size() >= 5, Patience);
        controller->setPaused(paused);
        QCOMPARE(controller->paused(), paused);
        if (destroy) {
            controller.reset();
            QCOMPARE(r.ends, 0);  // quietly
        } else {
            controller->abort();
            QCOMPARE(controller->state(), State::Idle);
            QCOMPARE(r.ends, 1);
            QVERIFY(r.cancelled);
            QCOMPARE(controller->lastFlight()->LastPointIndex, r.points.back().Index);
        }
        const std::size_t drawn = r.points.size();
        QTest::qWait(30);
        QCOMPARE(r.points.size(), drawn);
    }

private:
    static void cases()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<bool>("fullView");
        QTest::addColumn<int>("pauseAt");
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("collision, full view") << 1 << true << -1 << -1;
        QTest::newRow("swing by, the region, paused") << 2 << false << 700 << -1;
        QTest::newRow("escape 58, cancelled") << 4 << true << -1 << 300;
        QTest::newRow("escape 58, cancelled while paused") << 4 << true << 300 << 300;
    }
};

QTEST_MAIN(TestFlightController)
#include "test_flight_controller.moc"
