#pragma once

class QThreadPool;

namespace cloud {

// The threads the cloud's work runs on: a sync engine's operations, which wait for the owner's
// thread at every event they report, and the databases' direct look-ups, which wait for the
// container (for as long as a sync pass holds it, or a server takes to answer).
//
// Never QThreadPool::globalInstance() for such work: Qt's own painting splits a large fill over
// that pool and waits for it on the main thread, and on one CPU the pool has one thread. An
// operation there that waits for the main thread while the main thread paints holds both for
// ever. Nothing the main thread waits for runs here (a quitting program that waits for this
// pool's work runs meanwhile the calls that work waits for), so it is never held that way.
//
// Its size does not follow the CPUs: its work waits more than it computes, and a few threads let
// a look-up go past a long sync pass.
//
// Made at first use, from any thread. It ends with the application object, as Qt's own pool
// does, and waits for the work still running then: a program releases its engines before (a
// released engine's operation waits for nobody), or ends without tearing anything down.
class WorkerPool {
public:
    static QThreadPool& instance();
};

} // namespace cloud
