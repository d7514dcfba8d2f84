#pragma once

#include <string>

// The folder where the user's settings go (the XDG base directory that Qt's settings use), found
// without Qt for a program that reads a setting before Qt is loaded. Empty when there is no home.
std::string userConfigFolder();
