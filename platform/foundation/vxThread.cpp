// Worker threads on std::thread with a registry from IDs to running workers.
#include "vxThread.h"

#include "vxArchive.h"
#include "vxAttention.h"

#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

struct Worker {
    std::thread thread;
    std::exception_ptr failure; // written by the worker, read after the join
};

struct Registry {
    std::mutex lock;
    std::map<unsigned long, std::shared_ptr<Worker>> byId;
    unsigned long nextId = 1;
};

// Never destroyed: a worker that nobody waits for must not terminate the process at exit.
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

template <class E> vxPersistent* makeError() {
    return new E;
}

} // namespace

vxPersistent* vxThread::Error::make() {
    return makeError<Error>();
}
const vx_Instantiator vxThread::Error::sExemplar(typeid(Error), &Error::make);
vxPersistent* vxThread::BadID::make() {
    return makeError<BadID>();
}
const vx_Instantiator vxThread::BadID::sExemplar(typeid(BadID), &BadID::make);
vxPersistent* vxThread::StartFailed::make() {
    return makeError<StartFailed>();
}
const vx_Instantiator vxThread::StartFailed::sExemplar(typeid(StartFailed), &StartFailed::make);

vxThreadID vfCreateThreadTarn(void (*fn)(void*), void* arg, int /*priority*/, long /*last*/) {
    if (!fn) throw vxThread::StartFailed(L"No thread function given");
    auto worker = std::make_shared<Worker>();
    vxAttention::Inheritance inherited = vxAttention::inheritance_();
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    const unsigned long id = r.nextId;
    auto entry = r.byId.emplace(id, worker).first; // registered before the thread exists
    try {
        worker->thread = std::thread([fn, arg, raw = worker.get(), inherited] {
            vxAttention::install_(inherited);
            try {
                fn(arg);
            } catch (...) {
                raw->failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        r.byId.erase(entry);
        throw vxThread::StartFailed(L"The system could not start a thread");
    } catch (...) {
        r.byId.erase(entry);
        throw;
    }
    ++r.nextId;
    return vxThreadID(id);
}

bool vfWaitForThreadTermination(vxThreadID id, std::exception_ptr* failure) {
    std::shared_ptr<Worker> worker;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.byId.find(id.value());
        if (it == r.byId.end()) throw vxThread::BadID(L"No such thread to wait for");
        if (it->second->thread.get_id() == std::this_thread::get_id())
            throw vxThread::BadID(L"A thread cannot wait for itself");
        worker = std::move(it->second);
        r.byId.erase(it);
    }
    worker->thread.join();
    if (failure) *failure = worker->failure;
    return !worker->failure;
}
