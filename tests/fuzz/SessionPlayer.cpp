#include "SessionPlayer.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "MbxMsg.h"
#include "MbxPOP3.h"
#include "ScriptedServer.h"

namespace {

using clock_type = std::chrono::steady_clock;

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

bool TempFolderEmpty() {
    const auto folder = std::filesystem::temp_directory_path();
    return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

// The script as the scripted server's steps.
void Script(ScriptedServer& server, std::string_view script) {
    while (script.size() >= 2) {
        const auto kind = static_cast<uint8_t>(script[0]);
        const auto length = static_cast<uint8_t>(script[1]);
        script.remove_prefix(2);
        switch (kind % 4) {
        case 0:
        case 1: {
            if (kind % 4 == 0)
                server.AwaitLine();
            std::string_view bytes = script.substr(0, length);
            script.remove_prefix(bytes.size());
            const size_t piece = kind / 4 % 16;
            do {
                const size_t n = piece == 0 ? bytes.size() : std::min(piece, bytes.size());
                server.Send(std::string(bytes.substr(0, n)));
                bytes.remove_prefix(n);
            } while (!bytes.empty());
            break;
        }
        case 2:
            server.Pause(std::chrono::milliseconds(length));
            break;
        case 3:
            server.Close();
            return;
        }
    }
}

// The client's whole session; what it did wrong, or "".
std::string RunClient(TMbxPOP& pop) {
    try {
        pop.Connect();
        if (!pop.Connected())
            return "";
        if (!pop.Login() || !pop.Connected())
            return "";
        pop.Stat();
        const int listed = std::min<int>(pop.MessageCount(), 3);
        for (int n = 1; n <= listed && pop.Connected(); ++n) {
            std::string header, size;
            pop.GetMsgHeader(static_cast<TMsgNumber>(n), header);
            if (pop.Connected())
                pop.GetMsgSize(n, size);
        }
        if (listed > 0 && pop.Connected()) {
            pop.Retrieve(1);
            if (pop.Connected())
                pop.DeleteMsg(1);
        }
        pop.Quit();
    } catch (const ESocketError&) {
        if (pop.Connected() || !pop.Failed())
            return "a transport failure left the session open or not failed";
    } catch (const std::invalid_argument&) {
        // STAT's count was not a number.
    } catch (const EUUDecodeError&) {
        // The retrieved mail's uuencoded part was damaged.
    } catch (const std::exception& e) {
        return std::string("unexpected exception: ") + e.what();
    }
    return "";
}

} // namespace

std::string PlayServerSession(std::string_view script, const TPlayLimits& limits) {
    if (!TempFolderEmpty())
        return "the temporary folder was not empty before the session";
    const int descriptors = OpenDescriptors();
    std::string wrong;
    // Every answer ends within its time-out, or as fast as the minimum rate allows for the
    // script's bytes; generous room on top for a loaded machine and the sanitizers.
    const auto perAnswer =
        limits.Receive + std::chrono::milliseconds(script.size() * 1000 / limits.MinRate);
    const auto bound = 20 * perAnswer + std::chrono::seconds(5);
    clock_type::duration took{};
    {
        ScriptedServer server;
        Script(server, script);
        server.Start();
        TMbxPOP pop;
        pop.Host = "127.0.0.1";
        pop.Port = std::to_string(server.port());
        pop.Security = TSecurity::None;
        pop.ConnectTimeout = std::chrono::seconds(5);
        pop.ReceiveTimeout = limits.Receive;
        pop.AnswerLimits.MinRate = limits.MinRate;
        pop.AnswerLimits.MaxHeaderAnswer = limits.Budget;
        pop.AnswerLimits.RetrieveSlack = limits.Budget;
        pop.AnswerLimits.UnlistedRetrieveBudget = limits.Budget;
        const auto start = clock_type::now();
        wrong = RunClient(pop);
        took = clock_type::now() - start;
    } // the client closes first, so the server stops listening to it at once
    if (!wrong.empty())
        return wrong;
    if (took > bound)
        return "the session took " +
               std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
               " ms, more than its bound";
    if (!TempFolderEmpty())
        return "a temporary file was left behind";
    if (OpenDescriptors() != descriptors)
        return "a descriptor was left open";
    return "";
}
