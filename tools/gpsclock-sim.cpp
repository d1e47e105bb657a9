// Stands in for an Orvanel GPS clock on a pseudo-terminal: echoes every byte,
// answers "\r\nTU" with the UTC time of day, and misbehaves on request.
//
//   gpsclock-sim [--link PATH] [--log FILE] [--control FILE] [--exit-with-parent]
//                [behaviour switches]
//
// Behaviour switches (also read from the control file whenever its contents
// change and end with a line feed; lines starting with "#" are comments; each
// reading starts again from the command line's switches and restarts the
// command count at 1):
//   --echo-delay MS       echo each byte MS milliseconds after it came
//   --no-echo-from N      no echo from the Nth command on
//   --bad-echo-from N     from the Nth command on echo each byte with bit 0x20
//                         flipped (upper case for lower case)
//   --stray-from N        from the Nth command on send "?" before each echo
//   --reply-delay MS      send the time reply MS after the echo of its "U"
//   --reply KIND          normal (14 bytes "DDD:HH:MM:SS\r\n", DDD the day of
//                         the year), short (its first 13 bytes), garbage
//                         (14 unparseable bytes) or none
//   --offset SECONDS      add SECONDS to the UTC time in the reply
//   --lead MS             run the clock MS milliseconds ahead of the host
//                         (behind when negative), for the reply and --align
//   --fixed D:H:M:S       reply with this text verbatim, then CR LF
//   --extra-bytes N       send N bytes "#" after the echo of "b0" and "0dg"
//   --unplug-after N      close the terminal and remove the link 200 ms after
//                         the echoes of the Nth command went out
//   --align               send the reply only within the first 150 ms of a
//                         second of the clock
//   --align-window MS     ... within the first MS instead
//   --random-phase        send the reply after a further random wait of up to
//                         a second, so that it leaves at any phase of the second
//   --hold                suspend the line towards the clock, as a CTS held
//                         low or a stray XOFF would: writes to the port block
// Commands are the clock's texts ("b0", "0dg", "\r\nTU", "v", ...XO, ...TS)
// as they complete in the received bytes; bytes of an unfinished command count
// as part of the next one.
//
// Log: one line per byte, "rx 0d" received, "tx 0d" sent, each followed by
// the host's time (seconds since 1970, to the microsecond), and lines
// starting with "#" for events ("# control applied: ...", "# unplugged").
// The time reply leaves at 9600 baud's pace, a byte every 1.04 ms.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int)
{
    stopRequested = 1;
}

struct Behaviour {
    long echoDelayMs = 0;
    long noEchoFrom = 0;
    long badEchoFrom = 0;
    long strayFrom = 0;
    long replyDelayMs = 0;
    std::string reply = "normal";
    long offsetSeconds = 0;
    long leadMs = 0;
    std::string fixed;
    long extraBytes = 0;
    long unplugAfter = 0;
    bool align = false;
    long alignWindowMs = 150;
    bool randomPhase = false;
    bool hold = false;
};

bool ParseNumber(const std::string& text, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

// Applies behaviour switches; returns false with a message on the first bad one.
bool ApplySwitches(const std::vector<std::string>& args, Behaviour& b, std::string& error)
{
    const std::map<std::string, long*> numbers = {
        {"--echo-delay", &b.echoDelayMs},   {"--no-echo-from", &b.noEchoFrom},
        {"--bad-echo-from", &b.badEchoFrom}, {"--stray-from", &b.strayFrom},
        {"--reply-delay", &b.replyDelayMs}, {"--offset", &b.offsetSeconds}, {"--lead", &b.leadMs},
        {"--align-window", &b.alignWindowMs},
        {"--extra-bytes", &b.extraBytes},   {"--unplug-after", &b.unplugAfter},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--align" || name == "--hold" || name == "--random-phase") {
            (name == "--align" ? b.align : name == "--hold" ? b.hold : b.randomPhase) = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        const auto number = numbers.find(name);
        if (number != numbers.end()) {
            if (!ParseNumber(value, *number->second)) {
                error = name + ": not a number: " + value;
                return false;
            }
        } else if (name == "--reply" &&
                   (value == "normal" || value == "short" || value == "garbage" || value == "none")) {
            b.reply = value;
        } else if (name == "--fixed") {
            b.fixed = value;
        } else {
            error = "unknown switch or value: " + name + " " + value;
            return false;
        }
    }
    return true;
}

long long MonotonicMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The simulated clock's own time in milliseconds since 1970: the host's plus
// a lead (the clock running ahead of the PC, or behind when negative).
long long ClockMs(long leadMs)
{
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000 + leadMs;
}

bool EndsWith(const std::string& text, const char* tail)
{
    const size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

bool IsCommandEnd(const std::string& pending)
{
    static const char* const ENDS[] = {"b0", "0dg", "\r\nTU", "v", "XO", "XT", "XR", "XS", "XZ", "XX", "TS"};
    for (const char* end : ENDS) {
        if (EndsWith(pending, end)) return true;
    }
    return false;
}

const long long UNPLUG_GRACE_MS = 200;

class Simulator {
public:
    enum Kind { BYTES, TIME_REPLY, UNPLUG };
    struct Output {
        Kind kind;
        std::string bytes;
    };

    Simulator(const Behaviour& base, const std::string& logPath, const std::string& controlPath)
        : base_(base), now_(base), controlPath_(controlPath)
    {
        if (!logPath.empty()) log_ = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    ~Simulator()
    {
        Unplug(false);
        if (log_ >= 0) close(log_);
    }

    bool OpenTerminal(const std::string& link, std::string& slavePath)
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
        slavePath = ptsname(master_);
        // Holding the slave open keeps its settings and stops reads of the
        // master from failing while no program has the port open.
        slave_ = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        // Make the terminal ours: otherwise the first program to open it
        // (Wine's server, a session leader) takes it as its controlling
        // terminal and gets SIGHUP when we close it, on which it dumps its
        // whole state to stderr.
        if (slave_ >= 0 && (setsid() >= 0 || getsid(0) == getpid())) ioctl(slave_, TIOCSCTTY, 0);
        termios raw;
        if (slave_ < 0 || tcgetattr(slave_, &raw) != 0) return false;
        cfmakeraw(&raw);
        cfsetspeed(&raw, B9600);
        if (tcsetattr(slave_, TCSANOW, &raw) != 0) return false;
        if (now_.hold) tcflow(slave_, TCOOFF);
        if (!link.empty()) {
            unlink(link.c_str());
            if (symlink(slavePath.c_str(), link.c_str()) != 0) return false;
            link_ = link;
        }
        return true;
    }

    void Run()
    {
        while (!stopRequested) {
            pollfd fd = {master_, POLLIN, 0};
            const int ready = poll(&fd, master_ >= 0 ? 1 : 0, TimeoutMs());
            ReadControl();
            if (ready > 0 && (fd.revents & POLLIN)) Receive();
            SendDue();
        }
    }

private:
    int TimeoutMs() const
    {
        // The control file is looked at ten times a second.
        long long timeout = 100;
        if (!outputs_.empty()) timeout = std::min(timeout, std::max(0LL, outputs_.begin()->first - MonotonicMs()));
        return static_cast<int>(timeout);
    }

    void Log(const std::string& line)
    {
        if (log_ < 0) return;
        const std::string text = line + "\n";
        if (write(log_, text.data(), text.size()) < 0) perror("gpsclock-sim: log");
    }

    // With the host's time to the microsecond, so that a test can tell
    // when each byte went out.
    void LogByte(const char* direction, unsigned char byte)
    {
        timespec t;
        clock_gettime(CLOCK_REALTIME, &t);
        char line[48];
        std::snprintf(line, sizeof(line), "%s %02x %lld.%06ld", direction, byte, static_cast<long long>(t.tv_sec),
                      t.tv_nsec / 1000);
        Log(line);
    }

    void ReadControl()
    {
        if (controlPath_.empty()) return;
        std::ifstream file(controlPath_, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        const std::string content = text.str();
        // A file still being written is taken once it ends its last line.
        if (content == control_ || content.empty() || content.back() != '\n') return;
        control_ = content;

        std::vector<std::string> args;
        std::istringstream lines(content);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line[0] == '#') continue;
            std::istringstream words(line);
            std::string word;
            while (words >> word) args.push_back(word);
        }
        Behaviour next = base_;
        std::string error;
        std::string flat = content;
        for (char& c : flat) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        if (!ApplySwitches(args, next, error)) {
            Log("# control rejected: " + error + ": " + flat);
            return;
        }
        now_ = next;
        completed_ = 0;
        pending_.clear();
        if (slave_ >= 0) tcflow(slave_, now_.hold ? TCOOFF : TCOON);
        Log("# control applied: " + flat);
    }

    void Receive()
    {
        unsigned char buffer[256];
        const ssize_t n = read(master_, buffer, sizeof(buffer));
        if (n <= 0) return;
        for (ssize_t i = 0; i < n; ++i) Handle(static_cast<char>(buffer[i]));
    }

    void Handle(char byte)
    {
        LogByte("rx", static_cast<unsigned char>(byte));
        const long command = completed_ + 1;
        const long long echoAt = MonotonicMs() + now_.echoDelayMs;
        if (!From(now_.noEchoFrom, command)) {
            std::string echo;
            if (From(now_.strayFrom, command)) echo += '?';
            echo += From(now_.badEchoFrom, command) ? static_cast<char>(byte ^ 0x20) : byte;
            Schedule(echoAt, Output{BYTES, echo});
        }

        pending_ += byte;
        if (pending_.size() > 64) pending_.erase(0, pending_.size() - 64);
        if (!IsCommandEnd(pending_)) return;

        ++completed_;
        if (EndsWith(pending_, "\r\nTU") && now_.reply != "none")
            Schedule(echoAt + now_.replyDelayMs + (now_.randomPhase ? std::rand() % 1000 : 0),
                     Output{TIME_REPLY, std::string()});
        if ((EndsWith(pending_, "b0") || EndsWith(pending_, "0dg")) && now_.extraBytes > 0)
            Schedule(echoAt, Output{BYTES, std::string(static_cast<size_t>(now_.extraBytes), '#')});
        if (now_.unplugAfter > 0 && completed_ == now_.unplugAfter) {
            // A hang-up drops what the other side has not read yet: give the
            // last echo time to get there.
            const long long last = outputs_.empty() ? echoAt : outputs_.rbegin()->first;
            Schedule(last + UNPLUG_GRACE_MS, Output{UNPLUG, std::string()});
        }
        pending_.clear();
    }

    static bool From(long first, long command) { return first > 0 && command >= first; }

    void Schedule(long long at, const Output& output) { outputs_.insert(std::make_pair(at, output)); }

    std::string TimeReply() const
    {
        std::string text;
        if (!now_.fixed.empty()) {
            text = now_.fixed + "\r\n";
        } else {
            const time_t at = static_cast<time_t>(ClockMs(now_.leadMs) / 1000) + now_.offsetSeconds;
            tm utc;
            gmtime_r(&at, &utc);
            char line[32];
            std::snprintf(line, sizeof(line), "%03d:%02d:%02d:%02d\r\n", utc.tm_yday + 1, utc.tm_hour,
                          utc.tm_min, utc.tm_sec);
            text = line;
        }
        if (now_.reply == "short") text = text.substr(0, 13);
        if (now_.reply == "garbage") text = "ABC:DE:FG:HI\r\n";
        return text;
    }

    void SendDue()
    {
        while (master_ >= 0 && !outputs_.empty() && outputs_.begin()->first <= MonotonicMs()) {
            const Output output = outputs_.begin()->second;
            outputs_.erase(outputs_.begin());
            if (output.kind == UNPLUG) {
                Unplug(true);
                return;
            }
            if (output.kind == TIME_REPLY && now_.align) {
                const long inSecond = static_cast<long>(ClockMs(now_.leadMs) % 1000);
                if (inSecond >= now_.alignWindowMs) {
                    Schedule(MonotonicMs() + (1000 - inSecond) + 20, output);
                    continue;
                }
            }
            if (output.kind == TIME_REPLY) SendPaced(TimeReply());
            else Send(output.bytes);
        }
    }

    void Send(const std::string& bytes)
    {
        if (bytes.empty()) return;
        for (const char c : bytes) LogByte("tx", static_cast<unsigned char>(c));
        if (write(master_, bytes.data(), bytes.size()) < 0) perror("gpsclock-sim: write");
    }

    // A pseudo-terminal hands bytes over at once; the clock's line carries
    // one every 1.04 ms at 9600 baud, and the PC reckons with that.
    void SendPaced(const std::string& bytes)
    {
        timespec next;
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (const char c : bytes) {
            Send(std::string(1, c));
            next.tv_nsec += 1041667;
            if (next.tv_nsec >= 1000000000) next.tv_nsec -= 1000000000, ++next.tv_sec;
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    }

    void Unplug(bool logIt)
    {
        if (!link_.empty()) unlink(link_.c_str());
        link_.clear();
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
        slave_ = master_ = -1;
        outputs_.clear();
        if (logIt) Log("# unplugged");
    }

    const Behaviour base_;
    Behaviour now_;
    const std::string controlPath_;
    std::string control_;
    int log_ = -1;
    int master_ = -1;
    int slave_ = -1;
    std::string link_;
    long completed_ = 0;
    std::string pending_;
    std::multimap<long long, Output> outputs_;
};

int Usage(const std::string& error)
{
    std::fprintf(stderr, "gpsclock-sim: %s\n(see the comment at the top of tools/gpsclock-sim.cpp)\n",
                 error.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string link, logPath, controlPath;
    bool exitWithParent = false;
    std::vector<std::string> behaviourArgs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--link" || arg == "--log" || arg == "--control") && i + 1 < argc) {
            (arg == "--link" ? link : arg == "--log" ? logPath : controlPath) = argv[++i];
        } else if (arg == "--exit-with-parent") {
            exitWithParent = true;
        } else {
            behaviourArgs.push_back(arg);
        }
    }
    Behaviour base;
    std::string error;
    if (!ApplySwitches(behaviourArgs, base, error)) return Usage(error);

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // The terminal is ours (see OpenTerminal): unplugging it hangs us up.
    signal(SIGHUP, SIG_IGN);
    if (exitWithParent) {
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) return 0;
    }

    std::srand(static_cast<unsigned>(MonotonicMs()) ^ static_cast<unsigned>(getpid()));
    Simulator simulator(base, logPath, controlPath);
    std::string slavePath;
    if (!simulator.OpenTerminal(link, slavePath)) {
        std::perror("gpsclock-sim: terminal");
        return 1;
    }
    std::printf("%s%s%s\n", slavePath.c_str(), link.empty() ? "" : " linked as ", link.c_str());
    std::fflush(stdout);
    simulator.Run();
    return 0;
}
