// Black-box tests of scale-sim: the simulator runs as a child process and the test talks to it
// through its link the way the Windows program does, as a raw 9600 8N1 serial tty.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::uint8_t kEnq = 0x05;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kDc1 = 0x11;
constexpr std::uint8_t kNak = 0x15;

std::int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleep_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// SOH STX, the ten bytes that the BCC covers, the BCC (worked out by hand), ETX EOT.
Bytes record(std::string_view body, std::uint8_t bcc) {
    Bytes r;
    r.reserve(15);
    r.push_back(0x01);
    r.push_back(0x02);
    for (char c : body)
        r.push_back(static_cast<std::uint8_t>(c));
    r.push_back(bcc);
    r.push_back(0x03);
    r.push_back(0x04);
    return r;
}

std::string to_hex(const Bytes& b) {
    std::ostringstream out;
    for (auto x : b) {
        static constexpr char kDigits[] = "0123456789abcdef";
        out << kDigits[x >> 4] << kDigits[x & 15];
    }
    return out.str();
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "scale-sim-test.XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// The simulator as a child process with pipes on its stdin and stdout.
class Sim {
public:
    explicit Sim(const TempDir& dir, std::vector<std::string> extra = {})
        : link_(dir / "COM1"), log_(dir / "sim.log"), control_(dir / "control") {
        std::vector<std::string> args{SCALE_SIM_PATH, "--link",    link_,   "--log",
                                      log_,           "--control", control_};
        args.insert(args.end(), extra.begin(), extra.end());
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }

    ~Sim() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close_stdin();
        close(stdout_);
    }

    const std::string& link() const { return link_; }
    const std::string& log() const { return log_; }
    const std::string& control() const { return control_; }
    pid_t pid() const { return pid_; }

    // The next line of stdout that starts with prefix; earlier lines are skipped.
    std::optional<std::string> wait_line(std::string_view prefix, int timeout_ms = 3000) {
        std::int64_t end = now_ms() + timeout_ms;
        for (;;) {
            for (std::size_t nl; (nl = buf_.find('\n')) != std::string::npos;) {
                std::string line = buf_.substr(0, nl);
                buf_.erase(0, nl + 1);
                if (line.starts_with(prefix))
                    return line;
            }
            std::int64_t left = end - now_ms();
            if (left <= 0)
                return std::nullopt;
            pollfd p{stdout_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0)
                continue;
            char chunk[1024];
            ssize_t n = read(stdout_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buf_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // The slave path of the first ready line.
    std::string ready() {
        auto line = wait_line("ready ");
        return line ? line->substr(6) : std::string();
    }

    void say(const std::string& cmd) {
        std::string text = cmd + '\n';
        ASSERT_EQ(write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void append_control(const std::string& cmd) {
        std::ofstream(control_, std::ios::app) << cmd << '\n';
    }

    // Sends a command on stdin, or through the control file, and waits for its confirmation.
    bool command(const std::string& cmd, bool via_control = false) {
        if (via_control)
            append_control(cmd);
        else
            say(cmd);
        return wait_line("ok " + cmd).has_value();
    }

    void close_stdin() {
        if (stdin_ >= 0)
            close(stdin_);
        stdin_ = -1;
    }

    // Exit status of a normal exit, or nullopt on a crash or time-out.
    std::optional<int> wait_exit(int timeout_ms = 3000) {
        std::int64_t end = now_ms() + timeout_ms;
        while (now_ms() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                if (WIFEXITED(status))
                    return WEXITSTATUS(status);
                return std::nullopt;
            }
            sleep_ms(5);
        }
        return std::nullopt;
    }

    std::vector<std::string> log_lines() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::string link_, log_, control_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string buf_;
};

// The link opened as the program opens its COM port: read/write, raw, 9600 8N1, no handshake.
class SerialPort {
public:
    explicit SerialPort(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
        tio.c_cflag |= CLOCAL | CREAD | CS8;
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~SerialPort() { close_port(); }
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool is_open() const { return fd_ >= 0; }
    int open_error() const { return error_; }
    int fd() const { return fd_; }

    void close_port() {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

    void send(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << "write to the port failed: " << std::strerror(errno);
            done += static_cast<std::size_t>(n);
        }
    }

    // Whatever arrives within ms, stopping early once `want` bytes are in.
    Bytes receive(int ms, std::size_t want = SIZE_MAX) {
        Bytes got;
        std::int64_t end = now_ms() + ms;
        while (got.size() < want) {
            std::int64_t left = end - now_ms();
            if (left <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0)
                continue;
            std::uint8_t chunk[512];
            ssize_t n = read(fd_, chunk, std::min(sizeof chunk, want - got.size()));
            if (n <= 0)
                break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    // Sends one byte and collects the answer: for `want` 0 all that comes within ms, else up to
    // `want` bytes and then a little longer to catch any byte too many.
    Bytes ask(std::uint8_t byte, std::size_t want, int ms = 500) {
        send({byte});
        Bytes got = receive(ms, want == 0 ? SIZE_MAX : want);
        if (want > 0 && got.size() == want) {
            Bytes extra = receive(30);
            got.insert(got.end(), extra.begin(), extra.end());
        }
        return got;
    }

private:
    int fd_ = -1;
    int error_ = 0;
};

TEST(ScaleSim, RecordCarriesWeightSignAndStabilityWithTheirBcc) {
    struct Case {
        std::vector<std::string> commands;
        Bytes frame;
    };
    const Case cases[] = {
        {{}, record("S 00.000kg", 0x61)},
        {{"weight 01.250"}, record("S 01.250kg", 0x67)},
        {{"weight 12.345", "sign -", "unstable"}, record("U-12.345kg", 0x6b)},
        {{"weight 1.5", "sign +", "stable"}, record("S    1.5kg", 0x75)},
        {{"weight 123.4567"}, record("S 123.45kg", 0x60)},
        {{"weight 01\\x00.50"}, record(std::string_view("S 01\0.50kg", 10), 0x55)},
        {{"frame 01 02 00 20 30 31 2e 32 35 30 6b 67 00 03 04"},
         {0x01, 0x02, 0x00, 0x20, 0x30, 0x31, 0x2e, 0x32, 0x35, 0x30, 0x6b, 0x67, 0x00, 0x03,
          0x04}},
        {{"frame off", "weight 00.000"}, record("S 00.000kg", 0x61)},
    };
    TempDir dir;
    Sim sim(dir);
    ASSERT_FALSE(sim.ready().empty());
    SerialPort port(sim.link());
    ASSERT_TRUE(port.is_open()) << std::strerror(port.open_error());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands.empty() ? "defaults" : c.commands.front());
        for (const auto& cmd : c.commands)
            ASSERT_TRUE(sim.command(cmd)) << cmd;
        EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
        EXPECT_EQ(to_hex(port.ask(kDc1, 15)), to_hex(c.frame));
    }

    // Values given on the command line, and commands that are refused leave the state alone.
    TempDir dir2;
    Sim sim2(dir2, {"--weight", "5", "--sign", "-", "--unstable"});
    ASSERT_FALSE(sim2.ready().empty());
    SerialPort port2(sim2.link());
    ASSERT_TRUE(port2.is_open());
    for (const char* bad :
         {"weight 1\\q", "sign x", "mode fast", "partial 16", "delay -1", "bogus"}) {
        sim2.say(bad);
        EXPECT_TRUE(sim2.wait_line(std::string("error ") + bad).has_value()) << bad;
    }
    EXPECT_EQ(port2.ask(kEnq, 1), Bytes{kAck});
    EXPECT_EQ(to_hex(port2.ask(kDc1, 15)), to_hex(record("U-     5kg", 0x61)));
}

TEST(ScaleSim, ModesSetThroughTheControlFile) {
    struct Case {
        std::vector<std::string> commands;
        Bytes enq_reply;
        std::size_t dc1_size;
        std::size_t dc1_prefix; // leading bytes that must match the real record
    };
    const Bytes full = record("S 02.500kg", 0x66);
    const Case cases[] = {
        {{"mode silent"}, {}, 0, 0},        {{"mode ack-only"}, {kAck}, 0, 0},
        {{"mode wrong-ack"}, {kNak}, 0, 0}, {{"mode partial"}, {kAck}, 7, 7},
        {{"partial 3"}, {kAck}, 3, 3},      {{"mode garbage"}, {kAck}, 300, 0},
        {{"mode answer"}, {kAck}, 15, 15},
    };
    TempDir dir;
    // A line that was in the control file before the start is old and must not be acted on.
    std::ofstream(dir / "control") << "quit\n";
    Sim sim(dir, {"--weight", "02.500"});
    ASSERT_FALSE(sim.ready().empty());
    SerialPort port(sim.link());
    ASSERT_TRUE(port.is_open());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands.front());
        for (const auto& cmd : c.commands)
            ASSERT_TRUE(sim.command(cmd, true)) << cmd;
        EXPECT_EQ(to_hex(port.ask(kEnq, c.enq_reply.size(), 250)), to_hex(c.enq_reply));
        Bytes got = port.ask(kDc1, c.dc1_size, 250);
        ASSERT_EQ(got.size(), c.dc1_size);
        EXPECT_TRUE(
            std::equal(full.begin(), full.begin() + static_cast<long>(c.dc1_prefix), got.begin()));
    }

    // Slow: the same answers, each only after the delay.
    ASSERT_TRUE(sim.command("delay 150", true));
    ASSERT_TRUE(sim.command("mode slow", true));
    for (auto [byte, want] : {std::pair{kEnq, std::size_t{1}}, std::pair{kDc1, std::size_t{15}}}) {
        std::int64_t start = now_ms();
        port.send({byte});
        EXPECT_TRUE(port.receive(100).empty()) << "answered before the delay";
        Bytes got = port.receive(400, want);
        EXPECT_EQ(got.size(), want);
        EXPECT_GE(now_ms() - start, 150);
        EXPECT_LT(now_ms() - start, 400);
    }
}

TEST(ScaleSim, LogTimestampsEveryByteAndRepliesArePrompt) {
    TempDir dir;
    Sim sim(dir, {"--weight", "01.250"});
    ASSERT_FALSE(sim.ready().empty());
    {
        SerialPort port(sim.link());
        ASSERT_TRUE(port.is_open());
        EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
        EXPECT_TRUE(port.ask('x', 0, 100).empty()) << "an unknown byte was answered";
        EXPECT_EQ(port.ask(kDc1, 15).size(), 15u);
    }
    sleep_ms(50);

    struct Entry {
        std::int64_t ns;
        std::string kind, data;
    };
    std::vector<Entry> entries;
    for (const auto& line : sim.log_lines()) {
        std::istringstream in(line);
        Entry e;
        ASSERT_TRUE(in >> e.ns >> e.kind) << line;
        in >> e.data;
        if (!entries.empty()) {
            EXPECT_GE(e.ns, entries.back().ns) << line;
        }
        entries.push_back(e);
    }
    auto find = [&](const std::string& kind, const std::string& data) -> const Entry* {
        for (const auto& e : entries)
            if (e.kind == kind && e.data == data)
                return &e;
        return nullptr;
    };
    const Entry* open = find("open", "");
    const Entry* rx_enq = find("rx", "05");
    const Entry* tx_ack = find("tx", "06");
    const Entry* rx_x = find("rx", "78");
    const Entry* rx_dc1 = find("rx", "11");
    const Entry* tx_rec = find("tx", to_hex(record("S 01.250kg", 0x67)));
    const Entry* closed = find("close", "");
    for (const Entry* e : {open, rx_enq, tx_ack, rx_x, rx_dc1, tx_rec, closed})
        ASSERT_NE(e, nullptr);
    EXPECT_LT(open->ns, rx_enq->ns);
    EXPECT_LT(rx_x->ns, rx_dc1->ns);
    EXPECT_LT(tx_rec->ns, closed->ns);
    // Within a millisecond or two, with room for a loaded machine.
    EXPECT_LT(tx_ack->ns - rx_enq->ns, 5'000'000);
    EXPECT_LT(tx_rec->ns - rx_dc1->ns, 5'000'000);
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](auto& e) { return e.kind == "tx"; }),
              2);
}

long cpu_ticks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream rest(all.substr(all.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

TEST(ScaleSim, ReopeningThePortKeepsItWorkingWithoutStaleReplies) {
    TempDir dir;
    Sim sim(dir);
    ASSERT_FALSE(sim.ready().empty());
    for (int round = 0; round < 5; ++round) {
        SerialPort port(sim.link());
        ASSERT_TRUE(port.is_open()) << "round " << round;
        EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck}) << "round " << round;
    }

    // With the port closed the simulator idles instead of spinning on a hung-up master.
    long before = cpu_ticks(sim.pid());
    sleep_ms(500);
    EXPECT_LE(cpu_ticks(sim.pid()) - before, 5);

    // A reply left unread when the port closes, or due only after it closed, is gone on reopen.
    for (bool slow : {false, true}) {
        SCOPED_TRACE(slow ? "reply due after close" : "reply unread at close");
        if (slow) {
            ASSERT_TRUE(sim.command("delay 100"));
            ASSERT_TRUE(sim.command("mode slow"));
        }
        {
            SerialPort port(sim.link());
            ASSERT_TRUE(port.is_open());
            port.send({kEnq});
            sleep_ms(slow ? 10 : 50);
        }
        sleep_ms(200);
        ASSERT_TRUE(sim.command("mode answer"));
        SerialPort port(sim.link());
        ASSERT_TRUE(port.is_open());
        EXPECT_TRUE(port.receive(100).empty());
        EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
    }
}

TEST(ScaleSim, DetachRemovesTheLinkAndAttachBringsItBack) {
    TempDir dir;
    // A link left behind by an earlier run is replaced.
    fs::create_symlink("/dev/pts/no-such-pty", dir / "COM1");
    Sim sim(dir);
    std::string first = sim.ready();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(fs::read_symlink(sim.link()).string(), first);

    ASSERT_TRUE(sim.command("detach", true));
    struct stat st {};
    EXPECT_NE(lstat(sim.link().c_str(), &st), 0);
    SerialPort gone(sim.link());
    EXPECT_FALSE(gone.is_open());
    EXPECT_EQ(gone.open_error(), ENOENT);

    sim.append_control("attach");
    std::string second = sim.ready();
    ASSERT_FALSE(second.empty());
    ASSERT_TRUE(sim.wait_line("ok attach").has_value());
    EXPECT_EQ(fs::read_symlink(sim.link()).string(), second);
    SerialPort port(sim.link());
    ASSERT_TRUE(port.is_open());
    EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
    EXPECT_EQ(port.ask(kDc1, 15).size(), 15u);
}

TEST(ScaleSim, FloodOfAnyBytesNeverBlocksIt) {
    TempDir dir;
    Sim sim(dir);
    ASSERT_FALSE(sim.ready().empty());
    SerialPort port(sim.link());
    ASSERT_TRUE(port.is_open());

    // Far more requests than the port can buffer answers for, and none of them read.
    std::mt19937 rng(7);
    Bytes flood(64 * 1024);
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i] = i % 3 == 0 ? kDc1 : static_cast<std::uint8_t>(rng());
    port.send(flood);
    std::int64_t start = now_ms();
    ASSERT_TRUE(sim.command("weight 09.999"));
    EXPECT_LT(now_ms() - start, 2000);

    // Once the backlog is cleared the scale answers normally again.
    for (std::int64_t end = now_ms() + 5000; now_ms() < end;) {
        tcflush(port.fd(), TCIFLUSH);
        if (port.receive(150).empty())
            break;
    }
    EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
    EXPECT_EQ(to_hex(port.ask(kDc1, 15)), to_hex(record("S 09.999kg", 0x61)));
    bool dropped = false;
    for (const auto& line : sim.log_lines())
        dropped = dropped || line.find(" drop ") != std::string::npos;
    EXPECT_TRUE(dropped) << "replies that did not fit were not logged as dropped";
}

TEST(ScaleSim, EndsCleanlyRemovingItsLink) {
    enum class How { Term, Int, Quit };
    for (How how : {How::Term, How::Int, How::Quit}) {
        SCOPED_TRACE(static_cast<int>(how));
        TempDir dir;
        Sim sim(dir);
        ASSERT_FALSE(sim.ready().empty());
        // End of stdin, as when started in the background, is not a reason to stop.
        sim.close_stdin();
        sleep_ms(50);
        {
            SerialPort port(sim.link());
            ASSERT_TRUE(port.is_open());
            EXPECT_EQ(port.ask(kEnq, 1), Bytes{kAck});
        }
        if (how == How::Quit)
            sim.append_control("quit");
        else
            kill(sim.pid(), how == How::Term ? SIGTERM : SIGINT);
        EXPECT_EQ(sim.wait_exit(), std::optional<int>(0));
        struct stat st {};
        EXPECT_NE(lstat(sim.link().c_str(), &st), 0) << "link left behind";
    }
}

} // namespace
