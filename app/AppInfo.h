#pragma once
// Process-wide helpers every subsystem shares: where the program lies, what
// it is called, and how seconds are shown.

#include <string>

namespace quelvo {

// Records the program's invocation path (argv[0]) once at start-up.
void setInvocationPath(const std::string& argv0);

// Directory part of the invocation path up to and including its last
// separator. A relative path is made absolute against the directory the
// program started in, since a conversion changes the current directory.
// A bare name (started through PATH) gives the running executable's folder.
std::string ProgramDirectory();

// The program file's name without its extension ("Quelvo").
std::string ApplicationName();

// Pure form of the rule above, for a given invocation path and start folder.
std::string directoryOfInvocation(const std::string& argv0, const std::string& startFolder);

// Whole seconds as "%02d:%02d:%02d"; hours are not wrapped (100:00:00).
std::string TimeText(long long seconds);

char nativeSeparator();

}  // namespace quelvo
