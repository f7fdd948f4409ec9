// bench_parse FILE [REPEAT]: loads a mail as the POP3 client does (one buffer, its lines
// indexed) and times Parse, from the lines to the decoded attachments. Prints one line of
// key=value pairs: the best times of the line indexing and of Parse, the peak resident memory, and
// what was decoded; then the cost per encoded word of a header with 50,000 words against one with
// 5,000 (words_ratio near 1: the decoding stays linear however many words a header holds).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include <sys/resource.h>

#include "MbxMIME.h"
#include "MbxMsg.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Best time of decoding a header text of `count` encoded words.
double DecodeWordsSeconds(int count, int repeat) {
    std::string in;
    for (int i = 0; i < count; ++i)
        in += "=?utf-8?Q?a_b?= ";
    double best = 1e9;
    for (int round = 0; round < repeat; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const std::string out = DecodeEncodedWords(in);
        best = std::min(best, secondsSince(start));
        // White space between two encoded words goes: "a b" per word, the last blank stays.
        if (out.size() != static_cast<size_t>(count) * 3 + 1)
            std::cerr << "bench_parse: encoded words decoded wrongly\n";
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: bench_parse FILE [REPEAT]\n";
        return 1;
    }
    const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    double bestSplit = 1e9, bestParse = 1e9;
    size_t fileSize = 0, attachmentBytes = 0, textLines = 0;
    int attachments = 0;
    for (int round = 0; round < repeat; ++round) {
        TMbxMsg msg;
        {
            std::ifstream in(argv[1], std::ios::binary);
            if (!in) {
                std::cerr << "bench_parse: cannot read " << argv[1] << "\n";
                return 1;
            }
            in.seekg(0, std::ios::end);
            std::string content(static_cast<size_t>(in.tellg()), '\0');
            in.seekg(0);
            in.read(content.data(), static_cast<std::streamsize>(content.size()));
            fileSize = content.size();
            const auto start = std::chrono::steady_clock::now();
            msg.RawMail = MailLines(std::move(content));
            bestSplit = std::min(bestSplit, secondsSince(start));
        }
        const auto start = std::chrono::steady_clock::now();
        msg.Parse();
        bestParse = std::min(bestParse, secondsSince(start));
        attachments = msg.Attachments.Count();
        attachmentBytes = 0;
        for (int i = 0; i < attachments; ++i)
            attachmentBytes += msg.Attachments.Items(i).Data.size();
        textLines = msg.Text.size();
    }
    std::cout << "file_bytes=" << fileSize << " split_s=" << bestSplit << " parse_s=" << bestParse
              << " peak_rss_kb=" << peakRssKb() << " attachments=" << attachments
              << " attachment_bytes=" << attachmentBytes << " text_lines=" << textLines;
    const double many = DecodeWordsSeconds(50000, repeat);
    const double few = DecodeWordsSeconds(5000, repeat);
    std::cout << " words_s=" << many << " words_ratio=" << many / (10 * few) << "\n";
    return 0;
}
