// bench_memory [MAILS] [FOLDER]: MAILS (default 100000) generated headers as servers send them
// (Received chains, DKIM and ARC signatures, List-Unsubscribe, varied senders and subjects,
// 1.5 to 3 KB each) remembered, saved and loaded again through THeaderMemory in FOLDER (default:
// a fresh one under /tmp). Prints the file's size against the text's, and the best of three
// times of each step beside its peer in the same run: Load against reading the raw text from a
// file and against `zstd -q -d` of the compressed text, Save against `zstd -q` of the raw text.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "HeaderMemory.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;

const char* const kWords[] = {"invoice",
                              "meeting",
                              "update",
                              "your",
                              "account",
                              "weekly",
                              "report",
                              "order",
                              "shipped",
                              "reminder",
                              "project",
                              "review",
                              "offer",
                              "limited",
                              "time",
                              "security",
                              "alert",
                              "newsletter",
                              "Rechnung",
                              "Termin",
                              "Bestellung",
                              "versandt",
                              "Gr\xC3\xBC\xC3\x9F"
                              "e"};
const char* const kDomains[] = {"example.com",     "mail.example.net", "news.example.org",
                                "shop.example.de", "lists.example.io", "bank.example.co.uk"};

std::string Base64ish(std::mt19937& rng, size_t n) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    s.reserve(n);
    for (size_t i = 0; i < n; ++i)
        s.push_back(alphabet[rng() % 64]);
    return s;
}

std::string Folded(const std::string& name, const std::string& value) {
    std::string line = name + ": ";
    size_t col = line.size();
    for (size_t i = 0; i < value.size(); i += 72) {
        if (i > 0) {
            line += "\r\n\t";
            col = 1;
        }
        line += value.substr(i, 72);
        col += 72;
    }
    return line + "\r\n";
}

std::string Header(std::mt19937& rng, int i) {
    const std::string domain = kDomains[rng() % std::size(kDomains)];
    const std::string sender = "user" + std::to_string(rng() % 5000) + "@" + domain;
    std::string subject;
    for (int w = 0, n = 3 + static_cast<int>(rng() % 6); w < n; ++w)
        subject += std::string(w ? " " : "") + kWords[rng() % std::size(kWords)];
    std::string h;
    const int hops = 2 + static_cast<int>(rng() % 5);
    for (int hop = 0; hop < hops; ++hop)
        h += "Received: from mx" + std::to_string(rng() % 90) + "." + domain + " (mx" +
             std::to_string(hop) + "." + domain + " [192.0.2." + std::to_string(rng() % 255) +
             "])\r\n\tby mail.example.net (Postfix) with ESMTPS id " + Base64ish(rng, 12) +
             "\r\n\tfor <me@example.net>; Tue, " + std::to_string(1 + i % 28) + " Jan 2026 1" +
             std::to_string(rng() % 10) + ":0" + std::to_string(rng() % 10) + ":00 +0100\r\n";
    h += Folded("ARC-Seal", "i=1; a=rsa-sha256; t=17" + std::to_string(rng()) + "; cv=none; d=" +
                                domain + "; s=arc-2025; b=" + Base64ish(rng, 340));
    h += Folded("ARC-Authentication-Results", "i=1; mx.example.net; dkim=pass header.d=" + domain +
                                                  "; spf=pass smtp.mailfrom=" + sender +
                                                  "; dmarc=pass");
    h += Folded("DKIM-Signature",
                "v=1; a=rsa-sha256; c=relaxed/relaxed; d=" + domain + "; s=sel" +
                    std::to_string(rng() % 4) + "; h=from:to:subject:date:message-id; bh=" +
                    Base64ish(rng, 44) + "; b=" + Base64ish(rng, 340 + rng() % 400));
    h += "Message-ID: <" + Base64ish(rng, 24) + "@" + domain + ">\r\n";
    h += "Date: Tue, " + std::to_string(1 + i % 28) + " Jan 2026 10:00:00 +0100\r\n";
    h += "From: \"User " + std::to_string(rng() % 5000) + "\" <" + sender + ">\r\n";
    h += "To: me@example.net\r\n";
    h += "Subject: " + subject + "\r\n";
    if (rng() % 3 == 0)
        h += "List-Unsubscribe: <https://" + domain + "/unsubscribe/" + Base64ish(rng, 48) +
             ">, <mailto:unsubscribe@" + domain + "?subject=" + Base64ish(rng, 16) + ">\r\n";
    h += "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"" +
         Base64ish(rng, 28) + "\"\r\n\r\n";
    return h;
}

double BestMs(const std::function<void()>& step) {
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        step();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const int mails = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/memory-XXXXXX";
        folder = ::mkdtemp(pattern.data());
    }
    std::mt19937 rng(20260101);
    std::vector<std::string> headers;
    std::vector<std::string> ids;
    size_t rawBytes = 0;
    for (int i = 0; i < mails; ++i) {
        headers.push_back(Header(rng, i));
        ids.push_back("UID" + std::to_string(100000 + i) + "-" + std::to_string(rng()));
        rawBytes += headers.back().size();
    }
    const std::string rawPath = folder + "/raw.txt";
    {
        std::ofstream raw(rawPath, std::ios::binary);
        for (const std::string& h : headers)
            raw << h;
    }
    const std::string path = folder + "/Headers/account";
    const std::string key = "as-sent=0 lines=0";

    const double saveMs = BestMs([&] {
        THeaderMemory memory = THeaderMemory::Load(folder + "/none", key);
        for (int i = 0; i < mails; ++i)
            memory.Note(static_cast<TMsgNumber>(i + 1), ids[static_cast<size_t>(i)],
                        headers[static_cast<size_t>(i)]);
        memory.Save(path, true);
    });
    const auto fileBytes = std::filesystem::file_size(path);
    size_t known = 0;
    const double loadMs = BestMs([&] {
        const THeaderMemory memory = THeaderMemory::Load(path, key);
        if (memory.State() != THeaderMemory::TState::Loaded) {
            std::cerr << "bench_memory: " << memory.Problem() << "\n";
            std::exit(2);
        }
        known = memory.Count();
    });
    size_t taken = 0;
    const double takeMs = BestMs([&] {
        THeaderMemory memory = THeaderMemory::Load(path, key);
        taken = 0;
        for (const std::string& id : ids)
            taken += memory.Take(id) ? 1 : 0;
    });
    if (known != static_cast<size_t>(mails) || taken != known) {
        std::cerr << "bench_memory: " << known << " loaded, " << taken << " taken of " << mails
                  << "\n";
        return 2;
    }
    size_t readBytes = 0;
    const double readMs = BestMs([&] {
        std::ifstream in(rawPath, std::ios::binary);
        std::string text(std::filesystem::file_size(rawPath), '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        readBytes = static_cast<size_t>(in.gcount());
    });
    const std::string zstdCommand = "zstd -q -f '" + rawPath + "' -o '" + rawPath + ".zst'";
    int zstdStatus = 0;
    const double zstdMs = BestMs([&] { zstdStatus = std::system(zstdCommand.c_str()); });

    std::printf("mails                 %d\n", mails);
    std::printf("raw headers           %zu bytes (%.0f per mail)\n", rawBytes,
                static_cast<double>(rawBytes) / mails);
    std::printf("file                  %ju bytes (%.3f of raw)\n",
                static_cast<uintmax_t>(fileBytes),
                static_cast<double>(fileBytes) / static_cast<double>(rawBytes));
    std::printf("Load                  %.1f ms\n", loadMs);
    std::printf("  read raw text       %.1f ms (%zu bytes)   Load / read = %.2f\n", readMs,
                readBytes, loadMs / readMs);
    std::printf("Load + Take every id  %.1f ms\n", takeMs);
    std::printf("Note every mail+Save  %.1f ms\n", saveMs);
    if (zstdStatus == 0) {
        const std::string unzstd = "zstd -q -d -c '" + rawPath + ".zst' > /dev/null";
        const double unzstdMs = BestMs([&] { zstdStatus = std::system(unzstd.c_str()); });
        std::printf("  zstd -q -d of it    %.1f ms   Load / zstd -d = %.2f\n", unzstdMs,
                    loadMs / unzstdMs);
        std::printf("  zstd -q of raw text %.1f ms (%ju bytes)   Save / zstd = %.2f\n", zstdMs,
                    static_cast<uintmax_t>(std::filesystem::file_size(rawPath + ".zst")),
                    saveMs / zstdMs);
    } else {
        std::printf("  zstd -q of raw text: not run (status %d)\n", zstdStatus);
    }
    if (argc <= 2)
        std::filesystem::remove_all(folder);
    return 0;
}
