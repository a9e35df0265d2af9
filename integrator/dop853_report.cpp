#include "integrator/dop853_report.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <utility>

namespace orrimar {

namespace {

Dop853ReportHook& Hook()
{
    static Dop853ReportHook hook;
    return hook;
}

}  // namespace

Dop853ReportHook SetDop853ReportHook(Dop853ReportHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void Dop853Report(ReportKind kind, const std::string& text)
{
    if (Hook()) {
        Hook()(kind, text);
        return;
    }
    std::cerr << (kind == ReportKind::Message ? "DOP853: " : "Error: ") << text << std::endl;
}

}  // namespace orrimar
