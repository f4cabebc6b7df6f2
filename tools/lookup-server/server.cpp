#include "server.h"

#include "long_request_server.h"
#include "pages.h"
#include "query.h"
#include "records.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>

namespace lookup {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

void SendError(httplib::Response& res, int status, std::string_view message) {
    res.status = status;
    res.set_content(ErrorPage(status, message), kHtml);
}

// For answers the library makes itself, such as a request line over its limit.
std::string_view StatusText(int status) {
    switch (status) {
    case 404:
        return "There is no such page here.";
    case 414:
        return "The address is too long.";
    default:
        return "The request could not be answered.";
    }
}

double MonotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string LogTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace

LookupServer::LookupServer(Store& store, const ServerOptions& options, std::ostream& log)
    : store_(store), options_(options), log_(log), limiter_(options.rate),
      http_(std::make_unique<LongRequestServer>()) {
    Route();
}

LookupServer::~LookupServer() = default;

bool LookupServer::Bind(std::string& error) {
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.host);
        if (port_ > 0)
            return true;
    } else if (http_->bind_to_port(options_.host, options_.port)) {
        port_ = options_.port;
        return true;
    }
    error = "cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
            " (is another server using that port, or is the address not this machine's?)";
    return false;
}

bool LookupServer::Run() {
    return http_->listen_after_bind();
}

void LookupServer::Stop() {
    http_->stop();
}

bool LookupServer::running() const {
    return http_->is_running();
}

void LookupServer::Route() {
    httplib::Server& http = *http_;
    // One connection may carry many requests; the client and the benchmark keep theirs open.
    http.set_keep_alive_max_count(100000);
    // An answer leaves in more than one write; with Nagle's algorithm the last one waits for
    // the client's delayed acknowledgement, 40 ms a request on a kept-alive connection.
    http.set_tcp_nodelay(true);
    // The library's default adds SO_REUSEPORT, which lets a second server share a port that is
    // already taken and receive half its requests; reusing only a closed port's address is
    // what a restart needs.
    http.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http.set_default_headers({{"Content-Security-Policy", "default-src 'self'"},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"}});

    http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        const int wait = limiter_.Take(req.remote_addr, MonotonicSeconds());
        if (wait == 0)
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_header("Retry-After", std::to_string(wait));
        SendError(res, 429, "Too many requests from this computer; please try again later.");
        return httplib::Server::HandlerResponse::Handled;
    });

    // Only the path goes into the log: query values carry file paths and the scan key.
    http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        std::lock_guard lock(log_mutex_);
        log_ << LogTime() << ' ' << req.remote_addr << ' ' << req.method << ' ' << req.path << ' '
             << res.status << ' ' << res.body.size() << '\n'
             << std::flush;
    });

    http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty())
            res.set_content(ErrorPage(res.status, StatusText(res.status)), kHtml);
    });

    http.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            SendError(res, 500, "The server could not answer this request.");
        });

    // Routes are regular expressions to the library: the dots are escaped.
    http.Get("/", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(HomePage(!options_.setup.empty()), kHtml);
    });

    http.Get(R"(/style\.css)", [](const httplib::Request&, httplib::Response& res) {
        const std::string_view css = StyleSheet();
        res.set_content(css.data(), css.size(), "text/css; charset=utf-8");
    });

    http.Get(R"(/priv\.html)", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(PrivacyPage(options_.keep_days), kHtml);
    });

    http.Get(R"(/prox\.asp)", [this](const httplib::Request& req, httplib::Response& res) {
        const QueryParams query = ParseQuery(QueryOf(req.target));
        const auto files = FindParam(query, "files");
        const auto key = FindParam(query, "sn");
        if (!files)
            return SendError(res, 400, "The request carries no files.");
        if (!key || !IsScanKey(*key))
            return SendError(res, 400, "The request carries no valid scan key.");
        const Batch batch = ParseBatch(*files);
        if (batch.error == BatchError::Empty)
            return SendError(res, 400, "The request carries no files.");
        if (batch.error == BatchError::TooMany)
            return SendError(res, 400,
                             "At most " + std::to_string(kMaxRecords) +
                                 " files may be checked in one request.");
        const auto verdicts = store_.AddRecords(*key, batch.records, std::time(nullptr));
        if (!verdicts) {
            res.set_header("Retry-After", "5");
            return SendError(res, 503, "The database could not store the files.");
        }
        res.set_header("Cache-Control", "no-store");
        res.set_content(CheckAnswer(batch.records, *verdicts), kHtml);
    });

    http.Get(R"(/scanresult\.asp)", [this](const httplib::Request& req, httplib::Response& res) {
        const auto key = FindParam(ParseQuery(QueryOf(req.target)), "sr");
        if (!key)
            return SendError(res, 400, "The address names no security check.");
        const auto records = IsScanKey(*key) ? store_.Scan(*key) : std::nullopt;
        if (!records)
            return SendError(res, 404, "No security check with this key is stored here.");
        res.set_header("Cache-Control", "no-store");
        res.set_content(ReportPage(*key, *records), kHtml);
    });

    http.Get(R"(/info\.asp)", [this](const httplib::Request& req, httplib::Response& res) {
        const QueryParams query = ParseQuery(QueryOf(req.target));
        const auto verdict =
            store_.FindVerdict(NormalizeDigest(FindParam(query, "md").value_or("")));
        res.set_content(InfoPage(query, verdict), kHtml);
    });

    http.Get(R"(/tessaly\.exe)", [this](const httplib::Request&, httplib::Response& res) {
        std::ifstream file(options_.setup, std::ios::binary);
        if (options_.setup.empty() || !file)
            return SendError(res, 404, "No setup program is offered here.");
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        res.set_header("Content-Disposition", "attachment; filename=\"tessaly.exe\"");
        res.set_content(bytes, "application/octet-stream");
    });
}

} // namespace lookup
