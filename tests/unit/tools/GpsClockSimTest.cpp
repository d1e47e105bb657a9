#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs the simulator on a pseudo-terminal and talks to it as the clock's
// owner would. Every wait is a hang guard of seconds, not a timing check.
class GpsClockSimTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> switches = {})
    {
        char pattern[] = "/tmp/gpsclock-sim-test.XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
        link_ = dir_ + "/com5";
        control_ = dir_ + "/control";
        log_ = dir_ + "/log";
        std::vector<std::string> args = {GPSCLOCK_SIM, "--link", link_, "--log", log_, "--control", control_};
        args.insert(args.end(), switches.begin(), switches.end());
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(&a[0]);
            argv.push_back(nullptr);
            if (freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 500 && access(link_.c_str(), F_OK) != 0; ++i) usleep(10000);
        port_ = open(link_.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(port_, 0);
        termios raw;
        ASSERT_EQ(0, tcgetattr(port_, &raw));
        cfmakeraw(&raw);
        ASSERT_EQ(0, tcsetattr(port_, TCSANOW, &raw));
    }

    void TearDown() override
    {
        if (port_ >= 0) close(port_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            EXPECT_NE(0, access(link_.c_str(), F_OK)) << "link left behind";
        }
        if (!dir_.empty()) {
            EXPECT_EQ(0, std::system(("rm -rf " + dir_).c_str()));
        }
    }

    void Send(const std::string& bytes) { ASSERT_EQ(ssize_t(bytes.size()), write(port_, bytes.data(), bytes.size())); }

    std::string Receive(size_t wanted)
    {
        std::string got;
        while (got.size() < wanted) {
            pollfd fd = {port_, POLLIN, 0};
            if (poll(&fd, 1, 5000) <= 0) break;
            char buffer[64];
            const ssize_t n = read(port_, buffer, std::min(sizeof(buffer), wanted - got.size()));
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }

    std::string Log() const
    {
        std::ifstream file(log_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    void Control(const std::string& switches)
    {
        const std::string fresh = control_ + ".new";
        std::ofstream(fresh) << "#" << ++generation_ << "\n" << switches << "\n";
        ASSERT_EQ(0, rename(fresh.c_str(), control_.c_str()));
        const std::string applied = "# control applied: #" + std::to_string(generation_) + " ";
        for (int i = 0; i < 500 && Log().find(applied) == std::string::npos; ++i) usleep(10000);
        ASSERT_NE(std::string::npos, Log().find(applied));
    }

    std::string dir_, link_, control_, log_;
    pid_t pid_ = -1;
    int port_ = -1;
    int generation_ = 0;
};

TEST_F(GpsClockSimTest, EchoesAndAnswersTheTimeCommand)
{
    Start();
    Send("b0\r\nTU");
    const std::string got = Receive(6 + 14);
    ASSERT_EQ(20u, got.size()) << got;
    EXPECT_EQ("b0\r\nTU", got.substr(0, 6));
    int day = 0, hour = -1, minute = -1, second = -1;
    EXPECT_EQ(4, std::sscanf(got.c_str() + 6, "%3d:%2d:%2d:%2d\r\n", &day, &hour, &minute, &second)) << got;
    EXPECT_TRUE(day >= 1 && day <= 366 && hour < 24 && minute < 60 && second < 61) << got;
    EXPECT_EQ("\r\n", got.substr(18));
    EXPECT_NE(std::string::npos, Log().find("rx 0d\nrx 0a\nrx 54\nrx 55\n"));
}

TEST_F(GpsClockSimTest, ReplyFaults)
{
    Start({"--fixed", "123:25:00:00"});
    Send("\r\nTU");
    EXPECT_EQ("\r\nTU123:25:00:00\r\n", Receive(18));

    Control("--reply short");
    Send("\r\nTU");
    Send("v");   // its echo follows the reply and marks the reply's end
    const std::string shortReply = Receive(4 + 13 + 1);
    EXPECT_EQ("\r\nTU123:25:00:00\rv", shortReply);

    Control("--reply garbage --extra-bytes 2");
    Send("b0\r\nTU");
    EXPECT_EQ("b0##\r\nTUABC:DE:FG:HI\r\n", Receive(22));
}

TEST_F(GpsClockSimTest, EchoFaultsCountCommandsFromTheLastControlChange)
{
    Start();
    Control("--bad-echo-from 2 --stray-from 3");
    Send("b0");
    EXPECT_EQ("b0", Receive(2));
    Send("0dg");
    EXPECT_EQ("\x10" "DG", Receive(3));
    Send("v");
    EXPECT_EQ("?V", Receive(2));
}

TEST_F(GpsClockSimTest, UnplugRemovesTheLink)
{
    Start({"--unplug-after", "1"});
    Send("b0");
    EXPECT_EQ("b0", Receive(2));
    for (int i = 0; i < 500 && access(link_.c_str(), F_OK) == 0; ++i) usleep(10000);
    EXPECT_NE(0, access(link_.c_str(), F_OK));
    EXPECT_NE(std::string::npos, Log().find("# unplugged"));
}

} // namespace
