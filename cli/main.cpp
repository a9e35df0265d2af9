// orrimar-flight: flies launches without a window and prints what they reach.
#include "cli/flight_tool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return orrimar::RunFlightTool(args, std::cout, std::cerr);
}
