#include "display/GraphDefaults.h"

#include <gtest/gtest.h>

#include <map>

#include "display/GraphModel.h"

namespace tidewell {
namespace {

using Stored = std::map<std::string, std::string>;

GraphDefaults Read(const Stored& stored) {
    return ReadGraphDefaults([&](const std::string& key, const std::string& defaultText) {
        auto it = stored.find(key);
        return it == stored.end() ? defaultText : it->second;
    });
}

// the default texts, read in the store's own forms, give the defaults
TEST(GraphDefaults, EmptyStoreGivesTheTableDefaults) {
    EXPECT_EQ(Read({}), GraphDefaults{});
}

TEST(GraphDefaults, StoredValuesAndTextsThatDoNotRead) {
    GraphDefaults d = Read({
        {"GridOn", "0"},
        {"GridStyle", "9"},  // no such style
        {"GraphColor", "&HFF0000"},
        {"GridColor", "255"},
        {"DataColor 2", "&HFF00&"},
        {"DataColor 3", "green"},
        {"Marker 1", "triangle"},
        {"Marker 2", "Star"},
        {"AutoDataMin", "0"},
        {"DataMin", "-.5"},
        {"DataMax", "x"},
        {"ChannelOn 3", "False"},
        {"Units", "1"},
    });
    GraphDefaults plain;
    EXPECT_FALSE(d.GridOn);
    EXPECT_EQ(d.GridStyle, 0);
    EXPECT_EQ(d.GraphColor, (RgbColor{0, 0, 255}));  // blue in the high byte
    EXPECT_EQ(d.GridColor, (RgbColor{255, 0, 0}));
    EXPECT_EQ(d.DataColor[2], (RgbColor{0, 255, 0}));
    EXPECT_EQ(d.DataColor[3], plain.DataColor[3]);
    EXPECT_EQ(d.Marker[1], MarkerShape::Triangle);
    EXPECT_EQ(d.Marker[2], MarkerShape::Circle);
    EXPECT_EQ(d.Data, (AxisLimits{{false, -0.5}, {true, 0.01}}));
    EXPECT_FALSE(d.ChannelOn[3]);
    EXPECT_TRUE(d.feet);

    // a fixed limit applies only where its automatic flag is off
    GraphModel graph(d);
    graph.SetInstrumentType(1);
    graph.AddPoint(45000, 1, std::vector<double>{2, 3, 4, 5});
    EXPECT_EQ(graph.Range(GraphAxis::Y), (AxisRange{-0.5, 4 + 0.06}));  // trace 3 is off
    EXPECT_EQ(graph.Title(GraphAxis::X), "Depth (ft)");
}

}  // namespace
}  // namespace tidewell
