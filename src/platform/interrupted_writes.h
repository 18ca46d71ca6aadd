// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <thread>

namespace quillon {

// Temporary files being written, which Ctrl+C (SIGINT), SIGTERM or SIGHUP
// must not leave behind: the handler deletes every registered file, then
// lets the signal end the program as it would have. Handlers are installed
// on first use, and only over the default action, so a program that handles
// these signals itself keeps its own handling.
//
// Returns a slot for ForgetPendingFile, or -1 when every slot is taken or
// the path is too long (the file is then simply not cleaned up).
int RegisterPendingFile(const char* path);
void ForgetPendingFile(int slot);

// mkostemp(nameTemplate, O_CLOEXEC) and RegisterPendingFile with the
// signals held back in between, so that no signal finds the file made but
// not yet registered. The slot goes to *slot.
int MakePendingFile(char* nameTemplate, int* slot);

// Starts a thread that never takes SIGINT, SIGTERM or SIGHUP, so that they
// reach a thread that holds them back while it makes a pending file. Had a
// worker taken one in that moment, the handler would find the new file not
// yet registered and leave it behind. Throws std::system_error as
// std::thread does.
std::thread StartWorkerThread(std::function<void()> work);

}  // namespace quillon
