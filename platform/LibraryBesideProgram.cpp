#include "LibraryBesideProgram.h"

#include <filesystem>
#include <system_error>

#include <dlfcn.h>

LibraryBesideProgram::LibraryBesideProgram(const char *fileName)
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        m_error = "cannot find the program's folder: " + error.message();
        return;
    }
    m_handle = ::dlopen((program.parent_path() / fileName).c_str(), RTLD_NOW);
    if (!m_handle)
        m_error = ::dlerror();
}

void *LibraryBesideProgram::resolve(const char *symbol)
{
    if (!m_handle)
        return nullptr;
    void *function = ::dlsym(m_handle, symbol);
    if (!function)
        m_error = ::dlerror();
    return function;
}
