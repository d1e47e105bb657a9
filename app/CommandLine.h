#pragma once
#include <string>

// True when the word "run" stands anywhere in the program's argument text,
// in any case: run, /Run, -RUN and autorun all start synchronising at once.
bool WantsAutoStart(const std::string& arguments);

// What one horalux.exe is asked to be. The switches are the whole argument
// text, in any case, words apart by any blanks; none holds "run".
enum class ProgramMode {
    Window, InstallService, RemoveService, Service,
    WindowsTimeOn, WindowsTimeOff, LanServerOn, LanServerOff
};
ProgramMode ModeOf(const std::string& arguments);

// "/quiet" after a switch that sets something up: no message box, only the
// exit code, for the installer.
bool WantsQuiet(const std::string& arguments);
