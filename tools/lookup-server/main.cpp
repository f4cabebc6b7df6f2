// lookup-server: answers the security check and the file lookups of Tessaly on one address.
//   lookup-server --listen 127.0.0.1:PORT --data DIR [--verdicts FILE.csv] [--setup FILE]
//                 [--rate N] [--keep-days N]
#include "server.h"
#include "store.h"
#include "verdict_csv.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <thread>

namespace {

constexpr const char* kUsage =
    "usage: lookup-server --listen HOST:PORT --data DIR [--verdicts FILE.csv] [--setup FILE]\n"
    "                     [--rate N] [--keep-days N]\n";

int Fail(const std::string& message) {
    std::cerr << "lookup-server: " << message << '\n';
    return 1;
}

bool ParseNumber(std::string_view text, int min, int max, int& value) {
    if (text.empty() || text.size() > 9)
        return false;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    if (number < min || number > max)
        return false;
    value = number;
    return true;
}

bool ParseListen(std::string_view text, lookup::ServerOptions& options) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    options.host = std::string(text.substr(0, colon));
    return ParseNumber(text.substr(colon + 1), 0, 65535, options.port);
}

bool ParseArguments(int argc, char** argv, lookup::ServerOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h")
            return false; // no error: the usage alone
        if (i + 1 >= argc) {
            error = "missing value after " + std::string(name);
            return false;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (name == "--listen")
            ok = ParseListen(value, options);
        else if (name == "--data")
            options.data = value;
        else if (name == "--verdicts")
            options.verdicts = value;
        else if (name == "--setup")
            options.setup = value;
        else if (name == "--rate")
            ok = ParseNumber(value, 0, 100000000, options.rate);
        else if (name == "--keep-days")
            ok = ParseNumber(value, 1, 100000, options.keep_days);
        else {
            error = "unknown option " + std::string(name);
            return false;
        }
        if (!ok) {
            error = "bad value for " + std::string(name) + ": " + std::string(value);
            return false;
        }
    }
    if (options.data.empty()) {
        error = "--data DIR is required";
        return false;
    }
    return true;
}

// Reads the verdict table into the store; false stops the server.
bool ImportVerdicts(lookup::Store& store, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Fail("cannot read the verdict file " + path);
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const lookup::VerdictTable table = lookup::ParseVerdictCsv(text);
    for (const lookup::CsvProblem& problem : table.problems)
        std::cerr << path << ':' << problem.line << ": " << problem.message << '\n';
    if (!table.header_ok) {
        Fail("the verdict file " + path + " was not imported");
        return false;
    }
    if (!store.ReplaceVerdicts(table.rows)) {
        Fail("cannot store the verdicts of " + path);
        return false;
    }
    std::cerr << "lookup-server: " << table.rows.size() << " verdicts from " << path << " ("
              << table.problems.size() << " lines skipped)\n";
    return true;
}

// Deletes old records now and then every hour until told to stop.
class Pruner {
public:
    Pruner(lookup::Store& store, int keep_days) : store_(store), keep_days_(keep_days) {
        thread_ = std::thread([this] { Loop(); });
    }
    ~Pruner() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    void Loop() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            store_.Prune(std::time(nullptr) - int64_t{keep_days_} * 86400);
            wake_.wait_for(lock, std::chrono::hours(1), [this] { return stop_; });
        }
    }

    lookup::Store& store_;
    const int keep_days_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    lookup::ServerOptions options;
    std::string error;
    if (!ParseArguments(argc, argv, options, error)) {
        if (!error.empty())
            std::cerr << "lookup-server: " << error << '\n';
        std::cerr << kUsage;
        return error.empty() ? 0 : 2;
    }

    // Termination signals are taken by one thread with sigwait, so every other thread
    // (including the library's workers) runs with them blocked and the stop is orderly.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    // A client that goes away mid-answer must not end the server.
    signal(SIGPIPE, SIG_IGN);

    auto store = lookup::Store::Open(options.data, error);
    if (!store)
        return Fail(error);
    if (!options.verdicts.empty() && !ImportVerdicts(*store, options.verdicts))
        return 1;

    lookup::LookupServer server(*store, options, std::cerr);
    if (!server.Bind(error))
        return Fail(error);

    std::atomic<bool> finished{false};
    std::thread stopper([&] {
        int signal_number = 0;
        sigwait(&stop_signals, &signal_number);
        if (finished)
            return;
        // The signal may come before serving has begun; stop as soon as it has.
        while (!finished && !server.running())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        server.Stop();
    });

    bool served;
    {
        Pruner pruner(*store, options.keep_days);
        std::cout << "listening on http://" << options.host << ':' << server.port() << "/"
                  << std::endl;
        served = server.Run();
    }
    finished = true;
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    if (!served)
        return Fail("the server stopped unexpectedly");
    std::cerr << "lookup-server: stopped\n";
    return 0;
}
