// bench_rules RULES HEADERS [REPEAT]: the rules in RULES over every listed header in HEADERS
// (records "SIZE\n" + header lines + "\r\n.\r\n", as TOP n 0 ends them); prints the best time
// of REPEAT runs (parsing the script included), wall clock and processor time (the machine
// may be shared), and how many mails were kept and discarded.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "RuleError.h"
#include "Rules.h"

namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    if (!in) {
        std::cerr << "bench_rules: cannot read " << path << "\n";
        std::exit(2);
    }
    return s.str();
}

struct TListed {
    uint64_t size;
    std::string_view header;
};

std::vector<TListed> Records(const std::string& data) {
    std::vector<TListed> mails;
    constexpr std::string_view kEnd = "\r\n.\r\n";
    for (size_t pos = 0; pos < data.size();) {
        const size_t newline = data.find('\n', pos);
        const size_t end = data.find(kEnd, newline);
        if (newline == std::string::npos || end == std::string::npos)
            break;
        mails.push_back({std::stoull(data.substr(pos, newline - pos)),
                         std::string_view(data).substr(newline + 1, end + 2 - newline - 1)});
        pos = end + kEnd.size();
    }
    return mails;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: bench_rules RULES HEADERS [REPEAT]\n";
        return 64;
    }
    const std::string script = ReadFile(argv[1]);
    const std::string data = ReadFile(argv[2]);
    const int repeat = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::vector<TListed> mails = Records(data);
    double best = 1e9, bestCpu = 1e9;
    size_t kept = 0, discarded = 0;
    try {
        for (int r = 0; r < repeat; ++r) {
            kept = discarded = 0;
            const auto start = std::chrono::steady_clock::now();
            const std::clock_t cpuStart = std::clock();
            const TRules rules(script);
            for (const TListed& m : mails) {
                const TRuleAction a = rules.Decide({m.header, m.size, std::nullopt}).action;
                kept += a == TRuleAction::Keep;
                discarded += a == TRuleAction::Discard;
            }
            best = std::min(
                best,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            bestCpu = std::min(bestCpu, double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        }
    } catch (const ERuleError& e) {
        std::cerr << "bench_rules: " << argv[1] << ":" << e.Line << ":" << e.Column << ": "
                  << e.what() << "\n";
        return 64;
    }
    std::cout << "mails=" << mails.size() << " seconds=" << best << " cpu=" << bestCpu
              << " kept=" << kept << " discarded=" << discarded << "\n";
    return 0;
}
