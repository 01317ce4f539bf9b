// mirelund-design: the network calculator and its accuracy report from a shell.
#include <cstdio>
#include <exception>
#include <string>

#include "AtomicFile.h"
#include "DesignFileOptions.h"
#include "DesignReport.h"
#include "engine/Netlist.h"
#include "engine/NoiseNetlist.h"
#include "DesignRequest.h"

namespace {

int Run(const design::DesignRequest& request) {
    design::DesignOutcome outcome;
    try {
        outcome = design::RunDesign(request);
    } catch (const design::UsageError& error) {
        throw design::BlamedOnFile(error, request);
    }
    const std::string output = request.netlist && request.noise
                                   ? riaa::NoiseSpiceNetlist(outcome.network, request.noise->settings, "")
                               : request.netlist ? riaa::SpiceNetlist(outcome.network)
                               : request.json  ? design::RenderJson(request, outcome)
                                               : design::RenderTable(request, outcome);
    // Written before anything is printed: a file that cannot be written leaves stdout empty.
    if (request.savePath) {
        design::WriteFileAtomically(*request.savePath,
                                    riaa::WriteDesignFile(design::DocumentOfRun(request, request.document)));
    }
    if (request.bomPath) design::WriteFileAtomically(*request.bomPath, design::BomOfRun(request, outcome));
    std::fputs(output.c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const design::DesignRequest request = design::ParseDesignRequest(argc, argv);
        if (request.help) {
            std::fputs(request.helpText.c_str(), stdout);
            return 0;
        }
        // A bad row of the user's op-amps is skipped, and said, without ending the run.
        for (const std::string& problem : request.opAmpProblems) std::fprintf(stderr, "mirelund-design: %s\n", problem.c_str());
        if (request.listOpAmps) {
            std::fputs(design::RenderOpAmps(request.userOpAmps).c_str(), stdout);
            return 0;
        }
        if (request.listCurves) {
            std::fputs(design::RenderCurves().c_str(), stdout);
            return 0;
        }
        return Run(request);
    } catch (const std::exception& error) {
        // One line, so that scripts can show it as it is.
        std::string line = error.what();
        for (char& c : line) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        std::fprintf(stderr, "mirelund-design: %s\n", line.c_str());
        return 2;
    }
}
