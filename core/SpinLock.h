#pragma once
// A lock for a few instructions' worth of work between threads (a push onto a queue, a swap).
// Threads that meet on it cost no kernel object: a contended runtime mutex of the Windows
// toolchain keeps one for the life of the process, which a host counting its handles sees.
#include <atomic>
#include <thread>

namespace core {

class SpinLock {
 public:
  void lock() {
    while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  void unlock() { flag_.clear(std::memory_order_release); }

 private:
  std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

}  // namespace core
