// The command line of varnekite-check:
//   varnekite-check [--var NAME=VALUE]... [--fact FACT=VALUE]... [--strict] [--dump] [CONFIG]
//   varnekite-check [--var NAME=VALUE]... --preview OUT.png [--percent N] [CONFIG]
//   varnekite-check --facts
//   varnekite-check --schema
//   varnekite-check --version
#pragma once

#include "config/PathVariables.h"

#include <string>
#include <vector>

extern const char kCheckUsage[];

struct CheckOptions
{
    PathVariables overrides;                    // names upper-cased, in the order given
    bool dump = false;
    bool strict = false;                        // warnings fail the check
    std::wstring previewPath;                   // where to save a picture of the window; empty for none
    int previewPercent = 40;                    // the overall progress the picture shows
    bool help = false;
    std::vector<std::wstring> facts;            // the machine the conditions are decided for, as given
    bool printFacts = false;                    // print this machine's facts as --fact options and stop
    bool schema = false;                        // print schema/Varnekite.xsd and stop
    bool version = false;                       // print the program's version and stop
    std::wstring configPath = L"Varnekite.xml"; // in the current folder by default
};

// Parses the arguments after the program name. False with a message for bad usage.
bool ParseCheckArguments(const std::vector<std::wstring>& arguments, CheckOptions& options, std::wstring& error);
