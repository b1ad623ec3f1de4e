#pragma once
// Helpers shared by the store tests: a store after the window's start-up, the default
// table, and a byte-wise comparison of two stores.

#include "classic/Commands.h"
#include "classic/ModelStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace store_testing {

// The table the window opens with: 1000 ohm-m over 500 m, 10 over 500, 1000 half-space.
using mt1d::DefaultTable;

// A store after start-up: created, then the forward calculation of the default table.
inline std::unique_ptr<mt1d::ModelStore> StartedStore()
{
    auto store = std::make_unique<mt1d::ModelStore>();
    mt1d::RunForward(*store, "3", DefaultTable());
    return store;
}

// Every member of `a` has the same bytes as in `b`.
inline void ExpectSameStore(const mt1d::ModelStore& a, const mt1d::ModelStore& b)
{
    const auto same = [](const auto& x, const auto& y) {
        return std::memcmp(&x, &y, sizeof x) == 0;
    };
    EXPECT_TRUE(same(a.FreqCount, b.FreqCount));
    EXPECT_TRUE(same(a.Freq, b.Freq));
    EXPECT_TRUE(same(a.AppRes, b.AppRes));
    EXPECT_TRUE(same(a.Phase, b.Phase));
    EXPECT_TRUE(same(a.LayerCount, b.LayerCount));
    EXPECT_TRUE(same(a.Model, b.Model));
    EXPECT_TRUE(same(a.UpperBound, b.UpperBound));
    EXPECT_TRUE(same(a.LowerBound, b.LowerBound));
    EXPECT_TRUE(same(a.InvRes, b.InvRes));
    EXPECT_TRUE(same(a.InvThick, b.InvThick));
    EXPECT_TRUE(same(a.InvModel, b.InvModel));
}

// Runs `command`, expects InputError whose message holds every one of `parts`.
template <typename Command>
void ExpectRefusal(Command&& command, const std::vector<std::string>& parts)
{
    try {
        command();
        ADD_FAILURE() << "no InputError";
    } catch (const mt1d::InputError& e) {
        const std::string message = e.what();
        for (const std::string& part : parts) {
            EXPECT_NE(message.find(part), std::string::npos) << "“" << part << "” not in: " << message;
        }
    }
}

}  // namespace store_testing
