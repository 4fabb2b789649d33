// What one refresh of a serial link's port list costs: the system's full
// enumeration beside the kept list, which looks only at the watched
// directories while no device came or went.
#include "usart_interface/port_list.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {
// Microseconds per call of f over n calls.
template <typename F>
double per_call_us(int n, F f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i)
        f();
    return t.nsecsElapsed() / 1e3 / n;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const port_list::System system = port_list::default_system();
    int ports = 0;
    const double full = per_call_us(50, [&] { ports = system.enumerate().size(); });
    port_list::available();
    const double kept = per_call_us(2000, [] { port_list::available(); });
    std::printf("enumeration   %9.1f us a call (%d ports)\n", full, ports);
    std::printf("kept list     %9.1f us a call\n", kept);
    std::printf("ratio         %9.1f x\n", full / kept);
    // Each link refreshes once a second.
    std::printf("one link, once a second: %.3f %% of a core enumerating, %.4f %% kept\n",
                full / 1e4, kept / 1e4);
    return 0;
}
