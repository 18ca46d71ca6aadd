// SPDX-License-Identifier: MIT
#include "platform/interrupted_writes.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace quillon {
namespace {

constexpr int kSlots = 16;

// Fixed storage: the handler may only read plain memory and call unlink.
struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX] = {};
};
Slot g_slots[kSlots];
std::mutex g_registration;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removePendingFiles(int signal) {
    for (Slot& s : g_slots)
        if (s.used.load(std::memory_order_acquire)) ::unlink(s.path);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void installHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int sig : kSignals) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = removePendingFiles;
            sigemptyset(&action.sa_mask);
            for (const int other : kSignals) sigaddset(&action.sa_mask, other);
            ::sigaction(sig, &action, nullptr);
        }
    });
}

// Holds back the signals on this thread; the mask before goes to *old.
void holdSignals(sigset_t* old) {
    sigset_t held;
    sigemptyset(&held);
    for (const int sig : kSignals) sigaddset(&held, sig);
    ::pthread_sigmask(SIG_BLOCK, &held, old);
}

}  // namespace

int RegisterPendingFile(const char* path) {
    if (std::strlen(path) >= PATH_MAX) return -1;
    installHandlers();
    const std::lock_guard<std::mutex> lock(g_registration);
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].used.load(std::memory_order_relaxed)) continue;
        std::strcpy(g_slots[i].path, path);
        g_slots[i].used.store(true, std::memory_order_release);
        return i;
    }
    return -1;
}

int MakePendingFile(char* nameTemplate, int* slot) {
    installHandlers();
    sigset_t old;
    holdSignals(&old);
    const int fd = ::mkostemp(nameTemplate, O_CLOEXEC);
    *slot = fd >= 0 ? RegisterPendingFile(nameTemplate) : -1;
    const int error = errno;
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return fd;
}

std::thread StartWorkerThread(std::function<void()> work) {
    // A new thread starts with its creator's mask.
    struct Restore {
        sigset_t old;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, &old, nullptr); }
    } restore{};
    holdSignals(&restore.old);
    return std::thread(std::move(work));
}

void ForgetPendingFile(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    const std::lock_guard<std::mutex> lock(g_registration);
    g_slots[slot].used.store(false, std::memory_order_release);
}

}  // namespace quillon
