#pragma once
#include <string>

// True when the word "run" stands anywhere in the program's argument text,
// in any case: run, /Run, -RUN and autorun all start synchronising at once.
bool WantsAutoStart(const std::string& arguments);
