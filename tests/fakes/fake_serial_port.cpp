#include "tests/fakes/fake_serial_port.h"

#include "scale/serial_port.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_worker_thread.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace weighlet::fake {

namespace {

SerialLine g_line;
std::multimap<long long, std::vector<std::uint8_t>> g_scheduled;

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

} // namespace

SerialLine& line() {
    return g_line;
}

void resetLine() {
    g_line = SerialLine{};
    g_scheduled.clear();
}

void clearInput() {
    g_line.input.clear();
    g_scheduled.clear();
}

void arrive(std::vector<std::uint8_t> bytes, long long afterMs) {
    g_scheduled.emplace(waits().nowMs + afterMs, std::move(bytes));
    deliverDue();
}

void deliverDue() {
    while (!g_scheduled.empty() && g_scheduled.begin()->first <= waits().nowMs) {
        const auto& bytes = g_scheduled.begin()->second;
        g_line.input.insert(g_line.input.end(), bytes.begin(), bytes.end());
        g_scheduled.erase(g_scheduled.begin());
    }
}

void answerLikeScale(std::vector<std::uint8_t> record, long long latencyMs) {
    g_line.peer = [record = std::move(record), latencyMs](std::uint8_t byte) {
        if (byte == 0x05) {
            arrive({0x06}, latencyMs);
        } else if (byte == 0x11) {
            arrive(record, latencyMs);
        }
    };
}

std::vector<std::uint8_t> casRecord(const std::string& weight, char sign, char stability) {
    std::vector<std::uint8_t> r{0x01, 0x02, static_cast<std::uint8_t>(stability),
                                static_cast<std::uint8_t>(sign)};
    for (std::size_t i = 0; i < 6; ++i) {
        r.push_back(i < weight.size() ? static_cast<std::uint8_t>(weight[i]) : ' ');
    }
    r.push_back('k');
    r.push_back('g');
    std::uint8_t bcc = 0;
    for (std::size_t i = 2; i < 12; ++i) {
        bcc ^= r[i];
    }
    r.push_back(bcc);
    r.push_back(0x03);
    r.push_back(0x04);
    return r;
}

} // namespace weighlet::fake

namespace weighlet {

using fake::g_line;

namespace {
void record(std::string entry) {
    fake::logCall(entry);
    g_line.calls.push_back(std::move(entry));
}
} // namespace

bool openPort(std::wstring_view name) {
    closePort();
    const std::wstring wanted(name);
    record("open " + fake::narrow(wanted));
    if (g_line.devices.count(wanted) == 0) {
        return false;
    }
    g_line.openName = wanted;
    ++g_line.openCount;
    return true;
}

bool isPortOpen() {
    return !g_line.openName.empty();
}

void closePort() {
    if (!g_line.openName.empty()) {
        record("close " + fake::narrow(g_line.openName));
        g_line.openName.clear();
    }
}

std::size_t writeBytes(const std::uint8_t* bytes, std::size_t count) {
    if (!isPortOpen()) {
        return 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "write %02x", bytes[i]);
        record(text);
        g_line.written.push_back(bytes[i]);
        if (g_line.peer) {
            g_line.peer(bytes[i]);
        }
    }
    return count;
}

std::size_t bytesWaiting() {
    if (!isPortOpen()) {
        return 0;
    }
    fake::deliverDue();
    return g_line.input.size();
}

std::size_t readBytes(std::uint8_t* buffer, std::size_t count) {
    if (!isPortOpen()) {
        return 0;
    }
    fake::deliverDue();
    // The real read waits up to its bound for the rest; here whatever is scheduled within
    // the bound arrives during that wait.
    const long long deadline = fake::waits().nowMs + kReadBound.count();
    while (g_line.input.size() < count && fake::waits().nowMs < deadline) {
        ++fake::waits().nowMs;
        fake::deliverDue();
        if (g_line.whileReading) {
            g_line.whileReading();
        }
        if (fake::waits().stop) {
            break;
        }
    }
    const std::size_t n = std::min(count, g_line.input.size());
    std::copy_n(g_line.input.begin(), n, buffer);
    g_line.input.erase(g_line.input.begin(), g_line.input.begin() + static_cast<long>(n));
    char text[32];
    std::snprintf(text, sizeof text, "read %zu/%zu", n, count);
    record(text);
    return n;
}

} // namespace weighlet
