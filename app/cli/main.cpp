// tamblero-cli: reports and exports of the expense data file, for terminals and scripts.
#include "app/cli/Arguments.h"
#include "app/cli/Commands.h"
#include "app/cli/ConsolePlatform.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tamblero::cli;
    std::ios::sync_with_stdio(false);

    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedArguments parsed = ParseArguments(args);
    switch (parsed.outcome) {
    case ParsedArguments::Outcome::Help:
        std::cout << UsageText() << std::flush;
        return std::cout ? kExitSuccess : kExitUnreadable;
    case ParsedArguments::Outcome::UsageError:
        std::cerr << "tamblero-cli: " << parsed.error << '\n' << kShortUsageText;
        return kExitUsage;
    case ParsedArguments::Outcome::Run:
        break;
    }
    CConsolePlatform platform(argc > 0 ? argv[0] : "tamblero-cli");
    return Execute(parsed.request, platform, std::cout, std::cerr);
}
