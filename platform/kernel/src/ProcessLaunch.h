#pragma once
// How CreateProcessA hands a command line to the program it starts: in the environment, together
// with the starting process's id, so that only the program it started takes it.

namespace tolvar::kernel {

inline constexpr const char* kCommandLineVariable = "TOLVAR_COMMAND_LINE";
inline constexpr const char* kCommandLineParentVariable = "TOLVAR_COMMAND_LINE_PARENT";

}  // namespace tolvar::kernel
