// Starting programs and looking after the children: launch with a working folder and a
// priority, reap children that ended, read and set a process's priority.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnholt {

// Nice values standing for the priority classes.
constexpr int kNiceNormal = 0;
constexpr int kNiceAboveNormal = -5;

// Starts `program` with `args` (after the program name) in `folder`; a program named without
// a folder is looked up in PATH. Returns the child's pid or -1 with the last error set. The child
// gets no inherited signal mask.
pid_t LaunchProcess(const std::string& program, const std::vector<std::string>& args,
                    const std::string& folder);

// Collects every child that has ended, so none lingers as a zombie.
void ReapChildren();

// The process's nice value; fails with the last error set.
bool GetProcessNice(pid_t pid, int* nice_value);
bool SetProcessNice(pid_t pid, int nice_value);

}  // namespace varnholt
