// scale-sim: a simulated CAS weighing scale on a pseudo-terminal.
//
// The scale answers ENQ with ACK and DC1 with its 15-byte weight record. Its behaviour can be
// changed while it runs through commands on standard input or appended to a control file. See
// README.md in this folder for the command line, the commands and the log format.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kEnq = 0x05;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kDc1 = 0x11;
constexpr std::uint8_t kNak = 0x15;

constexpr std::size_t kRecordSize = 15;
constexpr std::size_t kWeightSize = 6;
constexpr std::size_t kGarbageSize = 300;
constexpr std::int64_t kControlPollNs = 20'000'000;
constexpr std::int64_t kHangupRetryNs = 20'000'000;
constexpr int kStdoutWaitMs = 1000;
constexpr long kMaxDelayMs = 3'600'000;
constexpr std::size_t kMaxPending = 4096; // delayed replies held at most

std::int64_t now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

std::string hex(const std::uint8_t* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0x0f];
    }
    return out;
}

// Writes a whole line to stdout. A reader that stops reading holds us up for at most about a
// second per line; after that the rest of the line is lost.
void emit(const std::string& line) {
    std::string text = line + '\n';
    std::size_t done = 0;
    std::int64_t give_up = now_ns() + std::int64_t{kStdoutWaitMs} * 1'000'000;
    while (done < text.size()) {
        pollfd p{STDOUT_FILENO, POLLOUT, 0};
        int wait_ms = static_cast<int>(std::max<std::int64_t>(0, (give_up - now_ns()) / 1'000'000));
        int r = poll(&p, 1, wait_ms);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return;
        ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// Append-only event log; every line goes out with a single write so a reader sees it at once.
class Log {
public:
    bool open(const std::string& path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        return fd_ >= 0;
    }
    ~Log() {
        if (fd_ >= 0)
            close(fd_);
    }
    void line(std::int64_t ns, std::string_view text) const {
        if (fd_ < 0)
            return;
        std::string out = std::to_string(ns);
        out += ' ';
        out += text;
        out += '\n';
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t n = write(fd_, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }
    void line(std::string_view text) const { line(now_ns(), text); }

private:
    int fd_ = -1;
};

enum class Mode { Answer, Silent, AckOnly, WrongAck, Slow, Partial, Garbage };

struct ModeName {
    std::string_view name;
    Mode mode;
};

constexpr ModeName kModes[] = {
    {"answer", Mode::Answer},      {"silent", Mode::Silent}, {"ack-only", Mode::AckOnly},
    {"wrong-ack", Mode::WrongAck}, {"slow", Mode::Slow},     {"partial", Mode::Partial},
    {"garbage", Mode::Garbage},
};

std::optional<Mode> parse_mode(std::string_view text) {
    for (const auto& m : kModes)
        if (m.name == text)
            return m.mode;
    return std::nullopt;
}

std::optional<long> parse_number(std::string_view text, long lo, long hi) {
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() || value < lo ||
        value > hi)
        return std::nullopt;
    return value;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Decodes "\xHH" and "\\" escapes, so that any byte, a zero byte too, can be put in the weight.
std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hex_digit(text[i + 2]) >= 0 &&
                   hex_digit(text[i + 3]) >= 0) {
            out += static_cast<char>(hex_digit(text[i + 2]) * 16 + hex_digit(text[i + 3]));
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// The weight field is always six bytes: shorter text is right-aligned with spaces in front, as a
// scale shows it; longer text keeps its first six bytes.
std::optional<std::string> parse_weight(std::string_view text) {
    auto raw = unescape(text);
    if (!raw)
        return std::nullopt;
    if (raw->size() >= kWeightSize)
        return raw->substr(0, kWeightSize);
    return std::string(kWeightSize - raw->size(), ' ') + *raw;
}

std::optional<char> parse_sign(std::string_view text) {
    if (text == "-")
        return '-';
    if (text == "+" || text == " " || text.empty())
        return ' ';
    return std::nullopt;
}

std::optional<Bytes> parse_hex(std::string_view text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        if (c == ' ')
            continue;
        int d = hex_digit(c);
        if (d < 0)
            return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0)
        return std::nullopt;
    return out;
}

struct ScaleState {
    std::string weight = "00.000";
    char sign = ' ';
    bool stable = true;
    Mode mode = Mode::Answer;
    long delay_ms = 300;
    std::size_t partial = 7;
    std::optional<Bytes> frame; // sent instead of the built record while set
};

Bytes build_record(const ScaleState& s) {
    Bytes r;
    r.reserve(kRecordSize);
    r.push_back(kSoh);
    r.push_back(kStx);
    r.push_back(s.stable ? 'S' : 'U');
    r.push_back(static_cast<std::uint8_t>(s.sign));
    for (char c : s.weight)
        r.push_back(static_cast<std::uint8_t>(c));
    r.push_back('k');
    r.push_back('g');
    std::uint8_t bcc = 0;
    for (std::size_t i = 2; i < 12; ++i) // bytes 3 to 12, counting from 1
        bcc ^= r[i];
    r.push_back(bcc);
    r.push_back(kEtx);
    r.push_back(kEot);
    return r;
}

// One pseudo-terminal with the link that points at its slave side. We keep our own fd on the
// slave so that the master never sees a hang-up when the other side closes the port. An inotify
// watch on the slave device tells us when the other side opens and closes it.
class Port {
public:
    ~Port() { detach(); }

    bool attached() const { return master_ >= 0; }
    int master() const { return master_; }
    int watch_fd() const { return inotify_; }
    const std::string& slave_path() const { return slave_path_; }
    // Whether we know for sure that nobody but us has the slave open.
    bool nobody_listening() const { return peers_known_ && peers_ == 0; }

    bool attach(const std::string& link, std::string& error) {
        detach();
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0)
            return fail("posix_openpt", error);
        if (grantpt(master_) != 0 || unlockpt(master_) != 0)
            return fail("grantpt/unlockpt", error);
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0)
            return fail("ptsname_r", error);
        slave_path_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (slave_ < 0)
            return fail("open slave", error);
        termios tio{};
        if (tcgetattr(slave_, &tio) != 0)
            return fail("tcgetattr", error);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        if (tcsetattr(slave_, TCSANOW, &tio) != 0)
            return fail("tcsetattr", error);
        // Added after our own open so that only the other side's opens are counted.
        inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ >= 0)
            watch_ = inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE);
        peers_ = 0;
        peers_known_ = inotify_ >= 0 && watch_ >= 0;

        std::string tmp = link + ".tmp." + std::to_string(getpid());
        unlink(tmp.c_str());
        if (symlink(name, tmp.c_str()) != 0)
            return fail("symlink " + tmp, error);
        if (rename(tmp.c_str(), link.c_str()) != 0) {
            unlink(tmp.c_str());
            return fail("rename to " + link, error);
        }
        link_ = link;
        return true;
    }

    void detach() {
        remove_link();
        for (int* fd : {&inotify_, &slave_, &master_}) {
            if (*fd >= 0)
                close(*fd);
            *fd = -1;
        }
        watch_ = -1;
        peers_ = 0;
        peers_known_ = false;
        slave_path_.clear();
    }

    // Reads pending open/close events of the other side and logs them. When the last one closes,
    // whatever we sent that nobody read is thrown away, as on a real port that is not open.
    void drain_events(const Log& log) { drain_events(log, 0); }
    // With `at` given, events are logged at that time: the caller drained them right after a
    // read of the master that began then, and they happened before the bytes it read.
    void drain_events(const Log& log, std::int64_t at) {
        if (inotify_ < 0)
            return;
        alignas(inotify_event) char buf[4096];
        for (;;) {
            ssize_t n = read(inotify_, buf, sizeof buf);
            if (n <= 0)
                return;
            for (ssize_t off = 0; off < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
                off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
                if (ev->mask & IN_Q_OVERFLOW) {
                    peers_known_ = false;
                    continue;
                }
                if (ev->wd != watch_)
                    continue;
                if (ev->mask & IN_OPEN) {
                    ++peers_;
                    log.line(at ? at : now_ns(), "open");
                }
                if (ev->mask & IN_CLOSE) {
                    if (peers_ > 0)
                        --peers_;
                    log.line(at ? at : now_ns(), "close");
                    if (peers_ == 0 && peers_known_)
                        tcflush(slave_, TCIFLUSH);
                }
            }
        }
    }

    // Non-blocking write of one reply. What does not fit, or what nobody would read, is dropped.
    void send(const Bytes& bytes, const Log& log) {
        if (bytes.empty())
            return;
        std::size_t done = 0;
        if (attached() && !nobody_listening()) {
            while (done < bytes.size()) {
                ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
        }
        std::int64_t t = now_ns();
        if (done > 0)
            log.line(t, "tx " + hex(bytes.data(), done));
        if (done < bytes.size())
            log.line(t, "drop " + hex(bytes.data() + done, bytes.size() - done));
    }

private:
    bool fail(const std::string& what, std::string& error) {
        error = what + ": " + std::strerror(errno);
        detach();
        return false;
    }

    void remove_link() {
        if (link_.empty())
            return;
        char target[256];
        ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string_view(target, static_cast<std::size_t>(n)) == slave_path_)
            unlink(link_.c_str());
        link_.clear();
    }

    int master_ = -1;
    int slave_ = -1;
    int inotify_ = -1;
    int watch_ = -1;
    int peers_ = 0;
    bool peers_known_ = false;
    std::string slave_path_;
    std::string link_;
};

// Follows a file that others append command lines to. Lines present when we start are skipped;
// a file that is replaced or truncated is read again from its start.
class ControlFile {
public:
    explicit ControlFile(std::string path) : path_(std::move(path)) {
        struct stat st {};
        if (stat(path_.c_str(), &st) == 0) {
            known_ = true;
            dev_ = st.st_dev;
            ino_ = st.st_ino;
            offset_ = st.st_size;
        }
    }

    // Returns the complete lines added since the last call.
    std::vector<std::string> poll_lines() {
        std::vector<std::string> lines;
        struct stat st {};
        if (stat(path_.c_str(), &st) != 0)
            return lines;
        if (!known_ || st.st_dev != dev_ || st.st_ino != ino_ || st.st_size < offset_) {
            known_ = true;
            dev_ = st.st_dev;
            ino_ = st.st_ino;
            offset_ = 0;
            pending_.clear();
        }
        if (st.st_size == offset_)
            return lines;
        int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return lines;
        char buf[4096];
        for (;;) {
            ssize_t n = pread(fd, buf, sizeof buf, offset_);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            offset_ += n;
            pending_.append(buf, static_cast<std::size_t>(n));
        }
        close(fd);
        for (std::size_t nl; (nl = pending_.find('\n')) != std::string::npos;) {
            lines.push_back(pending_.substr(0, nl));
            pending_.erase(0, nl + 1);
        }
        return lines;
    }

private:
    std::string path_;
    bool known_ = false;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t offset_ = 0;
    std::string pending_;
};

struct Options {
    std::string link;
    std::string log;
    std::string control;
    ScaleState state;
};

class Simulator {
public:
    explicit Simulator(Options opts) : opts_(std::move(opts)), state_(opts_.state) {}

    int run() {
        if (!opts_.log.empty() && !log_.open(opts_.log)) {
            std::fprintf(stderr, "scale-sim: cannot open log %s: %s\n", opts_.log.c_str(),
                         std::strerror(errno));
            return 1;
        }
        sigset_t mask;
        sigemptyset(&mask);
        sigaddset(&mask, SIGTERM);
        sigaddset(&mask, SIGINT);
        sigaddset(&mask, SIGHUP);
        sigprocmask(SIG_BLOCK, &mask, nullptr);
        signal(SIGPIPE, SIG_IGN);
        int sigfd = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
        if (sigfd < 0) {
            std::perror("scale-sim: signalfd");
            return 1;
        }
        std::optional<ControlFile> control;
        if (!opts_.control.empty())
            control.emplace(opts_.control);

        std::string error;
        if (!port_.attach(opts_.link, error)) {
            std::fprintf(stderr, "scale-sim: %s\n", error.c_str());
            close(sigfd);
            return 1;
        }
        emit("ready " + port_.slave_path());

        std::int64_t next_control = now_ns() + kControlPollNs;
        std::int64_t master_retry = 0; // while in the future the master is not polled
        std::string stdin_buf;
        bool stdin_open = true;

        while (!quit_) {
            std::int64_t now = now_ns();
            std::int64_t wake = now + 1'000'000'000;
            if (control)
                wake = std::min(wake, next_control);
            if (!pending_.empty())
                wake = std::min(wake, pending_.begin()->first);
            if (master_retry > now)
                wake = std::min(wake, master_retry);

            pollfd fds[4];
            nfds_t nfds = 0;
            fds[nfds++] = {sigfd, POLLIN, 0};
            int stdin_idx = -1, master_idx = -1;
            if (stdin_open) {
                stdin_idx = static_cast<int>(nfds);
                fds[nfds++] = {STDIN_FILENO, POLLIN, 0};
            }
            if (port_.attached() && master_retry <= now) {
                master_idx = static_cast<int>(nfds);
                fds[nfds++] = {port_.master(), POLLIN, 0};
            }
            if (port_.watch_fd() >= 0)
                fds[nfds++] = {port_.watch_fd(), POLLIN, 0};

            std::int64_t wait = std::max<std::int64_t>(0, wake - now);
            timespec ts{static_cast<time_t>(wait / 1'000'000'000),
                        static_cast<long>(wait % 1'000'000'000)};
            int r = ppoll(fds, nfds, &ts, nullptr);
            if (r < 0 && errno != EINTR) {
                std::perror("scale-sim: ppoll");
                break;
            }
            if (r > 0 && (fds[0].revents & POLLIN)) {
                signalfd_siginfo info{};
                if (read(sigfd, &info, sizeof info) > 0) {
                    log_.line("signal " + std::to_string(info.ssi_signo));
                    break;
                }
            }

            // The received bytes are taken before the open/close events, so every event that
            // happened before these bytes were sent is known when they are answered.
            if (master_idx >= 0 && r > 0 && fds[master_idx].revents != 0) {
                std::uint8_t buf[4096];
                std::int64_t before = now_ns();
                ssize_t n = read(port_.master(), buf, sizeof buf);
                std::int64_t t = now_ns();
                if (n > 0) {
                    port_.drain_events(log_, before);
                    for (ssize_t i = 0; i < n; ++i) {
                        log_.line(t, "rx " + hex(&buf[i], 1));
                        on_byte(buf[i]);
                    }
                } else if (n == 0 || (fds[master_idx].revents & (POLLHUP | POLLERR)) ||
                           (errno != EAGAIN && errno != EINTR)) {
                    // EIO: nobody has the slave open. Should not happen while we hold it ourselves,
                    // but if it does, look again a little later rather than spin.
                    master_retry = t + kHangupRetryNs;
                }
            }
            port_.drain_events(log_);

            now = now_ns();
            while (!pending_.empty() && pending_.begin()->first <= now) {
                port_.send(pending_.begin()->second, log_);
                pending_.erase(pending_.begin());
            }

            if (stdin_idx >= 0 && r > 0 && fds[stdin_idx].revents != 0) {
                char buf[4096];
                ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
                if (n > 0) {
                    stdin_buf.append(buf, static_cast<std::size_t>(n));
                    for (std::size_t nl;
                         !quit_ && (nl = stdin_buf.find('\n')) != std::string::npos;) {
                        std::string line = stdin_buf.substr(0, nl);
                        stdin_buf.erase(0, nl + 1);
                        command(line);
                    }
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    // End of input does not end the simulator; a last line without newline still
                    // counts.
                    stdin_open = false;
                    if (!stdin_buf.empty())
                        command(stdin_buf);
                    stdin_buf.clear();
                }
            }

            if (control && now_ns() >= next_control) {
                for (const auto& line : control->poll_lines()) {
                    if (quit_)
                        break;
                    command(line);
                }
                next_control = now_ns() + kControlPollNs;
            }
        }

        port_.detach();
        close(sigfd);
        return 0;
    }

private:
    void on_byte(std::uint8_t b) {
        Bytes reply;
        const Mode mode = state_.mode;
        if (b == kEnq) {
            switch (mode) {
            case Mode::Silent:
                break;
            case Mode::WrongAck:
                reply = {kNak};
                break;
            default:
                reply = {kAck};
                break;
            }
        } else if (b == kDc1) {
            Bytes record = state_.frame ? *state_.frame : build_record(state_);
            switch (mode) {
            case Mode::Answer:
            case Mode::Slow:
                reply = std::move(record);
                break;
            case Mode::Partial:
                record.resize(std::min(record.size(), state_.partial));
                reply = std::move(record);
                break;
            case Mode::Garbage: {
                std::uniform_int_distribution<int> dist(0, 255);
                reply.resize(kGarbageSize);
                for (auto& x : reply)
                    x = static_cast<std::uint8_t>(dist(rng_));
                break;
            }
            default:
                break;
            }
        }
        if (reply.empty())
            return;
        if (mode != Mode::Slow)
            port_.send(reply, log_);
        else if (pending_.size() >= kMaxPending)
            log_.line("drop " + hex(reply.data(), reply.size()));
        else
            pending_.emplace(now_ns() + std::int64_t{state_.delay_ms} * 1'000'000,
                             std::move(reply));
    }

    void command(std::string line) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos)
            return;
        line.erase(0, start);
        std::string_view view(line);
        std::size_t space = view.find(' ');
        std::string_view word = view.substr(0, space);
        std::string_view arg = space == std::string_view::npos ? "" : view.substr(space + 1);
        // Only the weight keeps its argument as written; elsewhere surrounding blanks do not count.
        std::string_view trimmed = arg;
        while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
            trimmed.remove_prefix(1);
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.remove_suffix(1);

        log_.line("cmd " + line);
        std::string error = apply(word, arg, trimmed);
        if (!error.empty()) {
            emit("error " + line + ": " + error);
            return;
        }
        emit("ok " + line);
    }

    // Returns an empty text on success, else why the command was refused.
    std::string apply(std::string_view word, std::string_view arg, std::string_view trimmed) {
        auto no_arg = [&] { return trimmed.empty(); };
        if (word == "weight") {
            auto w = parse_weight(arg);
            if (!w)
                return "bad escape (use \\xHH or \\\\)";
            state_.weight = *w;
        } else if (word == "sign") {
            auto s = parse_sign(trimmed);
            if (!s)
                return "sign is + or -";
            state_.sign = *s;
        } else if (word == "stable" && no_arg()) {
            state_.stable = true;
        } else if (word == "unstable" && no_arg()) {
            state_.stable = false;
        } else if (word == "mode") {
            auto m = parse_mode(trimmed);
            if (!m)
                return "unknown mode";
            state_.mode = *m;
        } else if (word == "delay") {
            auto d = parse_number(trimmed, 0, kMaxDelayMs);
            if (!d)
                return "delay is 0 to " + std::to_string(kMaxDelayMs) + " ms";
            state_.delay_ms = *d;
        } else if (word == "partial") {
            auto p = parse_number(trimmed, 0, static_cast<long>(kRecordSize));
            if (!p)
                return "partial is 0 to 15";
            state_.partial = static_cast<std::size_t>(*p);
        } else if (word == "frame") {
            if (trimmed == "off") {
                state_.frame.reset();
            } else {
                auto f = parse_hex(trimmed);
                if (!f || f->empty())
                    return "frame is hex bytes or off";
                state_.frame = *f;
            }
        } else if (word == "detach" && no_arg()) {
            pending_.clear();
            port_.detach();
        } else if (word == "attach" && no_arg()) {
            if (!port_.attached()) {
                std::string error;
                if (!port_.attach(opts_.link, error))
                    return error;
            }
            emit("ready " + port_.slave_path());
        } else if (word == "quit" && no_arg()) {
            quit_ = true;
        } else {
            return "unknown command";
        }
        return {};
    }

    Options opts_;
    ScaleState state_;
    Log log_;
    Port port_;
    std::multimap<std::int64_t, Bytes> pending_; // delayed replies by due time
    std::mt19937 rng_{std::random_device{}()};
    bool quit_ = false;
};

void usage(std::FILE* to) {
    std::fputs("usage: scale-sim --link PATH [--weight TEXT] [--sign ' '|+|-] [--unstable]\n"
               "                 [--mode answer|silent|ack-only|wrong-ack|slow|partial|garbage]\n"
               "                 [--delay MS] [--partial N] [--log FILE] [--control FILE]\n",
               to);
}

std::optional<Options> parse_args(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        std::string_view name = a;
        std::optional<std::string_view> value;
        if (auto eq = a.find('='); a.starts_with("--") && eq != std::string_view::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        auto need = [&]() -> std::optional<std::string_view> {
            if (value)
                return value;
            if (i + 1 < argc)
                return std::string_view(argv[++i]);
            std::fprintf(stderr, "scale-sim: %.*s needs a value\n", static_cast<int>(name.size()),
                         name.data());
            return std::nullopt;
        };
        auto bad = [&](std::string_view v) {
            std::fprintf(stderr, "scale-sim: bad value for %.*s: '%.*s'\n",
                         static_cast<int>(name.size()), name.data(), static_cast<int>(v.size()),
                         v.data());
            return std::nullopt;
        };
        if (name == "--help" || name == "-h") {
            usage(stdout);
            std::exit(0);
        } else if (name == "--unstable" && !value) {
            o.state.stable = false;
            continue;
        }
        std::optional<std::string_view> v;
        if (name == "--link" || name == "--weight" || name == "--sign" || name == "--mode" ||
            name == "--delay" || name == "--partial" || name == "--log" || name == "--control") {
            v = need();
            if (!v)
                return std::nullopt;
        } else {
            std::fprintf(stderr, "scale-sim: unknown option %.*s\n", static_cast<int>(a.size()),
                         a.data());
            return std::nullopt;
        }
        if (name == "--link") {
            o.link = *v;
        } else if (name == "--log") {
            o.log = *v;
        } else if (name == "--control") {
            o.control = *v;
        } else if (name == "--weight") {
            auto w = parse_weight(*v);
            if (!w)
                return bad(*v);
            o.state.weight = *w;
        } else if (name == "--sign") {
            auto s = parse_sign(*v);
            if (!s)
                return bad(*v);
            o.state.sign = *s;
        } else if (name == "--mode") {
            auto m = parse_mode(*v);
            if (!m)
                return bad(*v);
            o.state.mode = *m;
        } else if (name == "--delay") {
            auto d = parse_number(*v, 0, kMaxDelayMs);
            if (!d)
                return bad(*v);
            o.state.delay_ms = *d;
        } else if (name == "--partial") {
            auto p = parse_number(*v, 0, static_cast<long>(kRecordSize));
            if (!p)
                return bad(*v);
            o.state.partial = static_cast<std::size_t>(*p);
        }
    }
    if (o.link.empty()) {
        std::fputs("scale-sim: --link PATH is required\n", stderr);
        return std::nullopt;
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    auto opts = parse_args(argc, argv);
    if (!opts) {
        usage(stderr);
        return 2;
    }
    Simulator sim(std::move(*opts));
    return sim.run();
}
