// The real lookup-server program, started in a private data folder and spoken to over HTTP.
#include "long_request_server.h"
#include "query.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

struct TempDir {
    fs::path path;
    TempDir() {
        char name[] = "/tmp/lookup-server-test-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempDir() { fs::remove_all(path); }
};

// One run of the program. Its standard error goes to a file the test can read.
class ServerProcess {
public:
    ServerProcess(const fs::path& folder, std::vector<std::string> extra)
        : log_(folder / "log.txt") {
        std::vector<std::string> args = {LOOKUP_SERVER, "--listen", "127.0.0.1:0", "--data",
                                         (folder / "data").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
        first_line_ = ReadLine(10000);
    }
    ~ServerProcess() {
        if (pid_ > 0)
            Stop();
        close(stdout_);
    }

    // The line the program prints when it is ready, or "" if it ended first.
    const std::string& first_line() const { return first_line_; }

    int port() const {
        const size_t colon = first_line_.rfind(':');
        return colon == std::string::npos ? 0 : std::stoi(first_line_.substr(colon + 1));
    }

    // Sends SIGTERM and answers the exit status (-1 when it had to be killed).
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait(10000);
    }

    int Wait(int timeout_ms) {
        int status = 0;
        for (int waited = 0; waited < timeout_ms; waited += 10) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return -1;
    }

    std::string log() const { return ReadFile(log_); }

private:
    std::string ReadLine(int timeout_ms) {
        std::string line;
        char c;
        pollfd fd{stdout_, POLLIN, 0};
        while (poll(&fd, 1, timeout_ms) > 0 && read(stdout_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    fs::path log_;
    pid_t pid_ = 0;
    int stdout_ = -1;
    std::string first_line_;
};

std::string Record(const std::string& name, const std::string& md5,
                   const std::string& path = "c:\\x") {
    return name + "<Acme<Tool<1.0<42<" + path + "<" + md5 + "<Windows 7";
}

std::string CheckPath(const std::vector<std::string>& records, const std::string& key) {
    std::string files;
    for (const auto& r : records)
        files += r + "|";
    return "/prox.asp?files=" + lookup::PercentEncode(files) + "&p=5&s=2&sn=" + key;
}

const char* kDangerous = "0123456789abcdef0123456789abcdef";
const char* kSafe = "D41D8CD98F00B204E9800998ECF8427E";
const char* kUnknown = "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF";

class LookupServerTest : public testing::Test {
protected:
    void SetUp() override {
        std::ofstream(dir_.path / "verdicts.csv")
            << "md5,verdict,name,note\n"
            << kDangerous << ",3,Trojan.Demo,\"Steals \"\"passwords\"\", sends them\"\n"
            << kSafe << ",6,Empty file,\n"
            << "broken line\n";
    }

    std::unique_ptr<ServerProcess> Start(std::vector<std::string> extra = {}) {
        auto server = std::make_unique<ServerProcess>(dir_.path, std::move(extra));
        EXPECT_EQ(server->first_line(),
                  "listening on http://127.0.0.1:" + std::to_string(server->port()) + "/");
        return server;
    }

    std::vector<std::string> WithVerdicts() {
        return {"--verdicts", (dir_.path / "verdicts.csv").string()};
    }

    TempDir dir_;
};

TEST_F(LookupServerTest, AnswersEachRecordInOrderAndKeepsThemAcrossARestart) {
    const std::vector<std::string> batch = {
        Record("evil.exe", kDangerous), Record("empty.dll", "d41d8cd98f00b204e9800998ecf8427e"),
        Record("new.dll", kUnknown), Record("nodigest.dll", ""), "only<three<fields"};
    {
        auto server = Start(WithVerdicts());
        httplib::Client client("127.0.0.1", server->port());
        auto res = client.Get(CheckPath(batch, "253635901-45296").c_str());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_EQ(res->body, "evil.exe=3:empty.dll=6:new.dll=0:nodigest.dll=0:only=0");
        // A second batch of the same check adds to it.
        res = client.Get(CheckPath({Record("late.exe", kSafe)}, "253635901-45296").c_str());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body, "late.exe=6");
        EXPECT_EQ(server->Stop(), 0);
        EXPECT_NE(server->log().find("verdicts.csv:4:"), std::string::npos) << server->log();
    }
    // Started again without the verdict file: the records and the table are still there.
    auto server = Start();
    httplib::Client client("127.0.0.1", server->port());
    auto res = client.Get("/scanresult.asp?sr=253635901-45296");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    const std::string& page = res->body;
    const char* rows[] = {
        "\"0123456789ABCDEF0123456789ABCDEF\" data-verdict=\"3\" data-batch=\"1\"><td "
        "data-label=\"File\" class=\"name\">evil.exe",
        "\"D41D8CD98F00B204E9800998ECF8427E\" data-verdict=\"6\" data-batch=\"1\"><td "
        "data-label=\"File\" class=\"name\">empty.dll",
        "\"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\" data-verdict=\"0\" data-batch=\"1\"><td "
        "data-label=\"File\" class=\"name\">new.dll",
        "\"\" data-verdict=\"0\" data-batch=\"1\"><td data-label=\"File\" "
        "class=\"name\">nodigest.dll",
        "\"\" data-verdict=\"0\" data-batch=\"1\"><td data-label=\"File\" class=\"name\">only",
        "\"D41D8CD98F00B204E9800998ECF8427E\" data-verdict=\"6\" data-batch=\"2\"><td "
        "data-label=\"File\" class=\"name\">late.exe",
    };
    size_t at = 0;
    for (const char* row : rows) {
        const size_t found = page.find(row, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << row;
        at = found + 1;
    }
    EXPECT_EQ(Count(page, "data-md5="), 6u);
    // The warning comes first, with the table's name and note.
    const size_t warning = page.find("Trojan.Demo");
    EXPECT_NE(warning, std::string::npos);
    EXPECT_LT(warning, page.find("data-md5="));
    EXPECT_NE(page.find("Steals &quot;passwords&quot;, sends them"), std::string::npos);
    EXPECT_NE(page.find("<dt>Files checked</dt><dd>6</dd>"), std::string::npos);
    EXPECT_NE(page.find("<dt>Warnings</dt><dd>1</dd>"), std::string::npos);
    EXPECT_NE(page.find("<dt>Requests</dt><dd>2</dd>"), std::string::npos);

    res = client.Get(CheckPath({Record("again.exe", kDangerous)}, "1-1").c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "again.exe=3");
}

TEST_F(LookupServerTest, SentTextIsEscapedEverywhere) {
    auto server = Start(WithVerdicts());
    httplib::Client client("127.0.0.1", server->port());
    const std::string attack = "q\" onmouseover=\"x";
    const std::string tag = "<img src=x onerror=alert(1)>";
    // "<" cannot travel inside a record, but it can in a lookup.
    auto res = client.Get(
        CheckPath({attack + "<Smith & Sons<a:b<1<2<c:\\" + attack + "<" + kDangerous + "<W"}, "5-5")
            .c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "q&quot; onmouseover=&quot;x=3");
    res = client.Get("/scanresult.asp?sr=5-5");
    ASSERT_TRUE(res);
    res = client.Get(("/info.asp?fname=" + lookup::PercentEncode(attack) +
                      "&sz=1&faname=" + lookup::PercentEncode("Smith & Sons") +
                      "&fdesc=" + lookup::PercentEncode(tag) + "&ver=1&md=" + kDangerous +
                      "&pth=" + lookup::PercentEncode(tag))
                         .c_str());
    ASSERT_TRUE(res);
    for (const std::string& page : {client.Get("/scanresult.asp?sr=5-5")->body, res->body}) {
        EXPECT_EQ(page.find("onmouseover=\"x"), std::string::npos);
        EXPECT_EQ(page.find("<img"), std::string::npos);
        EXPECT_NE(page.find("q&quot; onmouseover=&quot;x"), std::string::npos);
        EXPECT_NE(page.find("Smith &amp; Sons"), std::string::npos);
    }
    EXPECT_NE(res->body.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(res->body.find("data-md5=\"0123456789ABCDEF0123456789ABCDEF\" data-verdict=\"3\""),
              std::string::npos);
    EXPECT_NE(res->body.find("Trojan.Demo"), std::string::npos);
    // A name with ":" still gives exactly one item.
    res = client.Get(CheckPath({Record("a:b:c.exe", kSafe)}, "5-5").c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "a&#58;b&#58;c.exe=6");
}

TEST_F(LookupServerTest, RefusesBadRequestsWithTheirStatus) {
    auto server = Start();
    httplib::Client client("127.0.0.1", server->port());
    std::string hundred_and_one;
    for (int i = 0; i < 101; ++i)
        hundred_and_one += "x|";
    struct Case {
        std::string target;
        int status;
    } cases[] = {
        {"/prox.asp?p=5&s=2&sn=1-2", 400},                                           // no files
        {"/prox.asp?files=&sn=1-2", 400},                                            // no records
        {"/prox.asp?files=" + lookup::PercentEncode(Record("a", kSafe) + "|"), 400}, // no key
        {"/prox.asp?files=a%7C&sn=12", 400},
        {"/prox.asp?files=a%7C&sn=1-2x", 400},
        {"/prox.asp?files=" + lookup::PercentEncode(hundred_and_one) + "&sn=1-2", 400},
        {"/scanresult.asp", 400},
        {"/scanresult.asp?sr=9-9", 404},     // no such check
        {"/scanresult.asp?sr=%3Cx%3E", 404}, // not a key at all
        {"/nothing.asp", 404},
        {"/priv_html", 404},   // routes match whole names, dots included
        {"/tessaly.exe", 404}, // no setup file given
        {"/prox.asp?files=" + std::string(lookup::kMaxRequestLine, 'a') + "&sn=1-2", 414},
        {"/prox.asp?files=a%7C&sn=1-2", 200},
        {"/", 200},
        {"/priv.html", 200},
        {"/style.css", 200},
        {"/info.asp", 200},
    };
    for (const Case& c : cases) {
        auto res = client.Get(c.target.c_str());
        ASSERT_TRUE(res) << c.target.substr(0, 80);
        EXPECT_EQ(res->status, c.status) << c.target.substr(0, 80);
        EXPECT_EQ(res->get_header_value("Content-Security-Policy"), "default-src 'self'")
            << c.target.substr(0, 80);
    }
    // Nothing of the refused requests was stored.
    auto res = client.Get("/scanresult.asp?sr=1-2");
    ASSERT_TRUE(res);
    EXPECT_EQ(Count(res->body, "data-md5="), 1u);
}

TEST_F(LookupServerTest, TakesAddressesUpTo64KiB) {
    auto server = Start(WithVerdicts());
    httplib::Client client("127.0.0.1", server->port());
    // Five records with paths of 1,400 CJK characters, nine bytes each once encoded: far over
    // the HTTP library's own 8 KiB.
    std::string folder;
    for (int i = 0; i < 1400; ++i)
        folder += "\xE6\x96\x87";
    std::vector<std::string> batch;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i) + ".dll";
        batch.push_back(Record(name, i == 2 ? kDangerous : kSafe, "c:\\" + folder + "\\" + name));
    }
    const std::string target = CheckPath(batch, "3-3");
    ASSERT_GT(target.size(), 60000u);
    ASSERT_LT(target.size() + sizeof "GET  HTTP/1.1\r\n", lookup::kMaxRequestLine);
    struct Case {
        std::string target;
        int status;
        std::string body;
    } cases[] = {
        {target, 200, "f0.dll=6:f1.dll=6:f2.dll=3:f3.dll=6:f4.dll=6"},
        {"/priv.html", 200, ""}, // the same connection goes on after a long line
        {"/prox.asp?files=" + std::string(lookup::kMaxRequestLine, 'a') + "&sn=3-3", 414, ""},
        {"/prox.asp?files=" + std::string(200000, 'a') + "&sn=3-3", 414, ""},
        {"/priv.html?" + std::string(20000, 'b'), 200, ""}, // the query set aside and restored
    };
    for (const Case& c : cases) {
        auto res = client.Get(c.target.c_str());
        ASSERT_TRUE(res) << c.target.size();
        EXPECT_EQ(res->status, c.status) << c.target.size();
        EXPECT_EQ(res->get_header_value("Content-Security-Policy"), "default-src 'self'");
        if (!c.body.empty())
            EXPECT_EQ(res->body, c.body);
    }
    // Stored whole: every path is in the report's table, the warning's once more above it.
    auto res = client.Get("/scanresult.asp?sr=3-3");
    ASSERT_TRUE(res);
    EXPECT_EQ(Count(res->body, "data-md5="), 5u);
    EXPECT_EQ(Count(res->body, folder + "\\f"), 6u);
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(Count(server->log(), " 414 "), 2u) << server->log().substr(0, 2000);
}

TEST_F(LookupServerTest, LimitsRequestsPerClientAndLogsNoQueryValues) {
    auto server = Start({"--rate", "3"});
    httplib::Client client("127.0.0.1", server->port());
    const std::string secret = "SecretUserName";
    for (int i = 0; i < 3; ++i) {
        auto res = client.Get(
            CheckPath({Record("a.exe", kSafe, "c:\\users\\" + secret + "\\a.exe")}, "77-1")
                .c_str());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
    }
    auto res = client.Get("/priv.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 429);
    const int wait = std::stoi(res->get_header_value("Retry-After"));
    EXPECT_GE(wait, 1);
    EXPECT_LE(wait, 20);
    EXPECT_EQ(server->Stop(), 0);
    const std::string log = server->log();
    EXPECT_EQ(Count(log, "GET /prox.asp 200"), 3u) << log;
    EXPECT_EQ(Count(log, "GET /priv.html 429"), 1u) << log;
    EXPECT_EQ(log.find(secret), std::string::npos) << log;
    EXPECT_EQ(log.find("77-1"), std::string::npos) << log;
}

TEST_F(LookupServerTest, OffersTheSetupFileWhenGiven) {
    std::ofstream(dir_.path / "setup.bin", std::ios::binary) << std::string("MZ\0\x01setup", 9);
    auto server = Start({"--setup", (dir_.path / "setup.bin").string()});
    httplib::Client client("127.0.0.1", server->port());
    auto res = client.Get("/tessaly.exe");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, std::string("MZ\0\x01setup", 9));
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/octet-stream");
}

TEST_F(LookupServerTest, SaysWhyItCannotStart) {
    auto first = Start();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--listen", "127.0.0.1:" + std::to_string(first->port()), "--data",
          (dir_.path / "other").string()},
         "cannot listen on 127.0.0.1:"},
        {{"--listen", "127.0.0.1:0", "--data", (dir_.path / "verdicts.csv" / "sub").string()},
         "cannot create the data folder"},
        {{"--listen", "127.0.0.1:0", "--data", (dir_.path / "d2").string(), "--verdicts",
          (dir_.path / "missing.csv").string()},
         "cannot read the verdict file"},
    };
    for (const Case& c : cases) {
        // Bounded, so a server that starts after all cannot hang the suite.
        std::string command = "timeout 20 " LOOKUP_SERVER;
        for (const auto& a : c.args)
            command += " '" + a + "'";
        command += " >/dev/null 2>'" + (dir_.path / "fail.txt").string() + "'";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1) << command;
        EXPECT_NE(ReadFile(dir_.path / "fail.txt").find(c.message), std::string::npos)
            << ReadFile(dir_.path / "fail.txt");
    }
}

} // namespace
