// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty.h"

#include "protocol/frame.h"

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
    TAdapterPort adapter;
    ASSERT_FALSE(adapter.Path().empty());
    TSimMeter meter(TSimConfig{});

    int control[2];
    ASSERT_EQ(pipe(control), 0);
    volatile std::sig_atomic_t stop = 0;
    TPtyRunOptions options;
    options.controlFd = control[0];
    options.stop = &stop;
    std::thread loop([&] { RunOnPty(meter, adapter, options); });

    const int port = open(adapter.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(port, 0);
    ASSERT_EQ(write(port, "AT", 2), 2);
    EXPECT_EQ(ReadUntil(port, "OK"), "OK");
    ASSERT_EQ(write(port, "AT+CONNL", 8), 8);
    EXPECT_EQ(ReadUntil(port, "OK+CONN\r\n"), "OK+CONNLOK+CONN\r\n");

    close(control[1]);  // the end of the control input does not end the loop
    ASSERT_EQ(write(port, "AT", 2), 2);
    EXPECT_EQ(ReadUntil(port, "OK+LOST"), "OK+LOST");
    stop = 1;
    loop.join();
    close(control[0]);
    close(port);
}

}  // namespace
}  // namespace sim

namespace sim {
namespace {

struct ControlCase {
    const char* name;
    const char* line;
    const char* error;  // part of the error text; empty: applied
};

class SimControlLine : public ::testing::TestWithParam<ControlCase> {};

TEST_P(SimControlLine, AppliedOrRefusedWithAReason) {
    TSimMeter meter(TSimConfig{});
    TAdapterPort port;
    TNoise noise;
    const std::string error = ApplyControlLine(meter, port, noise, 0, GetParam().line);
    if (*GetParam().error == '\0')
        EXPECT_EQ(error, "");
    else
        EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SimControlLine,
    ::testing::Values(ControlCase{"sleep", "sleep", ""}, ControlCase{"part", "part C=100n", ""},
                      ControlCase{"bad_part", "part X=1", "bad part 'X=1'"},
                      ControlCase{"nopart", "nopart", ""},
                      ControlCase{"part_none", "part none", ""},
                      ControlCase{"noise", "noise 3", ""},
                      ControlCase{"noise_without_seconds", "noise", "noise needs whole seconds"},
                      ControlCase{"bad_checksum", "bad-checksum 4", ""},
                      ControlCase{"bad_checksum_negative", "bad-checksum -1", "frame count"},
                      ControlCase{"glued", "glued 3", ""},
                      ControlCase{"glued_without_count", "glued", "frame count"},
                      ControlCase{"late_connf", "late-connf 2000", ""},
                      ControlCase{"late_connf_off", "late-connf off", ""},
                      ControlCase{"late_connf_bad", "late-connf soon", "milliseconds or off"},
                      ControlCase{"unknown", "explode", "unknown control line 'explode'"}),
    [](const auto& info) { return std::string(info.param.name); });

// Taking the part out leaves open clips, far beyond the meter's range; putting
// one in again reads it.
TEST(SimControlLine, NoPartReadsOpenUntilAPartGoesIn) {
    TSimConfig config;
    config.noise = 0;
    TSimMeter meter(config);
    TAdapterPort port;
    TNoise noise;
    const auto rs = [&meter] { return protocol::DecodeSingle(meter.BuildFrame(), 0); };
    EXPECT_NEAR(rs(), 1000, 1);
    ASSERT_EQ(ApplyControlLine(meter, port, noise, 0, "nopart"), "");
    EXPECT_GT(rs(), 2e7);
    ASSERT_EQ(ApplyControlLine(meter, port, noise, 0, "part R=2k"), "");
    EXPECT_NEAR(rs(), 2000, 1);
}

// The link name follows the port: gone while unplugged, back on a new terminal.
TEST(SimAdapterPort, LinkNameFollowsThePort) {
    const std::string link = ::testing::TempDir() + "/adapter-link";
    TAdapterPort port(link);
    EXPECT_EQ(port.Path(), link);
    char first[256] = {};
    ASSERT_GT(readlink(link.c_str(), first, sizeof first - 1), 0);
    port.Unplug();
    EXPECT_FALSE(port.Plugged());
    EXPECT_NE(access(link.c_str(), F_OK), 0);
    port.Plug();
    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0);
    if (fd >= 0) close(fd);
}

}  // namespace
}  // namespace sim
