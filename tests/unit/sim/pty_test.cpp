#include "sim/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace sim {
namespace {

// Reads from `fd` until `expected` has arrived or about two seconds passed.
std::string ReadUntil(int fd, const std::string& expected) {
    std::string got;
    for (int i = 0; i < 200 && got.find(expected) == std::string::npos; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0) continue;
        char buffer[64];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

TEST(SimPty, AdapterAnswersOnTheSlaveSide) {
    TPtyPair pty;
    ASSERT_FALSE(pty.SlavePath().empty());
    TSimMeter meter(TSimConfig{});

    int control[2];
    ASSERT_EQ(pipe(control), 0);
    TPtyRunOptions options;
    options.controlFd = control[0];
    std::thread loop([&] { RunOnPty(meter, pty, options); });

    const int port = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(port, 0);
    ASSERT_EQ(write(port, "AT", 2), 2);
    EXPECT_EQ(ReadUntil(port, "OK"), "OK");
    ASSERT_EQ(write(port, "AT+CONNL", 8), 8);
    EXPECT_EQ(ReadUntil(port, "OK+CONN\r\n"), "OK+CONNLOK+CONN\r\n");

    close(control[1]);  // end of the control input ends the loop
    loop.join();
    close(control[0]);
    close(port);
}

}  // namespace
}  // namespace sim
