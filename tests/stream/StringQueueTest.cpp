#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stream/StringQueue.h"

namespace tidewell {
namespace {

// A script of operations: "+x" adds x, "-" takes the next entry, "C" clears, "M n" sets the
// capacity. The result lists what each "-" returned and the size after the whole script.
struct Script {
    const char* name;
    std::vector<std::string> ops;
    std::vector<std::string> taken;
    int sizeAfter;
};

std::vector<std::string> RunScript(StringQueue& q, const std::vector<std::string>& ops) {
    std::vector<std::string> taken;
    for (const std::string& op : ops) {
        if (op[0] == '+') q.Add(op.substr(1));
        if (op[0] == '-') taken.push_back(q.GetNext());
        if (op[0] == 'C') q.Clear();
        if (op[0] == 'M') q.MaxSize(std::stoi(op.substr(2)));
    }
    return taken;
}

TEST(StringQueue, OperationTable) {
    const Script scripts[] = {
        {"empty queue gives the empty text", {"-", "-"}, {"", ""}, 0},
        {"first in, first out", {"+a", "+b", "+c", "-", "-"}, {"a", "b"}, 1},
        // capacity 10 holds 9; the tenth addition drops the oldest
        {"tenth addition drops the oldest",
         {"+1", "+2", "+3", "+4", "+5", "+6", "+7", "+8", "+9", "+10", "-", "-"},
         {"2", "3"},
         7},
        {"wraps round the ring",
         {"+1", "+2", "+3", "+4",  "+5",  "+6", "+7", "-", "-", "-", "-",
          "-",  "+8", "+9", "+10", "+11", "-",  "-",  "-", "-", "-", "-"},
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"},
         0},
        {"clear empties", {"+a", "+b", "C", "-"}, {""}, 0},
        {"capacity 3 holds two", {"M 3", "+a", "+b", "+c", "-", "-", "-"}, {"b", "c", ""}, 0},
        {"capacity 1 holds nothing", {"M 1", "+a", "-"}, {""}, 0},
        // A new capacity loses the entries but keeps the positions: the count stays and the
        // lost entries read as empty texts.
        {"new capacity loses the entries", {"+a", "+b", "M 20", "-", "-"}, {"", ""}, 0},
        {"empty texts are entries too", {"+", "+x", "-", "-"}, {"", "x"}, 0},
    };
    for (const Script& s : scripts) {
        StringQueue q;
        EXPECT_EQ(RunScript(q, s.ops), s.taken) << s.name;
        EXPECT_EQ(q.size(), s.sizeAfter) << s.name;
    }
}

TEST(StringQueue, SmallerCapacityAfterUseStaysInsideTheRing) {
    StringQueue q;
    q.MaxSize(1000);
    for (int i = 0; i < 500; ++i) q.Add("x");
    q.Clear();
    q.MaxSize(200);  // the cast list is emptied and resized this way
    for (int i = 0; i < 250; ++i) q.Add(std::to_string(i));
    EXPECT_EQ(q.size(), 199);
    EXPECT_EQ(q.GetNext(), "51");
}

}  // namespace
}  // namespace tidewell
