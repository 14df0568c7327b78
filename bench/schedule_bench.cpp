// The schedule tick runs on the window's thread every 300 ms; these measure it over the
// in-memory substitutes of the window and the clock.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "app/main_window.h"
#include "platform/date_time.h"
#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/tick.h"
#include "substitutes.h"

namespace {

using platform::CivilTime;

constexpr CivilTime armedAt{2026, 3, 14, 14, 5, 9};

// A window over fresh substitutes, armed at `armedAt` with both actions checked and a
// connection selected.
class ArmedWindow {
  public:
    ArmedWindow(const CivilTime& disconnectAt, const CivilTime& reconnectAt) {
        substitute::reset();
        substitute::setNow(armedAt);
        window_ = createMainWindow();
        mainWindow.组合框1.addItem(substitute::gbk("以太网"));
        mainWindow.组合框1.setSelection(0);
        mainWindow.日期框1.setValue(platform::toDateTime(disconnectAt));
        mainWindow.日期框2.setValue(platform::toDateTime(reconnectAt));
        substitute::click(mainWindow.按钮3.ref());
    }
    ArmedWindow(const ArmedWindow&) = delete;
    ArmedWindow& operator=(const ArmedWindow&) = delete;
    ~ArmedWindow() {
        window_ = platform::Form{};  // before the substitutes drop the form it refers to
        substitute::reset();
    }

    static bool armed() { return mainWindow.时钟1.period() == 300; }

  private:
    platform::Form window_;
};

// The disconnect 3725 s ahead: 标签4 shows 断网剩余:0天1小时2分5秒.
void countdownTick(benchmark::State& state) {
    const ArmedWindow window({2026, 3, 14, 15, 7, 14}, {2026, 3, 14, 16, 7, 14});
    for (auto _ : state) {
        onScheduleTick();
    }
    if (!ArmedWindow::armed() || !substitute::launches().empty() ||
        mainWindow.标签4.text() != substitute::gbk("断网剩余:0天1小时2分5秒")) {
        state.SkipWithError("the tick did more than count down");
    }
}
BENCHMARK(countdownTick);

// The disconnect is due and the reconnect an hour ahead: every tick fires the disconnect, its
// flag being set back each time. The substitute keeps every launch, so the window is rebuilt
// now and then, outside the timing, to bound that record.
void firingTick(benchmark::State& state) {
    constexpr CivilTime disconnectAt{2026, 3, 14, 14, 5, 10};
    constexpr CivilTime reconnectAt{2026, 3, 14, 15, 5, 10};
    constexpr std::size_t rebuildEvery = 4096;
    auto window = std::make_unique<ArmedWindow>(disconnectAt, reconnectAt);
    substitute::setNow(disconnectAt);
    std::size_t sinceRebuild = 0;
    bool eachFired = true;
    for (auto _ : state) {
        disconnectPending = 1;
        onScheduleTick();
        if (++sinceRebuild == rebuildEvery) {
            state.PauseTiming();
            eachFired =
                eachFired && substitute::launches().size() == rebuildEvery && ArmedWindow::armed();
            window.reset();
            window = std::make_unique<ArmedWindow>(disconnectAt, reconnectAt);
            substitute::setNow(disconnectAt);
            sinceRebuild = 0;
            state.ResumeTiming();
        }
    }
    if (!eachFired || substitute::launches().size() != sinceRebuild) {
        state.SkipWithError("the tick did not fire once each time");
    }
}
BENCHMARK(firingTick);

void countdownTextDefault(benchmark::State& state) {
    std::int32_t seconds = 90061;
    for (auto _ : state) {
        benchmark::DoNotOptimize(countdownText(seconds, platform::Text(), false, false));
        seconds ^= 1;
    }
}
BENCHMARK(countdownTextDefault);

}  // namespace
