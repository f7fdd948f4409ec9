// bench_space [MAILS]: MAILS (default 100000) generated headers (2,000 domains, senders and
// lists, dates over ten years, half the mails from one domain) listed into the list's rows and
// into the space view's index. Prints, best of three each, building the rows (the listing's
// own step, the peer) and beside it: grouping by every key, painting the treemap of the
// domains at 1280x800, marking the group of 50,000 through mark alike's path, and the memory
// the view adds against the memory the rows take. Times are CPU time.
#include <QApplication>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>

#include "ByteText.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "MarkAlike.h"
#include "MultiLst.h"
#include "NumberRuns.h"
#include "SpaceGroups.h"
#include "SpaceTreemap.h"
#include "SpaceView.h"

namespace {

// The process's CPU time in ms: on a machine shared with other work, wall time would count
// the waits for a core too, and the peer's and the step's waits would differ.
double CpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Best(int runs, const std::function<void()>& step, const std::function<void()>& reset = {}) {
    double best = 1e30;
    for (int k = 0; k < runs; ++k) {
        if (reset)
            reset();
        const double start = CpuMs();
        step();
        best = std::min(best, CpuMs() - start);
    }
    return best;
}

// The heap in use: freed blocks that the process keeps do not count, as they would in RSS.
long long HeapBytes() {
    return static_cast<long long>(mallinfo2().uordblks);
}

std::vector<std::string> Headers(int count) {
    std::mt19937 random(7);
    std::vector<std::string> headers;
    headers.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        const int domain = n % 2 == 0 ? 0 : static_cast<int>(random() % 2000);
        const int sender = static_cast<int>(random() % 20);
        std::string header = "From: Sender " + std::to_string(sender) + " <user" +
                             std::to_string(sender) + "+tag@mail.shop" + std::to_string(domain) +
                             ".co.uk>\r\nSubject: Mail " + std::to_string(n) + "\r\nDate: Tue, " +
                             std::to_string(1 + random() % 28) + " Mar " +
                             std::to_string(2016 + random() % 10) + " 10:00:00 +0100\r\n";
        if (random() % 3 == 0)
            header += "List-Id: <news" + std::to_string(domain) + ".example.co.uk>\r\n";
        if (random() % 4 == 0)
            header += "Content-Type: multipart/mixed; boundary=x\r\n";
        headers.push_back(header + "|");
    }
    return headers;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const std::vector<std::string> headers = Headers(count);
    std::vector<long long> sizes;
    std::mt19937 random(11);
    for (int n = 0; n < count; ++n)
        sizes.push_back(1000 + static_cast<long long>(random() % 2'000'000));

    TMultiList list;
    list.resize(1280, 600);
    TMailRows mails(list);
    const auto buildRows = [&] {
        TMailRowBatch batch;
        for (int n = 1; n <= count; ++n) {
            const std::string& header = headers[static_cast<std::size_t>(n - 1)];
            // The row text as the listing makes it: " N | size |" and the header's columns.
            std::string text = " ";
            text += std::to_string(n);
            text += " | ";
            text += DisplaySize(std::to_string(sizes[static_cast<std::size_t>(n - 1)]));
            text += " |";
            text += filter(header, false);
            batch.Add(FromMailText(text),
                      MailRowData(n, sizes[static_cast<std::size_t>(n - 1)], header));
        }
        batch.AddTo(mails);
        list.CheckSpacer();
    };
    // The memory of the first time each is built; the times are the best of three.
    const long long beforeRows = HeapBytes();
    buildRows();
    const long long rowsBytes = HeapBytes() - beforeRows;
    const double rows = Best(3, buildRows, [&] {
        list.clear();
        mails.ClearHeaders();
    });

    TSpaceIndex index;
    const auto buildIndex = [&] {
        for (int n = 1; n <= count; ++n)
            index.Add(n, sizes[static_cast<std::size_t>(n - 1)],
                      headers[static_cast<std::size_t>(n - 1)]);
    };
    const long long beforeIndex = HeapBytes();
    buildIndex();
    std::vector<TSpaceGroup> senders = GroupMails(index, TGrouping::Sender);
    const long long viewBytes = HeapBytes() - beforeIndex;
    senders.clear();
    const double indexing = Best(3, buildIndex, [&] { index.Clear(); });

    std::printf("%d mails; building the list's rows (peer): %.1f ms\n", count, rows);
    std::printf("  reading the listed headers into the space index (at the view's first opening): "
                "%.1f ms (%.2f x rows)\n",
                indexing, indexing / rows);
    double worstGrouping = 0;
    std::vector<TSpaceGroup> domains;
    for (const auto& [name, by] :
         std::vector<std::pair<const char*, TGrouping>>{{"sender", TGrouping::Sender},
                                                        {"domain", TGrouping::Domain},
                                                        {"list", TGrouping::List},
                                                        {"year", TGrouping::Year},
                                                        {"size", TGrouping::Size},
                                                        {"attachments", TGrouping::Attachments}}) {
        std::vector<TSpaceGroup> groups;
        const double ms = Best(3, [&] { groups = GroupMails(index, by); });
        worstGrouping = std::max(worstGrouping, ms);
        std::printf("  grouping by %-11s %7.1f ms (%.3f x rows), %zu groups\n", name, ms, ms / rows,
                    groups.size());
        if (by == TGrouping::Domain)
            domains = std::move(groups);
    }

    TSpaceTreemap treemap(nullptr);
    treemap.Label = [](const TSpaceGroup& g) { return QString::fromStdString(g.Key) + "\n1 MB"; };
    treemap.resize(1280, 800);
    treemap.SetGroups(&domains, index.Bytes());
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const double paint = Best(3, [&] {
        QPainter painter(&image);
        treemap.render(&painter);
    });
    std::printf("  treemap of %zu domains painted at 1280x800: %.1f ms (%.3f x rows), %zu tiles\n",
                domains.size(), paint, paint / rows, treemap.Placed().size());

    const TSpaceGroup& largest = domains.front();
    int marked = 0;
    const double mark = Best(
        3,
        [&] {
            const TAlikeRows chosen = GroupRows(list, NumbersIn(index, largest.By, largest.Id),
                                                [](int) { return false; });
            list.selectionModel()->select(chosen.Rows, QItemSelectionModel::Select);
            marked = chosen.Count;
        },
        [&] { list.clearSelection(); });
    std::printf("  marking the group of %d mails: %.1f ms (%.3f x rows)\n", marked, mark,
                mark / rows);
    std::printf("  memory: the index and the groups by sender add %.1f MB (the index itself about "
                "%.1f MB) beside the rows' %.1f MB (%.2f x)\n",
                viewBytes / 1e6, index.MemoryBytes() / 1e6, rowsBytes / 1e6,
                rowsBytes > 0 ? static_cast<double>(viewBytes) / rowsBytes : 0.0);
    std::printf("targets: grouping %.1f <= 100 ms, paint %.1f <= 30 ms, marking %.1f <= 100 ms, "
                "memory %.1f <= 50 MB\n",
                worstGrouping, paint, mark, viewBytes / 1e6);
    return 0;
}
