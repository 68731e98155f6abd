#pragma once
// The C++ side of the phone farm (tools/phone-sim/bin/phone-farm.js): a test program started
// under the farm stages simulated phones and plain WebSocket clients with commands, natively
// and under Wine alike. Commands go out as marked lines on standard error; answers come back as
// lines on standard input.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "pixmate/json/json_object.h"

namespace pixmate::testing {

// A JSON object built member by member: FarmCommand("phone").Set("name", "A").Set("port", 1).
class FarmCommand {
  public:
    explicit FarmCommand(std::string_view cmd);
    FarmCommand& Set(std::string_view key, std::string_view value);
    FarmCommand& Set(std::string_view key, const char* value) {
        return Set(key, std::string_view(value));
    }
    FarmCommand& Set(std::string_view key, std::int64_t value);
    FarmCommand& Set(std::string_view key, int value) { return Set(key, std::int64_t{value}); }
    FarmCommand& Set(std::string_view key, bool value);
    const std::string& Members() const { return members_; }

  private:
    std::string members_;
};

class PhoneFarm {
  public:
    // True when this program runs under the farm.
    static bool Available();
    static PhoneFarm& Instance();

    // Sends the command and waits for its answer. The answer's "ok" is false on failure or
    // timeout, with "error" saying why.
    JsonObject Call(const FarmCommand& command,
                    std::chrono::milliseconds timeout = std::chrono::seconds(120));

  private:
    PhoneFarm();
    void ReadAnswers();

    std::mutex mutex_;
    std::condition_variable answered_;
    std::map<std::int64_t, std::string> answers_;
    std::int64_t nextId_ = 1;
    bool inputClosed_ = false;
    std::thread reader_;
};

}  // namespace pixmate::testing
