#pragma once

#include <string>

// A library that lies in the running program's own folder. Plain C++, for a program that loads it
// before Qt is loaded. It stays loaded: the program runs in it until it ends.
class LibraryBesideProgram
{
public:
    explicit LibraryBesideProgram(const char *fileName);

    // The function of that name, or null with errorString() saying why.
    void *resolve(const char *symbol);
    const std::string &errorString() const { return m_error; }

private:
    void *m_handle = nullptr;
    std::string m_error;
};
