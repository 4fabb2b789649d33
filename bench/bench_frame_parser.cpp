// Pushes 1,000,000 reports, random and valid, through the frame parser and
// prints reports per second.
#include "data_process/data_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <random>
#include <vector>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

std::vector<char> valid_report(std::mt19937 &rng)
{
    // Two real-time frames of four words each, as the instruments send them.
    std::vector<char> r(64, 0);
    int at = 0;
    for (int f = 0; f < 2; ++f) {
        const int start = at;
        r[at++] = char(0x55);
        r[at++] = char(0xAA);
        r[at++] = char(f + 1);
        r[at++] = char(11);
        for (int i = 0; i < 8; ++i)
            r[at++] = char(rng());
        r[at] = char(HID_DATA_PROCESS::check_sum(&r[start], uint16_t(at - start)));
        ++at;
    }
    return r;
}

void run(const char *name, const std::vector<std::vector<char>> &reports, int total)
{
    HID_DATA_PROCESS p;
    size_t words = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < total; ++i) {
        const std::vector<char> &r = reports[size_t(i) % reports.size()];
        p.set_hold(0);
        p.data_receive(r.data(), 64);
        words += size_t(p.get_rt_words().size() + p.get_save_words().size());
    }
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("%-8s %d reports in %.3f s: %.0f reports/s (%zu words)\n", name, total, s, total / s, words);
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The parser logs every failed sum; random bytes make a few hundred.
    qInstallMessageHandler(quiet);
    std::mt19937 rng(1);
    std::vector<std::vector<char>> random(4096), valid(4096);
    for (auto &r : random) {
        r.resize(64);
        for (char &c : r)
            c = char(rng());
    }
    for (auto &r : valid)
        r = valid_report(rng);
    run("random", random, 1000000);
    run("valid", valid, 1000000);
    return 0;
}
