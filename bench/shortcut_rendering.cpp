// How long the recorder and the popover wait on shortcuts: rendering a
// shortcut for display (key name through the keyboard layout), reading one
// from its stored form, and finding a hot key by shortcut value.
#include "shortcuts/MASShortcut.h"

#include <QHash>
#include <benchmark/benchmark.h>

using dexaro::MASShortcut;

static void DescriptionLayoutKey(benchmark::State& state) {
    const MASShortcut shortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag);
    for (auto _ : state)
        benchmark::DoNotOptimize(shortcut.description());
}
BENCHMARK(DescriptionLayoutKey);

static void DescriptionFixedKey(benchmark::State& state) {
    const MASShortcut shortcut(122, MASShortcut::CommandFlag);
    for (auto _ : state)
        benchmark::DoNotOptimize(shortcut.description());
}
BENCHMARK(DescriptionFixedKey);

static void DecodeStoredForm(benchmark::State& state) {
    QVariantMap stored;
    stored.insert(QStringLiteral("KeyCode"), QStringLiteral("40"));
    stored.insert(QStringLiteral("ModifierFlags"), QStringLiteral("786432"));
    for (auto _ : state)
        benchmark::DoNotOptimize(MASShortcut::decode(stored));
}
BENCHMARK(DecodeStoredForm);

static void LookupAmongHotKeys(benchmark::State& state) {
    QHash<MASShortcut, int> hotKeys;
    for (int key = 0; key < state.range(0); ++key)
        hotKeys.insert(MASShortcut(key % 50, MASShortcut::ControlFlag << (key / 50)), key);
    const MASShortcut wanted(7, MASShortcut::ControlFlag);
    for (auto _ : state)
        benchmark::DoNotOptimize(hotKeys.value(wanted));
}
BENCHMARK(LookupAmongHotKeys)->Arg(10)->Arg(100);
