// The few POSIX thread calls the static C++ runtime makes (exception
// globals, the emergency exception pool, the unwinder's frame registry and
// guarded statics), answered with Win32's own primitives. Without them the
// linker brings in the whole static winpthreads, which attaches a record,
// a duplicated thread handle and an event to every thread that touches a
// thread-local, takes a TLS index, adds a TLS callback to every thread of
// the host, and gives none of it back at FreeLibrary: a host that loads and
// unloads the library runs out of TLS indexes after about a thousand loads.
//
// Everything here is either zero-initialised state that needs no teardown
// (SRW locks, condition variables, one-time initialisation) or a TLS index
// that ReleaseThreadRuntime gives back. The linker fails with duplicate
// symbols if the runtime ever calls a thread function not defined here, so
// winpthreads cannot come back unnoticed.
#include "plugin/ThreadRuntime.h"

#include <errno.h>
#include <pthread.h>
#include <windows.h>

namespace {

// The static initialisers of winpthreads' mutexes and condition variables
// (normal, error-checking, recursive). An SRW lock or condition variable
// never holds these values: they would mean an exclusive owner with a
// negative waiter count, or a wait block at the top of the address space.
constexpr intptr_t kStaticInitLow = -3;

void NormaliseStatic(intptr_t* word) {
  const intptr_t value = *word;
  if (value < 0 && value >= kStaticInitLow) {
    ::InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(word), 0, static_cast<LONG>(value));
  }
}

static_assert(sizeof(pthread_mutex_t) == sizeof(SRWLOCK));
static_assert(sizeof(pthread_cond_t) == sizeof(CONDITION_VARIABLE));
static_assert(sizeof(pthread_once_t) == sizeof(INIT_ONCE));

SRWLOCK* Lock(pthread_mutex_t* mutex) {
  NormaliseStatic(mutex);
  return reinterpret_cast<SRWLOCK*>(mutex);
}

CONDITION_VARIABLE* Condition(pthread_cond_t* cond) {
  NormaliseStatic(cond);
  return reinterpret_cast<CONDITION_VARIABLE*>(cond);
}

BOOL CALLBACK RunOnce(INIT_ONCE*, void* routine, void**) {
  reinterpret_cast<void (*)()>(routine)();
  return TRUE;
}

// Keys: the runtime creates one (for its thread-local variables); a few
// spare slots cost nothing.
struct Key {
  DWORD index = TLS_OUT_OF_INDEXES;
  void (*destructor)(void*) = nullptr;
};
constexpr int kMaxKeys = 4;
Key g_keys[kMaxKeys];
SRWLOCK g_keysLock = SRWLOCK_INIT;

bool ValidKey(pthread_key_t key) { return key < kMaxKeys && g_keys[key].index != TLS_OUT_OF_INDEXES; }

}  // namespace

extern "C" {

int pthread_once(pthread_once_t* once, void (*routine)(void)) {
  ::InitOnceExecuteOnce(reinterpret_cast<INIT_ONCE*>(once), RunOnce, reinterpret_cast<void*>(routine),
                        nullptr);
  return 0;
}

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
  *mutex = 0;
  return 0;
}

int pthread_mutex_destroy(pthread_mutex_t*) { return 0; }

int pthread_mutex_lock(pthread_mutex_t* mutex) {
  ::AcquireSRWLockExclusive(Lock(mutex));
  return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
  ::ReleaseSRWLockExclusive(Lock(mutex));
  return 0;
}

// The runtime's one recursive mutex (guarded statics) is never taken twice
// by one thread, so an SRW lock serves for it too.
int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex) {
  return ::SleepConditionVariableSRW(Condition(cond), Lock(mutex), INFINITE, 0) ? 0 : EINVAL;
}

int pthread_cond_broadcast(pthread_cond_t* cond) {
  ::WakeAllConditionVariable(Condition(cond));
  return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
  ::AcquireSRWLockExclusive(&g_keysLock);
  int result = EAGAIN;
  for (pthread_key_t slot = 0; slot < kMaxKeys; ++slot) {
    if (g_keys[slot].index != TLS_OUT_OF_INDEXES) continue;
    const DWORD index = ::TlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) {
      g_keys[slot] = {index, destructor};
      *key = slot;
      result = 0;
    }
    break;
  }
  ::ReleaseSRWLockExclusive(&g_keysLock);
  return result;
}

// TlsGetValue clears the last-error code; the runtime reads its
// thread-locals between a failing system call and the caller's
// GetLastError, so the code is kept.
void* pthread_getspecific(pthread_key_t key) {
  if (!ValidKey(key)) return nullptr;
  const DWORD error = ::GetLastError();
  void* value = ::TlsGetValue(g_keys[key].index);
  ::SetLastError(error);
  return value;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
  if (!ValidKey(key)) return EINVAL;
  return ::TlsSetValue(g_keys[key].index, const_cast<void*>(value)) ? 0 : ENOMEM;
}

}  // extern "C"

// The runtime's reserve for throwing when memory is short, allocated when
// the library is loaded; the runtime frees it only here.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace plugin {

void ReleaseThreadData() {
  // As POSIX does: a destructor may set values again, so a few rounds.
  for (int round = 0; round < 4; ++round) {
    bool ranAny = false;
    for (Key& key : g_keys) {
      if (key.index == TLS_OUT_OF_INDEXES || !key.destructor) continue;
      void* value = ::TlsGetValue(key.index);
      if (!value) continue;
      ::TlsSetValue(key.index, nullptr);
      key.destructor(value);
      ranAny = true;
    }
    if (!ranAny) return;
  }
}

// Runs at the end of the library's DllMain; what follows it (the static
// destructors) neither throws nor asks about exceptions, so nothing needs
// the keys again.
void ReleaseThreadRuntime() {
  ReleaseThreadData();
  __gnu_cxx::__freeres();
  for (Key& key : g_keys) {
    if (key.index == TLS_OUT_OF_INDEXES) continue;
    ::TlsFree(key.index);
    key = {};
  }
}

}  // namespace plugin
