#pragma once

// Resets every fake before a test of the program's logic.

#include "scale/scale_exchange.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/fakes/fake_toolkit.h"
#include "tests/fakes/fake_worker_thread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace weighlet {

class AppTest : public testing::Test {
protected:
    void SetUp() override { resetAll(); }

    static void resetAll() {
        fake::callLog().clear();
        fake::resetLine();
        fake::resetWaits();
        fake::resetToolkit();
        fake::resetClock();
        clearFrameBuffer();
    }

    // The entries of the call log from `from` on that start with `prefix`.
    static std::vector<std::string> callsStartingWith(const std::string& prefix, long from = 0) {
        std::vector<std::string> out;
        const auto& log = fake::callLog();
        for (auto i = static_cast<std::size_t>(from); i < log.size(); ++i) {
            if (log[i].rfind(prefix, 0) == 0) {
                out.push_back(log[i]);
            }
        }
        return out;
    }

    // Checks that the entries appear in the call log in this order.
    static void expectInOrder(const std::vector<std::string>& entries) {
        long at = 0;
        for (const std::string& entry : entries) {
            const long found = fake::findCall(entry, at);
            ASSERT_GE(found, 0) << "missing or out of order: " << entry;
            at = found + 1;
        }
    }
};

} // namespace weighlet
