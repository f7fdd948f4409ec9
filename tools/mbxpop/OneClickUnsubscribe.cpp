#include "Unsubscribe.h"

#include "EscapedLine.h"
#include "OneClickPost.h"

#include <QCoreApplication>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

// Qt's network thread is done once the manager is gone, but it leaves the system a moment
// later, freeing its OpenSSL state then: mbxpop ends after it, so nothing is left behind.
void WaitForOtherThreads() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto threads = [] {
        std::error_code error;
        const auto tasks = std::filesystem::directory_iterator("/proc/self/task", error);
        return error ? 1
                     : std::distance(std::filesystem::begin(tasks), std::filesystem::end(tasks));
    };
    while (threads() > 1 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace

bool PostOneClick(const std::string& uri, const TUnsubscribeRequest& request, bool german,
                  std::ostream& out, std::ostream& err) {
    // Qt Network needs an application object for its event loop; mbxpop makes one only here.
    static int argc = 1;
    static char name[] = "mbxpop";
    static char* argv[] = {name, nullptr};
    TOneClickResult result;
    {
        QCoreApplication application(argc, argv);
        TOneClickPost post;
        post.CaFile = QString::fromStdString(request.CaFile);
        if (request.TimeoutSeconds > 0)
            post.TimeoutMs = request.TimeoutSeconds * 1000;
        result = post.Run(QUrl(QString::fromStdString(uri), QUrl::StrictMode));
    }
    WaitForOtherThreads();
    const std::string text = EscapedLine(result.Text(german).toStdString());
    (result.Ok() ? out : err) << (result.Ok() ? "" : "mbxpop: ") << text << "\n";
    return result.Ok();
}
