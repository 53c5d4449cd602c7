// Code page 932 and UTF-8, for programs that read or show texts of a report
// written on another machine: whatever the code page of the machine they run
// on. Characters that do not convert become '?' on Windows; the host keeps
// them for the life of the process in the stand-in's user-defined codes.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace platform
