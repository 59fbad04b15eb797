// Holds a file open for reading while something else uses it: the stand-in for opening a file with
// read-only sharing. The file shows as in use by this process (the lock-holder scan finds it), a cooperating
// writer that asks for an exclusive lock is refused, and the content this process opened stays readable even
// if the name is removed or replaced.
#pragma once

#include <string>

namespace platform {

class ReadOnlyHold {
public:
    ReadOnlyHold() = default;
    ~ReadOnlyHold() { Close(); }
    ReadOnlyHold(const ReadOnlyHold&) = delete;
    ReadOnlyHold& operator=(const ReadOnlyHold&) = delete;

    // Opens the file for reading and takes a shared lock on it. False when it cannot be opened or another
    // process holds it for writing (an exclusive lock); `error` then receives the errno value.
    bool Open(const std::string& path, int* error = nullptr);
    void Close();
    bool IsOpen() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

// Whether some process holds a shared or exclusive lock on the file (the writer's check before it replaces
// a file that may be in use).
bool IsFileHeld(const std::string& path);

}  // namespace platform
