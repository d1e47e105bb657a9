#pragma once
#include <string>
#include "about/SystemFacts.h"

// The module file name without its directory; empty when the path is unknown.
std::string GetModuleFileTitle(const SystemFacts& facts);

void AppendVersionText(std::string& out, const SystemFacts& facts);
void AppendSystemText(std::string& out, const SystemFacts& facts);

struct ProblemReport {
    std::string versionText;
    std::string fileTitle;
    std::string reportText;
};

ProblemReport ComposeProblemReport(const SystemFacts& facts);
