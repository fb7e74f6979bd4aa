#pragma once

#include <cstddef>
#include <functional>
#include <ucontext.h>

namespace tk {

// A body of code with a stack of its own, run on the calling thread: Resume runs it until it Yields or
// ends and then returns; the next Resume goes on after the Yield. The line's exchanges run in one, so that
// each wait on the line returns to the event loop instead of running the events inside the wait.
class Fiber {
public:
    explicit Fiber(std::size_t stackBytes = 8u << 20);
    ~Fiber();
    Fiber(const Fiber&) = delete;
    Fiber& operator=(const Fiber&) = delete;

    // Prepares the body; it starts on the next Resume. Only while no body is under way.
    void Start(std::function<void()> body);
    // Runs the body on until it yields or ends. Nothing happens from inside the body or without one.
    void Resume();
    // From inside the body: back to the Resume that ran it.
    void Yield();

    bool Inside() const { return m_state == State::Running; }
    // A body has started and waits for its next Resume.
    bool Suspended() const { return m_state == State::Suspended; }
    bool UnderWay() const { return m_state != State::Idle; }

private:
    enum class State { Idle, Ready, Running, Suspended };
    static void Entry(unsigned high, unsigned low);
    void Body();

    std::size_t m_stackBytes;
    void* m_mapping = nullptr;
    std::size_t m_mappingBytes = 0;
    char* m_stack = nullptr;
    ucontext_t m_caller{};
    ucontext_t m_self{};
    State m_state = State::Idle;
    std::function<void()> m_body;
    // What AddressSanitizer is told about the two stacks at each switch.
    void* m_callerFakeStack = nullptr;
    void* m_selfFakeStack = nullptr;
    const void* m_callerBottom = nullptr;
    std::size_t m_callerSize = 0;
};

}  // namespace tk
