// Times the lookup server's check answer against its static privacy page: each path asked
// 1,000 times over one kept-alive connection, per-request times, five rounds alternating
// which goes first. Prints each round's medians and the median of the ratios.
#include "query.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Five records like those of a real check: system modules with version data and digests.
std::string CheckTarget(int round) {
    const char* names[] = {"explorer.exe", "ntdll.dll", "kernel32.dll", "user32.dll",
                           "44d88612.com"};
    const char* digests[] = {"332FEAB1435662FC6C672E25BEB37BE3", "9B0F0B9E2A0A0B42E0D1A3C0B8E0C9D1",
                             "D41D8CD98F00B204E9800998ECF8427E", "0123456789ABCDEF0123456789ABCDEF",
                             "44D88612FEA8A8F36DE82E1278ABB02F"};
    std::string files;
    for (int i = 0; i < 5; ++i) {
        files += std::string(names[i]) + "<Microsoft Corporation<Microsoft Windows Operating " +
                 "System<6.1.7601.17514<1163264<c:\\windows\\system32\\" + names[i] + "<" +
                 digests[i] + "<Windows 7 Service Pack 1|";
    }
    return "/prox.asp?files=" + lookup::PercentEncode(files) + "&p=5&s=2&sn=1234567890-" +
           std::to_string(round);
}

// Median time of one request, in microseconds; negative when a request failed.
double MedianMicros(httplib::Client& client, const std::string& target, int count) {
    std::vector<double> times;
    times.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        auto res = client.Get(target.c_str());
        const auto end = std::chrono::steady_clock::now();
        if (!res || res->status != 200)
            return -1;
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + count / 2, times.end());
    return times[count / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lookup_bench PORT\n");
        return 2;
    }
    httplib::Client client("127.0.0.1", std::stoi(argv[1]));
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    constexpr int kRequests = 1000;
    std::vector<double> ratios;
    std::printf("round  prox.asp (5 records)  priv.html  ratio\n");
    for (int round = 1; round <= 5; ++round) {
        const std::string check = CheckTarget(round);
        double prox, priv;
        if (round % 2) {
            prox = MedianMicros(client, check, kRequests);
            priv = MedianMicros(client, "/priv.html", kRequests);
        } else {
            priv = MedianMicros(client, "/priv.html", kRequests);
            prox = MedianMicros(client, check, kRequests);
        }
        if (prox < 0 || priv < 0) {
            std::fprintf(stderr, "a request failed\n");
            return 1;
        }
        ratios.push_back(prox / priv);
        std::printf("%5d  %17.1f us  %6.1f us  %5.2fx\n", round, prox, priv, prox / priv);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio of prox.asp to priv.html: %.2fx (target: at most 3x)\n", ratios[2]);
    return 0;
}
