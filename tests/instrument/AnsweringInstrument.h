#pragma once
// The engine fixture with a fake instrument that answers: each command line the program
// writes, once its carriage return has gone out, is looked up among the answers given, and
// the answer is fed back to be read on the next tick.

#include <string>
#include <utility>
#include <vector>

#include "tests/instrument/EngineFixture.h"

namespace tidewell::test {

class Answering : public EngineTest {
  protected:
    // After `command` (with its CR) the instrument sends `reply`; a later answer for the same
    // command replaces it.
    void Answer(const std::string& command, std::string reply) {
        for (auto& [c, r] : replies) {
            if (c == command) {
                r = std::move(reply);
                return;
            }
        }
        replies.push_back({command, std::move(reply)});
        Port().onWrite = [this](std::string_view text) {
            heard.append(text);
            for (size_t cr; (cr = heard.find('\r')) != std::string::npos;) {
                const std::string line = heard.substr(0, cr + 1);
                heard.erase(0, cr + 1);
                for (const auto& [c, r] : replies)
                    if (line == c) Port().Feed(r);
            }
        };
    }
    std::vector<std::pair<std::string, std::string>> replies;
    std::string heard;  // written since the last carriage return
};

}  // namespace tidewell::test
