#pragma once
#include <string>

// True when the word "run" stands anywhere in the program's argument text,
// in any case: run, /Run, -RUN and autorun all start synchronising at once.
bool WantsAutoStart(const std::string& arguments);

// What one horalux.exe is asked to be. The service switches are the whole
// argument text, in any case, around blanks; none holds "run".
enum class ProgramMode { Window, InstallService, RemoveService, Service };
ProgramMode ModeOf(const std::string& arguments);
