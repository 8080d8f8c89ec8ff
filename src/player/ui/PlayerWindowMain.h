#pragma once

#include <filesystem>
#include <string>

// Whether the player's window can be shown: a display to connect to, or a platform that needs none.
// `why` says what is missing. Asks no toolkit, so it is safe where a display connection would abort.
bool windowSystemAvailable(std::string& why);

// Shows the player's window until it is closed, with `file` open (none when empty); the exit code.
int runPlayerWindow(int argc, char** argv, const std::string& file,
                    const std::filesystem::path& expressionsFolder);
