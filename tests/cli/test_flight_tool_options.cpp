// orrimar-flight's option table: the parser, --help and the man page name the same options,
// and the limits of a map and a shard say which argument passes them and by how much.
#include "cli/flight_tool_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orrimar {
namespace {

std::string ManPage()
{
    std::ifstream in(ORRIMAR_FLIGHT_MAN_PAGE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "--map-angle" as roff writes it: "\-\-map\-angle".
std::string Roff(const std::string& option)
{
    std::string escaped;
    for (const char c : option)
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
}

TEST(FlightToolOptionTable, ParserHelpAndManPageNameTheSameOptions)
{
    const std::string man = ManPage();
    ASSERT_FALSE(man.empty()) << ORRIMAR_FLIGHT_MAN_PAGE;
    const std::string help = FlightToolHelp();
    const std::vector<std::string> names = FlightToolOptionNames();
    ASSERT_GE(names.size(), 17u);
    for (const std::string& name : names) {
        EXPECT_NE(man.find(Roff(name)), std::string::npos) << name << " missing in the man page";
        EXPECT_NE(help.find(name), std::string::npos) << name << " missing in --help";
        // Known to the parser: whatever it says about a lone option, it is not "unknown".
        try {
            ParseFlightToolOptions({name});
        } catch (const ToolArgumentError& e) {
            EXPECT_EQ(std::string(e.what()).find("unknown option"), std::string::npos) << e.what();
        }
    }
    // And every option the help lists is one the parser knows.
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) != 0 && line.rfind("  -h", 0) != 0)
            continue;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            if (word.rfind("-", 0) == 0) {
                const std::string name = word.back() == ',' ? word.substr(0, word.size() - 1) : word;
                EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << line;
            }
    }
}

TEST(FlightToolOptionTable, LimitsNameWhatPassesThem)
{
    const std::vector<std::string> preset = {"--preset", "Collision"};
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--map-angle", "1", "2", "1", "--map-velocity", "0", "999999", "1"},
         "--map-velocity: more than 1000000 cells (2 angles x 1000000 velocities)"},
        {{"--map-angle", "0", "999999", "1", "--map-velocity", "11", "11.1", "0.1"},
         "--map-angle: more than 1000000 cells (1000000 angles x 2 velocities)"},
        {{"--map-angle", "0", "1000", "1", "--map-velocity", "10", "11", "0.001"},
         "--map-angle and --map-velocity: more than 1000000 cells (1001 angles x 1001 velocities)"},
        {{"--scan-angle", "1", "2", "1", "--shard", "1/1000001"},
         "--shard: '1/1000001' is not a part K/N with 1 <= K <= N <= 1000000"},
        {{"--scan-angle", "1", "2", "1", "--shard", "4/3"},
         "--shard: '4/3' is not a part K/N with 1 <= K <= N <= 1000000"},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> all = preset;
        all.insert(all.end(), args.begin(), args.end());
        try {
            ParseFlightToolOptions(all);
            ADD_FAILURE() << "accepted: " << expected;
        } catch (const ToolArgumentError& e) {
            EXPECT_EQ(e.what(), expected);
        }
    }
    // At the limit itself a map is fine.
    const FlightToolOptions o = ParseFlightToolOptions(
        {"--preset", "Collision", "--map-angle", "0", "999", "1", "--map-velocity", "10", "10.999", "0.001"});
    EXPECT_EQ(o.Grid.CellCount(), 1000000u);
}

}  // namespace
}  // namespace orrimar
