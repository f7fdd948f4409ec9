// score_files --scorer spamc|rspamc|bogofilter [--address A] [--wordlist DIR] [--parallel P]
//             FILE...
// Scores each file (a header, or a whole mail) through the spam scorer pool and prints how
// many got a score; the scorer's problem, if any, on stderr. Exit status 1 when one did not.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "ScorerProblem.h"
#include "SpamScorer.h"

int main(int argc, char** argv) {
    TScorerConfig config;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scorer" && hasValue && ScorerKindFromName(argv[i + 1])) {
            config.Kind = *ScorerKindFromName(argv[++i]);
        } else if (arg == "--address" && hasValue) {
            config.Address = argv[++i];
        } else if (arg == "--wordlist" && hasValue) {
            config.WordListDir = argv[++i];
        } else if (arg == "--parallel" && hasValue) {
            config.Parallel = static_cast<unsigned>(std::stoul(argv[++i]));
        } else if (arg.rfind("--", 0) == 0) {
            std::cerr << "score_files: bad option " << arg << "\n";
            return 64;
        } else {
            files.push_back(arg);
        }
    }
    config.Timeout = std::chrono::seconds(60);
    TSpamScorer scorer(config);
    for (size_t i = 0; i < files.size(); ++i) {
        std::ifstream in(files[i], std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        scorer.Score(i, bytes.str());
    }
    scorer.WaitIdle();
    size_t scored = 0;
    for (const auto& result : scorer.TakeResults())
        scored += result.Score ? 1 : 0;
    if (auto problem = scorer.TakeProblem())
        std::cerr << "score_files: " << ScorerProblemText(*problem, false) << "\n";
    std::cout << "scored " << scored << " of " << files.size() << " with " << scorer.Parallel()
              << " in flight\n";
    return scored == files.size() ? 0 : 1;
}
