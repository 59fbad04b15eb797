// Reads what the code under test writes to the process log.
#pragma once

#include <string>

namespace test_support {

// The first object of a process opens the process log in a private temporary folder (by pointing TMPDIR
// there); make it before any server or thread starts. Each object remembers where the log ended when it was
// made.
class LogCapture {
public:
    LogCapture();

    // The log lines written since this object was made.
    std::string NewText() const;

private:
    size_t start_ = 0;
};

}  // namespace test_support
