// SIGTERM and SIGINT (kill, Ctrl+C) close the program's windows, as the
// system's shutdown closes a Windows program's: the layer posts WM_CLOSE to
// each window that has no parent among ours, and the program's own close path
// runs (message_queue.cpp does the posting when it reads the signal).
//
// Implemented: from the first window on, a handler of both signals (unless
// the program started with the signal ignored). The handler writes the
// signal to a pipe; a thread of the layer reads it and wakes the message loop
// (an SDL event when SDL's video runs, a second pipe that GetMessageA polls
// otherwise). With no window at that moment, the signal ends the process as
// its default action does.
// Not implemented: other signals; closing dialog boxes (their loops end with
//   the process).
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/linux/windowing.h"

namespace {

std::atomic<int> rootWindows{0};
std::atomic<int> pendingSignal{0};
std::atomic<int> pendingCount{0};
int signalPipe[2] = {-1, -1};  // handler to thread
int wakePipe[2] = {-1, -1};    // thread to the waiting message loop
bool installed = false;

void DefaultAction(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
}

void OnSignal(int signal) {
  if (rootWindows.load() == 0) {
    DefaultAction(signal);
    return;
  }
  int saved = errno;
  unsigned char byte = static_cast<unsigned char>(signal);
  if (write(signalPipe[1], &byte, 1) < 0) {
    // The pipe is full of signals already: the loop will close the windows.
  }
  errno = saved;
}

void* Relay(void*) {
  unsigned char byte;
  for (;;) {
    ssize_t got = read(signalPipe[0], &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return nullptr;
    pendingSignal.store(byte);
    pendingCount.fetch_add(1);
    if (write(wakePipe[1], &byte, 1) < 0) {
      // Full: the loop has a wake-up waiting already.
    }
    // Nothing else in the process uses SDL's user events.
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
      SDL_Event event = {};
      event.type = SDL_USEREVENT;
      SDL_PushEvent(&event);
    }
  }
}

bool Ignored(int signal) {
  struct sigaction current;
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void Install() {
  installed = true;
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  // The relay blocks in read.
  fcntl(signalPipe[0], F_SETFL, 0);
  // The relay handles no signals itself.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  pthread_t thread;
  bool started = pthread_create(&thread, nullptr, Relay, nullptr) == 0;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (!started) return;
  pthread_detach(thread);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT}) {
    if (!Ignored(signal)) sigaction(signal, &action, nullptr);
  }
}

}  // namespace

void SetRootWindowCount(int count) {
  rootWindows.store(count);
  if (count > 0 && !installed) Install();
}

bool TakeCloseSignal() {
  if (wakePipe[0] >= 0) {
    unsigned char drain[64];
    while (read(wakePipe[0], drain, sizeof drain) > 0) {
    }
  }
  return pendingCount.exchange(0) > 0;
}

int CloseSignalFd() {
  return wakePipe[0];
}

void EndAsSignalled() {
  DefaultAction(pendingSignal.load());
  _exit(128 + pendingSignal.load());
}
