#pragma once
// Reaching the GPS clock simulator (scripts/wine-env.sh) from a Windows test
// program: its log and control file live on the Unix side, under Wine's Z:.
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string SimulatorFile(const char* variable) {
    std::string path = std::string("Z:") + (std::getenv(variable) ? std::getenv(variable) : "");
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

// Gives the running simulator new switches (see tools/gpsclock-sim.cpp; ""
// restores its start-up ones) and waits until its log says it took them.
inline bool SetSimulatorSwitches(const std::string& switches) {
    static unsigned generation = 0;
    const std::string tag = "#" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++generation);
    const std::string control = SimulatorFile("HORALUX_SIM_CONTROL");
    // Written aside and renamed, so the simulator never reads half of it.
    if (!(std::ofstream(control + ".new", std::ios::trunc) << tag << "\n" << switches << "\n")) return false;
    if (!MoveFileExA((control + ".new").c_str(), control.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    for (int i = 0; i < 500; ++i, Sleep(10)) {   // hang guard only: it looks ten times a second
        std::stringstream log;
        log << std::ifstream(SimulatorFile("HORALUX_SIM_LOG"), std::ios::binary).rdbuf();
        if (log.str().find("# control applied: " + tag + " ") != std::string::npos) return true;
    }
    return false;
}
