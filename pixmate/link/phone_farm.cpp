#include "pixmate/link/phone_farm.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "pixmate/link/message_text.h"

namespace pixmate::testing {

namespace {

// Built by appending: GCC 12 warns wrongly (-Wrestrict) about "literal" + std::string.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted.append(EscapeJsonText(text)).append("\"");
    return quoted;
}

JsonObject Failure(std::string_view why) {
    std::string text = R"({"ok":false,"error":)";
    text.append(Quoted(why)).append("}");
    JsonObject answer;
    answer.Parse(std::move(text));
    return answer;
}

}  // namespace

FarmCommand::FarmCommand(std::string_view cmd) {
    Set("cmd", cmd);
}

FarmCommand& FarmCommand::Set(std::string_view key, std::string_view value) {
    members_.append(",").append(Quoted(key)).append(":").append(Quoted(value));
    return *this;
}

FarmCommand& FarmCommand::Set(std::string_view key, std::int64_t value) {
    members_.append(",").append(Quoted(key)).append(":").append(std::to_string(value));
    return *this;
}

FarmCommand& FarmCommand::Set(std::string_view key, bool value) {
    members_.append(",").append(Quoted(key)).append(":").append(value ? "true" : "false");
    return *this;
}

bool PhoneFarm::Available() {
    const char* flag = std::getenv("PIXMATE_PHONE_FARM");
    return flag && std::string_view(flag) == "1";
}

PhoneFarm& PhoneFarm::Instance() {
    // Never destroyed: the reader thread blocks in a read of standard input until the end.
    static PhoneFarm* farm = new PhoneFarm();
    return *farm;
}

PhoneFarm::PhoneFarm() : reader_([this] { ReadAnswers(); }) {
    reader_.detach();
}

void PhoneFarm::ReadAnswers() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        JsonObject answer;
        if (!answer.Parse(std::string_view(line))) continue;
        const auto id = static_cast<std::int64_t>(answer.GetNumber("id"));
        std::lock_guard lock(mutex_);
        answers_[id] = line;
        answered_.notify_all();
    }
    std::lock_guard lock(mutex_);
    inputClosed_ = true;
    answered_.notify_all();
}

JsonObject PhoneFarm::Call(const FarmCommand& command, std::chrono::milliseconds timeout) {
    std::int64_t id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        // One write of the whole line, so that nothing else on standard error splits it.
        const std::string line =
            "@@phone-farm {\"id\":" + std::to_string(id) + command.Members() + "}\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
    std::unique_lock lock(mutex_);
    if (!answered_.wait_for(lock, timeout, [&] { return inputClosed_ || answers_.contains(id); })) {
        return Failure("no answer from the phone farm in time");
    }
    auto it = answers_.find(id);
    if (it == answers_.end()) return Failure("the phone farm has gone");
    JsonObject answer;
    answer.Parse(std::string_view(it->second));
    answers_.erase(it);
    return answer;
}

}  // namespace pixmate::testing
