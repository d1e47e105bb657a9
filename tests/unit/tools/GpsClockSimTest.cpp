#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Runs the simulator on a pseudo-terminal and asks it the time as the clock's
// owner would. Every wait is a hang guard of seconds, not a timing check.
TEST(GpsClockSim, EchoesAndAnswersTheTimeCommand)
{
    char pattern[] = "/tmp/gpsclock-sim-test.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const std::string dir = pattern, link = dir + "/com5";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
        execl(GPSCLOCK_SIM, GPSCLOCK_SIM, "--link", link.c_str(), "--log", (dir + "/log").c_str(), "--control",
              (dir + "/control").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 500 && access(link.c_str(), F_OK) != 0; ++i) usleep(10000);
    const int port = open(link.c_str(), O_RDWR | O_NOCTTY);
    termios raw;
    std::string got;
    if (port >= 0 && tcgetattr(port, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(port, TCSANOW, &raw);
        EXPECT_EQ(6, write(port, "b0\r\nTU", 6));
        char buffer[20];
        pollfd fd = {port, POLLIN, 0};
        for (ssize_t n; got.size() < 20 && poll(&fd, 1, 5000) > 0 && (n = read(port, buffer, 20 - got.size())) > 0;)
            got.append(buffer, size_t(n));
    }
    if (port >= 0) close(port);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(0, std::system(("rm -rf " + dir).c_str()));

    // The echo, then "DDD:HH:MM:SS" and CR LF.
    int day = 0, hour = -1, minute = -1, second = -1;
    ASSERT_EQ(20u, got.size()) << got;
    EXPECT_EQ("b0\r\nTU", got.substr(0, 6));
    EXPECT_EQ(4, std::sscanf(got.c_str() + 6, "%3d:%2d:%2d:%2d", &day, &hour, &minute, &second)) << got;
    EXPECT_TRUE(day >= 1 && day <= 366 && hour < 24 && minute < 60 && second < 61) << got;
    EXPECT_EQ("\r\n", got.substr(18));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
