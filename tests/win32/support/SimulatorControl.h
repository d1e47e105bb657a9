#pragma once
// Reaching the GPS clock simulator (scripts/wine-env.sh) from a Windows
// test program: its log and control file live on the Unix side and appear
// under Wine's Z: drive.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

// The Windows path of a file the runner exported, empty without a simulator.
inline std::string SimulatorFile(const char* variable)
{
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') return std::string();
    std::string path = std::string("Z:") + value;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Gives the running simulator new switches (see tools/gpsclock-sim.cpp; ""
// restores its start-up ones) and waits until it has taken them.
inline bool SetSimulatorSwitches(const std::string& switches)
{
    static unsigned generation = 0;
    std::ostringstream tag;
    tag << "#" << GetCurrentProcessId() << "-" << ++generation;
    // Written aside and renamed, so the simulator never reads half of it.
    const std::string control = SimulatorFile("HORALUX_SIM_CONTROL");
    const std::string fresh = control + ".new";
    {
        std::ofstream file(fresh.c_str(), std::ios::binary | std::ios::trunc);
        file << tag.str() << "\n" << switches << "\n";
        if (!file) return false;
    }
    if (!MoveFileExA(fresh.c_str(), control.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    const std::string applied = "# control applied: " + tag.str() + " ";
    for (int i = 0; i < 500; ++i) {   // hang guard only: it looks ten times a second
        if (ReadWholeFile(SimulatorFile("HORALUX_SIM_LOG")).find(applied) != std::string::npos) return true;
        Sleep(10);
    }
    return false;
}
