// The adapter inventory over synthetic system tables. Its cost is one record, one DNS query and
// one friendly-name search per adapter, plus one name request and two conversions per
// interface; the searches together grow with adapters × interfaces. The benchmarks split the
// whole into those parts: Inventory (both tables of N), AdaptersOnly (no interface, so no
// search) and InterfacesOnly (no adapter); Inventory − AdaptersOnly − InterfacesOnly is what the
// searches cost. Unmatched is the worst case: no adapter has an interface, so every search runs
// the whole table. per_n is the time per adapter (or interface): flat while the linear parts
// dominate.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "net/adapter_inventory.h"
#include "network.h"
#include "substitutes.h"

namespace {

std::string guid(std::size_t i) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-1D4B-4C5E-9F60-7A8B9C0D1E2F}",
                  static_cast<unsigned>(i * 2654435761u));
    return text;
}

// `adapters` adapters with two addresses, two gateways and three DNS servers each, and
// `interfaces` interfaces with friendly names. When `matching`, interface i belongs to adapter
// i, but the interface table lists them in reverse, so that a search runs half the table on
// average.
void setMachine(std::size_t adapters, std::size_t interfaces, bool matching = true) {
    substitute::reset();
    substitute::recordNetworkCalls(false);
    std::vector<substitute::Adapter> adapterTable;
    for (std::size_t i = 0; i < adapters; ++i) {
        const auto index = static_cast<std::uint32_t>(i + 1);
        adapterTable.push_back({
            .name = guid(i),
            .description = "Synthetic Ethernet Adapter #" + std::to_string(i),
            .address = {0x00, 0x1A, 0x2B, 0x0C, static_cast<std::uint8_t>(i >> 8),
                        static_cast<std::uint8_t>(i)},
            .index = index,
            .type = 6,
            .dhcpEnabled = 1,
            .ipAddresses = {{"10.1.2.3", "255.255.0.0"}, {"10.1.2.4", "255.255.0.0"}},
            .gateways = {"10.1.0.1", "10.1.0.2"},
        });
        substitute::setPerAdapterTable(
            index, substitute::perAdapterTable({"10.1.0.53", "8.8.8.8", "1.1.1.1"}));
    }
    substitute::setAdapterTable(substitute::adapterTable(adapterTable));

    std::vector<substitute::Interface> interfaceTable;
    for (std::size_t i = interfaces; i-- > 0;) {
        const std::string device = "\\DEVICE\\TCPIP_" + guid(matching ? i : i + interfaces);
        const std::u16string name = substitute::utf16(device.c_str());
        interfaceTable.push_back({static_cast<std::uint32_t>(i + 1), name});
        const std::string friendly = "以太网 " + std::to_string(i);
        substitute::setFriendlyName(name, substitute::utf16(friendly.c_str()));
    }
    substitute::setInterfaceTable(substitute::interfaceTable(interfaceTable));
}

void run(benchmark::State& state, std::size_t adapters, std::size_t interfaces,
         bool matching = true) {
    setMachine(adapters, interfaces, matching);
    AdapterList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(collectAdapters(list));
    }
    state.counters["per_n"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    substitute::reset();
}

void Inventory(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    run(state, n, n);
}

void Unmatched(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    run(state, n, n, false);
}

void AdaptersOnly(benchmark::State& state) {
    run(state, static_cast<std::size_t>(state.range(0)), 0);
}

void InterfacesOnly(benchmark::State& state) {
    run(state, 0, static_cast<std::size_t>(state.range(0)));
}

}  // namespace

BENCHMARK(Inventory)->Arg(1)->Arg(16)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(Unmatched)->Arg(1)->Arg(16)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(AdaptersOnly)->Arg(1)->Arg(16)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(InterfacesOnly)->Arg(1)->Arg(16)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);
