// A library loaded at run time, as the feedback bridge needs it.
#pragma once

#include <memory>
#include <string>

// Any entry point; the caller casts it to its real type before calling it.
using LibraryProc = void (*)();

class ILibraryModule {
public:
    virtual ~ILibraryModule() = default;

    // Loads the library file at `path`, releasing one loaded before. False when it cannot be loaded.
    virtual bool Load(const std::wstring& path) = 0;
    // Releases the loaded library, if any.
    virtual void Unload() = 0;
    // The named entry point of the loaded library; null when it lacks it or nothing is loaded.
    virtual LibraryProc Find(const char* name) const = 0;
};

// Windows builds: LoadLibraryW and GetProcAddress; the module owns the library handle.
std::unique_ptr<ILibraryModule> MakeSystemLibraryModule();
