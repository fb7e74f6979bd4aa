#include "Fiber.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define TK_FIBER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TK_FIBER_ASAN 1
#endif
#endif

#ifdef TK_FIBER_ASAN
extern "C" {
void __sanitizer_start_switch_fiber(void** fakeStackSave, const void* bottom, std::size_t size);
void __sanitizer_finish_switch_fiber(void* fakeStackSave, const void** bottomOld, std::size_t* sizeOld);
}
#endif

namespace tk {

namespace {

void StartSwitch(void** fakeStackSave, const void* bottom, std::size_t size) {
#ifdef TK_FIBER_ASAN
    __sanitizer_start_switch_fiber(fakeStackSave, bottom, size);
#else
    (void)fakeStackSave;
    (void)bottom;
    (void)size;
#endif
}

void FinishSwitch(void* fakeStackSave, const void** bottomOld, std::size_t* sizeOld) {
#ifdef TK_FIBER_ASAN
    __sanitizer_finish_switch_fiber(fakeStackSave, bottomOld, sizeOld);
#else
    (void)fakeStackSave;
    (void)bottomOld;
    (void)sizeOld;
#endif
}

}  // namespace

Fiber::Fiber(std::size_t stackBytes) : m_stackBytes(stackBytes) {}

Fiber::~Fiber() {
    if (m_mapping) ::munmap(m_mapping, m_mappingBytes);
}

void Fiber::Start(std::function<void()> body) {
    if (m_state != State::Idle) return;
    if (!m_mapping) {
        // The stack is taken from the system only as far as it is used; the page below it is a guard, so
        // that running over its end faults instead of writing into other memory.
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_mappingBytes = m_stackBytes + page;
        m_mapping = ::mmap(nullptr, m_mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m_mapping == MAP_FAILED) std::abort();
        ::mprotect(m_mapping, page, PROT_NONE);
        m_stack = static_cast<char*>(m_mapping) + page;
    }
    m_body = std::move(body);
    ::getcontext(&m_self);
    m_self.uc_stack.ss_sp = m_stack;
    m_self.uc_stack.ss_size = m_stackBytes;
    m_self.uc_link = &m_caller;
    const auto self = reinterpret_cast<std::uintptr_t>(this);
    ::makecontext(&m_self, reinterpret_cast<void (*)()>(&Fiber::Entry), 2,
                  static_cast<unsigned>(self >> 32), static_cast<unsigned>(self & 0xffffffffu));
    m_state = State::Ready;
}

void Fiber::Entry(unsigned high, unsigned low) {
    auto* fiber = reinterpret_cast<Fiber*>((static_cast<std::uintptr_t>(high) << 32) | low);
    fiber->Body();
}

void Fiber::Body() {
    FinishSwitch(nullptr, &m_callerBottom, &m_callerSize);
    {
        std::function<void()> body = std::move(m_body);
        m_body = nullptr;
        body();
    }
    m_state = State::Idle;
    // The body has ended: its fake stack goes, and uc_link returns to the Resume.
    StartSwitch(nullptr, m_callerBottom, m_callerSize);
}

void Fiber::Resume() {
    if (m_state != State::Ready && m_state != State::Suspended) return;
    m_state = State::Running;
    StartSwitch(&m_callerFakeStack, m_stack, m_stackBytes);
    ::swapcontext(&m_caller, &m_self);
    FinishSwitch(m_callerFakeStack, nullptr, nullptr);
}

void Fiber::Yield() {
    if (m_state != State::Running) return;
    m_state = State::Suspended;
    StartSwitch(&m_selfFakeStack, m_callerBottom, m_callerSize);
    ::swapcontext(&m_self, &m_caller);
    FinishSwitch(m_selfFakeStack, &m_callerBottom, &m_callerSize);
}

}  // namespace tk
