#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// A location service that replays a GPS receiver's NMEA 0183 log: the fixes
// of its RMC and GGA sentences (valid ones with a good checksum; others are
// skipped), reported on the run loop with the spacing the log's times give,
// starting when updates are started. Each report is stamped with the time
// it is made, as a receiver's live fix would be. After the last fix the
// service stays quiet, and like a receiver that has stopped moving answers
// the last fix again when asked.
class NmeaLocationManager final : public LocationManager {
public:
    struct Fix {
        double secondsOfDay = 0;
        double latitude = 0;
        double longitude = 0;
    };

    // None (with the reason) when the file cannot be read or holds no fix.
    static std::optional<std::vector<Fix>> readLog(const std::filesystem::path& file,
                                                   std::string* error = nullptr);
    // One sentence's fix, or none: a bad checksum, another sentence, no fix.
    static std::optional<Fix> parseSentence(const std::string& line);

    NmeaLocationManager(RunLoop& loop, std::vector<Fix> fixes);

    bool locationServicesEnabled() const override { return !fixes_.empty(); }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override;
    // The log sets the pace.
    void setUpdateInterval(double) override {}
    void requestUpdate() override;

private:
    void report(std::size_t index);
    void tell(const Fix& fix);

    std::vector<Fix> fixes_;
    Delegate* delegate_ = nullptr;
    Timer timer_;
    Timer answer_;
    bool started_ = false;
    std::optional<std::size_t> reported_;  // the latest fix reported
};

}  // namespace kestrel
