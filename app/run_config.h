// The user's choices of one run, saved in the working folder so that a restarted run can resume.
#pragma once

#include <string>

struct RunConfig {
    std::u16string SelectLang;
};
