// A program that ends as Tallybird's programs do, the application object going as main()
// returns, after work on the cloud's pool left per-thread state with a library that tears itself
// down in an exit handler, as the PostgreSQL client's TLS library (libcrypto) does. Each thread
// frees its state as it ends, slowly, as a thread descheduled there would. Exits with 3 when
// the exit handlers ran while a thread was still freeing its state, else with 0.
#include "cloud/WorkerPool.h"

#include <QCoreApplication>

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int works = 8;

pthread_key_t threadState;
std::atomic<int> stateHeld = 0; // threads whose state is not freed yet

void freeThreadState(void*) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stateHeld.fetch_sub(1);
}

void tearLibraryDown() {
    if (stateHeld.load() != 0)
        ::_exit(3);
}

} // namespace

int main(int argc, char* argv[]) {
    pthread_key_create(&threadState, freeThreadState);
    std::atexit(tearLibraryDown);
    QCoreApplication app(argc, argv);
    for (int i = 0; i < works; ++i) {
        cloud::WorkerPool::instance().start([] {
            if (pthread_getspecific(threadState))
                return;
            stateHeld.fetch_add(1);
            pthread_setspecific(threadState, &stateHeld);
        });
    }
    return 0;
}
