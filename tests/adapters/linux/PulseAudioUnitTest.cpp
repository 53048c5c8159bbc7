#include "adapters/linux/PulseMicrophone.h"

#include "core/platform/RealTimeRunLoop.h"

#include "core/sensors/AudioDetection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

namespace kestrel {
namespace {

std::optional<std::string> onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::filesystem::path candidate =
            std::filesystem::path(dirs.substr(start, end - start)) / program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return std::nullopt;
}

// A private PulseAudio server with a null sink and a 440 Hz sine source as
// its default source, on a socket in a temporary folder.
class PrivateServer {
public:
    PrivateServer() {
        const auto program = onPath("pulseaudio");
        if (!program) return;
        const std::string socket = (dir / "native").string();
        std::ofstream(dir / "default.pa")
            << "load-module module-null-sink sink_name=null\n"
               "load-module module-sine-source source_name=sine frequency=440\n"
               "set-default-source sine\n"
               "load-module module-native-protocol-unix auth-anonymous=1 socket="
            << socket << "\n";
        const std::string home = dir.path().string();
        const std::string script = (dir / "default.pa").string();
        pid_ = fork();
        if (pid_ == 0) {
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
            execl(program->c_str(), "pulseaudio", "-n", "-F", script.c_str(), "--daemonize=no",
                  "--exit-idle-time=-1", "--disable-shm=yes", "--log-level=0",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        server_ = "unix:" + socket;
        // Wait for the server process to answer (its start-up, not Kestrel's timing).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (PulseMicrophone(server_).available()) {
                ready_ = true;
                return;
            }
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~PrivateServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return ready_; }
    const std::string& server() const { return server_; }

private:
    test::TempDir dir;
    pid_t pid_ = -1;
    std::string server_;
    bool ready_ = false;
};

// Counts the cycles it processes and lets the test wait for them.
class CountingDetection final : public AudioDetection {
public:
    using AudioDetection::AudioDetection;
    ~CountingDetection() override { stopUnit(); }
    AudioStatus process(std::uint32_t* flags, double time, std::uint32_t frames,
                        AudioBufferList* buffers) override {
        // Cycles that come before startUnit has finished are skipped by the
        // detection; only those it measured count here.
        const bool measured = running();
        const AudioStatus status = AudioDetection::process(flags, time, frames, buffers);
        if (!measured) return status;
        bool silent = true;
        for (std::uint32_t i = 0; i < buffers->count; ++i) {
            const auto* bytes = static_cast<const std::uint8_t*>(buffers->buffers[i].data);
            for (std::uint32_t b = 0; b < buffers->buffers[i].byteSize; ++b)
                silent = silent && bytes[b] == 0;
        }
        std::lock_guard lock(mutex);
        ++cycles;
        heardAt.push_back(inputTime());
        allSilent = allSilent && silent;
        frameCount = frames;
        changed.notify_all();
        return status;
    }
    bool waitForCycles(int n) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return cycles >= n; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    int cycles = 0;
    std::vector<std::optional<RunLoop::Duration>> heardAt;  // each cycle's input time
    bool allSilent = true;
    std::uint32_t frameCount = 0;
};

TEST(PulseAudioUnitTest, RecordsFixedCyclesFromAPrivateServer) {
    PrivateServer server;
    if (!server.ready()) GTEST_SKIP() << "no pulseaudio server could be started here";
    PulseMicrophone microphone(server.server());
    CountingDetection detection(microphone);
    detection.setLevel(-1);  // no cycle gives this
    ASSERT_TRUE(detection.startUnit());
    EXPECT_EQ(detection.bitsPerSample(), 16);
    ASSERT_TRUE(detection.waitForCycles(5));
    EXPECT_TRUE(detection.stopUnit());
    std::lock_guard lock(detection.mutex);
    EXPECT_EQ(detection.frameCount, 1024u);
    EXPECT_TRUE(detection.allSilent);  // the output is cleared every cycle
    // The sine was measured: its RMS, at most that of a full-scale sine.
    EXPECT_GT(detection.level(), 0.0f);
    EXPECT_LE(detection.level(), 32768.0f / std::sqrt(2.0f) + 1);
    // Without a loop to time them on, cycles have no input time.
    for (const auto& time : detection.heardAt)
        EXPECT_FALSE(time);
}

TEST(PulseAudioUnitTest, EachCycleIsTimedOnTheLoopsClockWhenItWasHeard) {
    PrivateServer server;
    if (!server.ready()) GTEST_SKIP() << "no pulseaudio server could be started here";
    RealTimeRunLoop loop;
    PulseMicrophone microphone(server.server(), &loop);
    CountingDetection detection(microphone);
    detection.setLevel(-1);
    const RunLoop::Duration before = loop.now();
    ASSERT_TRUE(detection.startUnit());
    // The loop's clock moves while it runs, as in kestrel-cli.
    ASSERT_TRUE(loop.runUntil(
        [&] {
            std::lock_guard lock(detection.mutex);
            return detection.cycles >= 8;
        },
        RunLoop::seconds(10)));
    const RunLoop::Duration after = loop.now();
    EXPECT_TRUE(detection.stopUnit());
    std::lock_guard lock(detection.mutex);
    const RunLoop::Duration cycle = RunLoop::seconds(1024.0 / 44100.0);
    std::optional<RunLoop::Duration> previous;
    for (const auto& time : detection.heardAt) {
        ASSERT_TRUE(time);
        // Heard before it was read. The private server's sine source pushes
        // blocks of 2 s, so a new stream's first samples are up to 2 s old:
        // its latency says so.
        EXPECT_LE(*time, after);
        EXPECT_GT(*time, before - RunLoop::seconds(2.5));
        // The latency comes off each read, so cycles read in a burst still
        // lie a cycle's length apart.
        if (previous) {
            EXPECT_NEAR(RunLoop::toSeconds(*time - *previous), RunLoop::toSeconds(cycle), RunLoop::toSeconds(cycle) / 2)
                << "cycles are not a cycle's length apart";
        }
        previous = time;
    }
}

TEST(PulseAudioUnitTest, NoServerFailsCleanly) {
    test::TempDir dir;
    PulseMicrophone microphone("unix:" + (dir / "no-server").string());
    std::string error;
    EXPECT_FALSE(microphone.available(&error));
    EXPECT_FALSE(error.empty());
    AudioDetection detection(microphone);
    EXPECT_FALSE(detection.startUnit());
    EXPECT_FALSE(detection.running());
    EXPECT_TRUE(detection.stopUnit());
}

}  // namespace
}  // namespace kestrel
